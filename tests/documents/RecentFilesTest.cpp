#include "RecentFiles.h"
#include "Paths.h"
#include "Preferences.h"
#include "TestSupport.h"

#include <QFile>

namespace {

class RecentFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedSwitch = DataFolderSwitch();
        SetDataFolderSwitch(true);
        MakeFolderPath(GetDataFolder());
        QFile::remove(IniPath());
    }
    void TearDown() override
    {
        QFile::remove(IniPath());
        SetDataFolderSwitch(m_savedSwitch);
    }
    static QString IniPath() { return GetDataFolder() + QStringLiteral("/pendrift.ini"); }

    static void Store(const QStringList& entries)
    {
        for (qsizetype i = 0; i < entries.size(); ++i)
            WritePreference(QStringLiteral("RecentCfgs") + QString::number(i + 1), entries.at(i));
    }
    static QStringList Stored(int count = 5)
    {
        QStringList entries;
        for (int i = 1; i <= count; ++i)
            entries.append(ReadPreference(QStringLiteral("RecentCfgs") + QString::number(i),
                                          QStringLiteral("<absent>")));
        return entries;
    }

private:
    bool m_savedSwitch = false;
};

} // namespace

TEST_F(RecentFiles, FirstSaveOnAFreshSystem)
{
    auto menu = BuildRecentMenu();
    EXPECT_EQ(menu[0].caption, u"Recent Files");
    EXPECT_TRUE(menu[0].visible);
    EXPECT_FALSE(menu[0].enabled);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(menu[i].caption, QString::number(i + 1));
        EXPECT_FALSE(menu[i].visible);
    }

    AddRecentFile(QStringLiteral("/home/me/Mix.cfg"));
    // Positions 2 to 4 are written, empty; position 5 never is.
    EXPECT_EQ(ReadAll(IniPath()), "[settings]\nRecentCfgs1=/home/me/Mix.cfg\nRecentCfgs2=\n"
                                  "RecentCfgs3=\nRecentCfgs4=\n");
    menu = BuildRecentMenu();
    EXPECT_EQ(menu[0].caption, u"&1 /home/me/Mix.cfg");
    EXPECT_TRUE(menu[0].visible);
    EXPECT_TRUE(menu[0].enabled);
    EXPECT_FALSE(menu[1].visible);
}

TEST_F(RecentFiles, MovesAndDropsEntries)
{
    Store({QStringLiteral("/a.cfg"), QStringLiteral("/b.cfg"), QStringLiteral("/c.cfg"),
           QStringLiteral("/d.cfg")});
    AddRecentFile(QStringLiteral("/c.cfg"));
    EXPECT_EQ(Stored(), (QStringList{QStringLiteral("/c.cfg"), QStringLiteral("/a.cfg"),
                                     QStringLiteral("/b.cfg"), QStringLiteral("/d.cfg"),
                                     QStringLiteral("<absent>")}));

    // A new path pushes the fourth one off.
    AddRecentFile(QStringLiteral("/e.cfg"));
    EXPECT_EQ(Stored(4), (QStringList{QStringLiteral("/e.cfg"), QStringLiteral("/c.cfg"),
                                      QStringLiteral("/a.cfg"), QStringLiteral("/b.cfg")}));

    // The same document in another letter case or with spaces around: moved, not doubled,
    // and kept in the form given now.
    AddRecentFile(QStringLiteral(" /A.CFG "));
    EXPECT_EQ(Stored(4), (QStringList{QStringLiteral("/A.CFG"), QStringLiteral("/e.cfg"),
                                      QStringLiteral("/c.cfg"), QStringLiteral("/b.cfg")}));
    EXPECT_EQ(BuildRecentMenu()[0].caption, u"&1 /A.CFG");
    EXPECT_EQ(ReadAll(IniPath()).split('\n').at(1), "RecentCfgs1= /A.CFG ");

    // The top entry again changes nothing.
    AddRecentFile(QStringLiteral("/A.CFG"));
    EXPECT_EQ(Stored(4), (QStringList{QStringLiteral("/A.CFG"), QStringLiteral("/e.cfg"),
                                      QStringLiteral("/c.cfg"), QStringLiteral("/b.cfg")}));
}

TEST_F(RecentFiles, CapacityAndTheOldFifthEntry)
{
    // Position 5 only ever counts as a match: it is never moved and never written.
    Store({QStringLiteral("/1"), QStringLiteral("/2"), QStringLiteral("/3"), QStringLiteral("/4"),
           QStringLiteral("/5")});
    AddRecentFile(QStringLiteral("/2"));
    EXPECT_EQ(Stored(),
              (QStringList{QStringLiteral("/2"), QStringLiteral("/1"), QStringLiteral("/3"),
                           QStringLiteral("/4"), QStringLiteral("/5")}));

    AddRecentFile(QStringLiteral("/5"));
    EXPECT_EQ(Stored(),
              (QStringList{QStringLiteral("/5"), QStringLiteral("/2"), QStringLiteral("/1"),
                           QStringLiteral("/3"), QStringLiteral("/5")}));

    // With a hand-made duplicate, the last matching position is the one dropped.
    Store({QStringLiteral("/x"), QStringLiteral("/y"), QStringLiteral("/X"), QStringLiteral("/z"),
           QString()});
    AddRecentFile(QStringLiteral("/x"));
    EXPECT_EQ(Stored(4), (QStringList{QStringLiteral("/x"), QStringLiteral("/x"),
                                      QStringLiteral("/y"), QStringLiteral("/z")}));

    // A capacity of 3 keeps two positions, under another key.
    AddRecentFile(QStringLiteral("p"), QStringLiteral("Other"), 3);
    AddRecentFile(QStringLiteral("q"), QStringLiteral("Other"), 3);
    AddRecentFile(QStringLiteral("r"), QStringLiteral("Other"), 3);
    EXPECT_EQ(ReadPreference(QStringLiteral("Other1")), u"r");
    EXPECT_EQ(ReadPreference(QStringLiteral("Other2")), u"q");
    EXPECT_EQ(ReadPreference(QStringLiteral("Other3"), QStringLiteral("<absent>")), u"<absent>");
}

TEST_F(RecentFiles, MenuCaptions)
{
    const QString thirty = QStringLiteral("/home/me/Music/cfgs/Thirty.cfg");
    ASSERT_EQ(thirty.size(), 30);
    const QString longer = u'x' + thirty;
    Store({thirty, longer, QStringLiteral("  /spaced.cfg  "), QStringLiteral("/four.cfg")});
    auto menu = BuildRecentMenu();
    EXPECT_EQ(menu[0].caption, QStringLiteral("&1 ") + thirty);
    EXPECT_EQ(menu[1].caption, QStringLiteral("&2 ...") + thirty);
    EXPECT_EQ(menu[2].caption, u"&3 /spaced.cfg");
    EXPECT_EQ(menu[3].caption, u"&4 /four.cfg");
    for (const RecentMenuItem& item : menu) {
        EXPECT_TRUE(item.visible);
        EXPECT_TRUE(item.enabled);
    }

    // An empty position ends the list even when later ones hold paths.
    Store({thirty, QStringLiteral("   ")});
    menu = BuildRecentMenu();
    EXPECT_EQ(menu[0].caption, QStringLiteral("&1 ") + thirty);
    EXPECT_TRUE(menu[0].visible);
    EXPECT_FALSE(menu[1].visible);
    EXPECT_FALSE(menu[2].visible);
    EXPECT_EQ(menu[2].caption, u"3");
    EXPECT_FALSE(menu[3].visible);
}
