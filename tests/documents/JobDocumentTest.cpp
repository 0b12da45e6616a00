#include "documents/JobDocument.h"
#include "documents/CBinaryINI.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

TEST(JobDocument, ListsRenameValueAndDefaults)
{
    CBinaryINI document;
    EXPECT_EQ(ReadJob(document).fileTypes, u"*.mp3,*.wma,*.wav"_s);
    EXPECT_TRUE(ReadJob(document).libraries.isEmpty());

    const struct
    {
        QString stored;
        QStringList items;
    } lists[] = {{u"a||b"_s, {u"a"_s, QString(), u"b"_s}},
                 {u"   "_s, {}},
                 {u"b|A|"_s, {u"b"_s, u"A"_s, QString()}},
                 {u" /my music ,1,2|/x,0,0"_s, {u" /my music ,1,2"_s, u"/x,0,0"_s}}};
    for (const auto& list : lists) {
        document.WriteValue(u"Library"_s, list.stored, u"settings"_s);
        EXPECT_EQ(ReadJob(document).libraries, list.items) << list.stored.toStdString();
    }
    for (const auto& [stored, value] : {std::pair{u"1"_s, 1},
                                        {u"2"_s, 2},
                                        {u"3"_s, 0},
                                        {u"-1"_s, 0},
                                        {u"1.5"_s, 0},
                                        {u" 2 "_s, 2}}) {
        document.WriteValue(u"RenameFiles"_s, stored, u"settings"_s);
        EXPECT_EQ(ReadJob(document).renameFiles, value) << stored.toStdString();
    }

    // Written back: lists joined by "|", an empty list leaves its key out.
    ShuffleJob job;
    job.libraries = {u"/m<+>"_s, QString(), u"/p"_s};
    job.fileTypes = u"*.ogg"_s;
    job.renameFiles = 2;
    WriteJob(document, job);
    EXPECT_EQ(document.GetValue(u"Library"_s, {}, u"settings"_s), u"/m<+>||/p"_s);
    EXPECT_EQ(document.GetValue(u"Destination"_s, u"absent"_s, u"settings"_s), u"absent"_s);
    EXPECT_EQ(document.GetValue(u"RenameFiles"_s, {}, u"settings"_s), u"2"_s);
    const ShuffleJob back = ReadJob(document);
    EXPECT_EQ(back.libraries, job.libraries);
    EXPECT_EQ(back.fileTypes, job.fileTypes);
}
