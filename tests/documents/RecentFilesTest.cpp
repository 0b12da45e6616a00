#include "documents/RecentFiles.h"
#include "documents/Preferences.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

namespace {

// Entries and results are written "a|b|c", one per position from the first.
void Store(const QString& entries)
{
    const QStringList list = entries.split(u'|');
    for (qsizetype i = 0; i < list.size(); ++i)
        WritePreference(u"RecentCfgs"_s + QString::number(i + 1), list.at(i));
}

QString Stored()
{
    QStringList entries;
    for (int i = 1; i <= 5; ++i)
        entries << ReadPreference(u"RecentCfgs"_s + QString::number(i), u"<absent>"_s);
    return entries.join(u'|');
}

// Each item as its caption, marked when hidden, or when shown but disabled.
QString Menu()
{
    QStringList items;
    for (const RecentMenuItem& item : BuildRecentMenu())
        items << item.caption + (item.visible ? u""_s : u" (hidden)"_s) +
                     (item.enabled ? u""_s : u" (disabled)"_s);
    return items.join(u'|');
}

} // namespace

TEST(RecentFiles, AddMovesAndDropsEntriesAndTheMenuShowsThem)
{
    TempDataFolder data;
    EXPECT_EQ(Menu(), u"Recent Files (disabled)|2 (hidden)|3 (hidden)|4 (hidden)"_s);
    AddRecentFile(u"/home/me/Mix.cfg"_s);
    // Positions 2 to 4 are written, empty; position 5 never is.
    EXPECT_EQ(ReadAll(data / u"documents_tests.ini"_s),
              "[settings]\nRecentCfgs1=/home/me/Mix.cfg\nRecentCfgs2=\nRecentCfgs3=\n"
              "RecentCfgs4=\n");
    EXPECT_EQ(Menu(), u"&1 /home/me/Mix.cfg|2 (hidden)|3 (hidden)|4 (hidden)"_s);

    // Each step: the list before (when given), the path added, the list after. A new path pushes
    // the fourth one off; the same document in another letter case or with spaces around is
    // moved, not doubled, and kept in the form given now; position 5 only ever counts as a
    // match, never moved or written; of hand-made duplicates, the last match is dropped.
    const std::tuple<QString, QString, QString> steps[] = {
        {u"/a.cfg|/b.cfg|/c.cfg|/d.cfg"_s, u"/c.cfg"_s, u"/c.cfg|/a.cfg|/b.cfg|/d.cfg|<absent>"_s},
        {{}, u"/e.cfg"_s, u"/e.cfg|/c.cfg|/a.cfg|/b.cfg|<absent>"_s},
        {{}, u" /A.CFG "_s, u"/A.CFG|/e.cfg|/c.cfg|/b.cfg|<absent>"_s},
        {u"/1|/2|/3|/4|/5"_s, u"/2"_s, u"/2|/1|/3|/4|/5"_s},
        {{}, u"/5"_s, u"/5|/2|/1|/3|/5"_s},
        {u"/x|/y|/X|/z|"_s, u"/x"_s, u"/x|/x|/y|/z|"_s},
    };
    for (const auto& [before, added, after] : steps) {
        if (!before.isEmpty())
            Store(before);
        AddRecentFile(added);
        EXPECT_EQ(Stored(), after) << added.toStdString();
    }

    // Long paths show their last 30 characters; an empty position ends the list even when later
    // ones hold paths.
    const QString thirty = u"/home/me/Music/cfgs/Thirty.cfg"_s;
    Store(thirty + u"|x"_s + thirty + u"|  /spaced.cfg  |/four.cfg"_s);
    EXPECT_EQ(Menu(), u"&1 %1|&2 ...%1|&3 /spaced.cfg|&4 /four.cfg"_s.arg(thirty));
    Store(thirty + u"|   "_s);
    EXPECT_EQ(Menu(), u"&1 %1|2 (hidden)|3 (hidden)|4 (hidden)"_s.arg(thirty));
}
