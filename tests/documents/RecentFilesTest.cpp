#include "documents/RecentFiles.h"
#include "documents/Preferences.h"
#include "support/Paths.h"
#include "tests/common/TestSupport.h"

#include <QFile>

using namespace Qt::StringLiterals;

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
    static QString IniPath() { return GetDataFolder() + u"/documents_tests.ini"_s; }

    // Entries and results are written "a|b|c", one per position from the first.
    static void Store(const QString& entries)
    {
        const QStringList list = entries.split(u'|');
        for (qsizetype i = 0; i < list.size(); ++i)
            WritePreference(u"RecentCfgs"_s + QString::number(i + 1), list.at(i));
    }
    static QString Stored(int count = 5)
    {
        QStringList entries;
        for (int i = 1; i <= count; ++i)
            entries << ReadPreference(u"RecentCfgs"_s + QString::number(i), u"<absent>"_s);
        return entries.join(u'|');
    }
    // Each item as its caption, marked when hidden, or when shown but disabled.
    static QString Menu()
    {
        QStringList items;
        for (const RecentMenuItem& item : BuildRecentMenu())
            items << item.caption + (!item.visible  ? u" (hidden)"_s
                                     : item.enabled ? QString()
                                                    : u" (disabled)"_s);
        return items.join(u'|');
    }

private:
    bool m_savedSwitch = false;
};

} // namespace

TEST_F(RecentFiles, FirstSaveOnAFreshSystem)
{
    EXPECT_EQ(Menu(), u"Recent Files (disabled)|2 (hidden)|3 (hidden)|4 (hidden)"_s);
    AddRecentFile(u"/home/me/Mix.cfg"_s);
    // Positions 2 to 4 are written, empty; position 5 never is.
    EXPECT_EQ(ReadAll(IniPath()), "[settings]\nRecentCfgs1=/home/me/Mix.cfg\nRecentCfgs2=\n"
                                  "RecentCfgs3=\nRecentCfgs4=\n");
    EXPECT_EQ(Menu(), u"&1 /home/me/Mix.cfg|2 (hidden)|3 (hidden)|4 (hidden)"_s);
}

TEST_F(RecentFiles, MovesAndDropsEntries)
{
    Store(u"/a.cfg|/b.cfg|/c.cfg|/d.cfg"_s);
    AddRecentFile(u"/c.cfg"_s);
    EXPECT_EQ(Stored(), u"/c.cfg|/a.cfg|/b.cfg|/d.cfg|<absent>"_s);
    // A new path pushes the fourth one off.
    AddRecentFile(u"/e.cfg"_s);
    EXPECT_EQ(Stored(4), u"/e.cfg|/c.cfg|/a.cfg|/b.cfg"_s);
    // The same document in another letter case or with spaces around: moved, not doubled,
    // and kept in the form given now.
    AddRecentFile(u" /A.CFG "_s);
    EXPECT_EQ(Stored(4), u"/A.CFG|/e.cfg|/c.cfg|/b.cfg"_s);
    EXPECT_EQ(BuildRecentMenu()[0].caption, u"&1 /A.CFG");
    EXPECT_EQ(ReadAll(IniPath()).split('\n').at(1), "RecentCfgs1= /A.CFG ");
    // The top entry again changes nothing.
    AddRecentFile(u"/A.CFG"_s);
    EXPECT_EQ(Stored(4), u"/A.CFG|/e.cfg|/c.cfg|/b.cfg"_s);
}

TEST_F(RecentFiles, CapacityAndTheOldFifthEntry)
{
    // Position 5 only ever counts as a match: it is never moved and never written.
    Store(u"/1|/2|/3|/4|/5"_s);
    AddRecentFile(u"/2"_s);
    EXPECT_EQ(Stored(), u"/2|/1|/3|/4|/5"_s);
    AddRecentFile(u"/5"_s);
    EXPECT_EQ(Stored(), u"/5|/2|/1|/3|/5"_s);
    // With a hand-made duplicate, the last matching position is the one dropped.
    Store(u"/x|/y|/X|/z|"_s);
    AddRecentFile(u"/x"_s);
    EXPECT_EQ(Stored(4), u"/x|/x|/y|/z"_s);
}

TEST_F(RecentFiles, MenuCaptions)
{
    const QString thirty = u"/home/me/Music/cfgs/Thirty.cfg"_s;
    ASSERT_EQ(thirty.size(), 30);
    Store(thirty + u"|x"_s + thirty + u"|  /spaced.cfg  |/four.cfg"_s);
    EXPECT_EQ(Menu(), u"&1 %1|&2 ...%1|&3 /spaced.cfg|&4 /four.cfg"_s.arg(thirty));
    // An empty position ends the list even when later ones hold paths.
    Store(thirty + u"|   "_s);
    EXPECT_EQ(Menu(), u"&1 %1|2 (hidden)|3 (hidden)|4 (hidden)"_s.arg(thirty));
}
