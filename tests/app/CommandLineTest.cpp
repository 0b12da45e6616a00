#include "app/CommandLine.h"
#include "base/AppError.h"
#include "platform/Paths.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

// Each argument vector ("|" between the arguments) with the switches it makes, "name=value"
// in any letter case, or "457" when a switch is repeated.
TEST(CommandLine, SwitchesAndValues)
{
    const std::pair<QString, QString> cases[] = {
        {u"/a|/q|/f:Default|Settings"_s, u"A=|q=|f=Default Settings"_s},
        // A full path after the colon stays one value, colons and all.
        {u"/q|/f:/home/me/My Mix:2.cfg|/a"_s, u"q=|f=/home/me/My Mix:2.cfg|a="_s},
        // The value as the next word; a bare path before the first switch is ignored.
        {u"/home/me/x.cfg|/f|Mix"_s, u"f=Mix"_s},
        {u"/f: Mix |/?"_s, u"f=Mix|?="_s},
        // A "/" before the colon makes a path, even with a colon later on.
        {u"/home/me/Mix.cfg"_s, QString()},
        {u"/media/x:y"_s, QString()},
        {u"/a|/A"_s, u"457"_s},
        {u"/f:x|/F:y"_s, u"457"_s},
    };
    for (const auto& [line, expected] : cases) {
        SwitchTable table;
        const int error = ErrorOf([&] { table = ParseCommandLine(line.split(u'|')); });
        if (expected == u"457") {
            EXPECT_EQ(error, ErrorNumber::DuplicateKey) << line.toStdString();
            continue;
        }
        const QStringList items = expected.split(u'|', Qt::SkipEmptyParts);
        EXPECT_EQ(table.Count(), items.size()) << line.toStdString();
        for (const QString& item : items)
            EXPECT_EQ(table.Value(item.section(u'=', 0, 0)), item.section(u'=', 1))
                << line.toStdString();
    }
}

TEST(CommandLine, DocumentPathResolutionAndTheDataFolder)
{
    TempDataFolder folder;
    const QString data = GetDataFolder() + u'/';
    EXPECT_EQ(ResolveDocumentPath(u"Mix"_s), data + u"Mix.cfg"_s);
    EXPECT_EQ(ResolveDocumentPath(u"Mix.old"_s), data + u"Mix.old"_s);
    EXPECT_EQ(ResolveDocumentPath(u"\"My \"Mix\""_s), data + u"My Mix.cfg"_s);
    EXPECT_EQ(ResolveDocumentPath(u"../Mix.cfg"_s), u"../Mix.cfg"_s);
    EXPECT_EQ(ResolveDocumentPath(u"\"/home/me/a b\""_s), u"/home/me/a b"_s);

    // The data folder is made, parents and all.
    const ScopedEnv deeper("XDG_CONFIG_HOME", folder.config() + u"/deep/cfg"_s);
    InitDataFolder();
    EXPECT_TRUE(PathExists(folder.config() + u"/deep/cfg/Orlenna/Pendrift"_s, true));
}
