#include "documents/JobDocument.h"
#include "documents/CBinaryINI.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

TEST(JobDocument, ListsRenameValueAndDefaults)
{
    CBinaryINI document;
    EXPECT_EQ(ReadJob(document).fileTypes, u"*.mp3,*.wma,*.wav"_s);
    EXPECT_TRUE(ReadJob(document).libraries.isEmpty());
    const std::pair<QString, QStringList> lists[] = {
        {u"a||b"_s, {u"a"_s, {}, u"b"_s}},
        {u"   "_s, {}},
        {u"b|A|"_s, {u"b"_s, u"A"_s, {}}},
        {u" /my music ,1,2|/x,0,0"_s, {u" /my music ,1,2"_s, u"/x,0,0"_s}}};
    for (const auto& [stored, items] : lists) {
        document.WriteValue(u"Library"_s, stored, u"settings"_s);
        document.WriteValue(u"Destination"_s, stored, u"settings"_s);
        EXPECT_EQ(ReadJob(document).libraries, items) << stored.toStdString();
        EXPECT_EQ(ReadJob(document).destinations, items) << stored.toStdString();
    }
    const std::pair<const char*, int> renames[] = {{"1", 1},  {"2", 2},   {"3", 0},
                                                   {"-1", 0}, {"1.5", 0}, {" 2 ", 2}};
    for (const auto& [stored, value] : renames) {
        document.WriteValue(u"RenameFiles"_s, QLatin1StringView(stored), u"settings"_s);
        EXPECT_EQ(ReadJob(document).renameFiles, value) << stored;
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
    EXPECT_EQ(ReadJob(document).fileTypes, job.fileTypes);
}
