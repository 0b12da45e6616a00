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

// The player settings: what does not read as one of a key's values is its default, and a key
// at its default is not stored.
TEST(JobDocument, PlayerSettingsReadAsTheirValuesOrDefaults)
{
    CBinaryINI document;
    EXPECT_EQ(ReadJob(document).player, PlayerSettings());
    const struct
    {
        const char *key, *stored;
        PlayerSettings read;
    } rows[] = {
        {"DevicePlaylist", "1", {true, 0, {}, 192, u"*.mp3"_s, false}},
        {"DevicePlaylist", "2", {}},
        {"FilesPerFolder", " 255 ", {false, 255, {}, 192, u"*.mp3"_s, false}},
        {"FilesPerFolder", "-3", {}},
        {"FilesPerFolder", "x", {}},
        {"ConvertTo", " OPUS", {false, 0, u"opus"_s, 192, u"*.mp3"_s, false}},
        {"ConvertTo", "wav", {}},
        {"ConvertKbps", "0", {}},
        {"ConvertKbps", "320", {false, 0, {}, 320, u"*.mp3"_s, false}},
        {"PlayerPlays", "*.mp3,*.m4a", {false, 0, {}, 192, u"*.mp3,*.m4a"_s, false}},
        {"LevelLoudness", "1", {false, 0, {}, 192, u"*.mp3"_s, true}},
    };
    for (const auto& row : rows) {
        CBinaryINI one;
        one.WriteValue(QLatin1StringView(row.key), QLatin1StringView(row.stored), u"settings"_s);
        EXPECT_EQ(ReadJob(one).player, row.read) << row.key << "=" << row.stored;
        ShuffleJob job;
        job.player = row.read;
        WriteJob(document, job);
        EXPECT_EQ(ReadJob(document).player, row.read) << row.key;
        const int stored = static_cast<int>(std::count_if(
            document.Records().begin(), document.Records().end(),
            [](const CBinaryINI::Record& r) { return r.key != CBinaryINI::kDeletedKey; }));
        EXPECT_EQ(stored, row.read == PlayerSettings() ? 2 : 3) << row.key;
    }
}
