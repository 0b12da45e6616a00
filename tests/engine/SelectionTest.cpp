#include "engine/Selection.h"
#include "support/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

namespace {

// "name:size" items as candidates from one library folder.
std::vector<Candidate> Candidates(const QStringList& items)
{
    std::vector<Candidate> out;
    for (const QString& item : items)
        out.push_back({u"/lib/"_s + item.section(u':', 0, -2), item.section(u':', -1).toInt()});
    return out;
}

DestinationNames Holding(const QStringList& names, bool safe = false)
{
    DestinationNames holding(safe);
    for (const QString& name : names)
        holding.Add(name);
    return holding;
}

} // namespace

// The rules of one destination step, as a table: each row is one step and what it chooses.
TEST(Selection, OneStepChoosesByBudgetAndNames)
{
    struct Row
    {
        const char* what;
        QStringList candidates;
        qint32 used, budget;
        QStringList here, elsewhere; // names already in this and in another destination
        bool safeHere, safeElsewhere;
        QChar letter;
        QStringList chosen; // name here, and " > new name" with rename
        qint32 usedAfter;
    };
    // clang-format off
    const Row rows[] = {
        {"in order while they fit; a smaller file still fills the gap",
         {u"a.mp3:40"_s, u"b.mp3:70"_s, u"c.mp3:60"_s, u"d.mp3:10"_s}, 0, 110, {}, {}, false, false, {},
         {u"a.mp3"_s, u"b.mp3"_s}, 110},
        {"an exact fit is taken; what the folder holds counts",
         {u"a.mp3:50"_s, u"b.mp3:1"_s}, 50, 100, {}, {}, false, false, {}, {u"a.mp3"_s}, 100},
        {"names in any destination block, whatever their case",
         {u"a.mp3:1"_s, u"B.MP3:1"_s, u"c.mp3:1"_s}, 0, 100, {u"A.mp3"_s}, {u"b.mp3"_s}, false, false, {},
         {u"c.mp3"_s}, 1},
        {"two files of one name in one step: the first only",
         {u"Song.mp3:5"_s, u"x/SONG.mp3:5"_s}, 0, 100, {}, {}, false, false, {}, {u"Song.mp3"_s}, 5},
        {"rename numbers the chosen files and keeps each extension",
         {u"a.mp3:1"_s, u"big.wav:500"_s, u"b.WMA:1"_s, u"c:1"_s}, 0, 100, {}, {}, false, false, u'F',
         {u"a.mp3 > F0001.mp3"_s, u"b.WMA > F0002.WMA"_s, u"c > F0003."_s}, 3},
        {"a destination that refuses names gets safe ones, also in the name test",
         {u"What's Up?.mp3:1"_s, u"What's Up_.mp3:1"_s, u"a: b. .:1"_s}, 0, 100, {}, {}, true, false, u'A',
         {u"What's Up_.mp3 > A0001.mp3"_s, u"a_ b > A0002."_s}, 2},
        {"another destination is asked with the name it would hold",
         {u"x?.mp3:1"_s, u"y?.mp3:1"_s}, 0, 100, {}, {u"x_.mp3"_s}, false, true, {}, {u"y?.mp3"_s}, 1},
        {"nothing fits an empty budget", {u"a.mp3:1"_s}, 0, 0, {}, {}, false, false, {}, {}, 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        const DestinationNames here = Holding(row.here, row.safeHere);
        const DestinationNames elsewhere = Holding(row.elsewhere, row.safeElsewhere);
        int calls = 0;
        const StepSelection step =
            SelectFiles(Candidates(row.candidates), row.used, row.budget, {&elsewhere, &here}, 1,
                        row.letter, [&calls] { ++calls; });
        QStringList chosen;
        for (const ChosenFile& file : step.chosen)
            chosen << (file.newName.isEmpty() ? file.name : file.name + u" > "_s + file.newName);
        EXPECT_EQ(chosen, row.chosen) << row.what;
        EXPECT_EQ(step.used, row.usedAfter) << row.what;
        EXPECT_EQ(calls, row.candidates.size()) << row.what << ": every candidate is tried";
    }

    // A sum past 32 bits is an overflow, not a skip.
    const DestinationNames none;
    EXPECT_EQ(ErrorOf([&] {
                  SelectFiles(Candidates({u"a.mp3:2"_s}), 2147483647, 2147483647, {&none}, 0, {});
              }),
              6);
}

TEST(Selection, BudgetsOfADestination)
{
    struct Row
    {
        QString entry;
        bool takesNew;
        qint32 newFiles, all;
        int error;
    };
    const Row rows[] = {
        {u"/d,1,50"_s, true, 524288, 1048576, 0},
        {u"/d,2047,100"_s, true, 2146435072, 2146435072, 0},
        {u"/d,1,0"_s, false, 0, 1048576, 0},
        {u"/d,1"_s, false, 0, 1048576, 0},
        {u"/d, 1 0 ,-5"_s, false, 0, 10485760, 0},
        {u"/d,0.5,1"_s, true, 0, 0, 0}, // half a megabyte rounds to 0 (half to even)
        {u"/d,2048,0"_s, false, 0, 0, 6},
        {u"/d,2000,200"_s, false, 0, 0, 6},
        {u"/d,1,40000"_s, false, 0, 0, 6},
    };
    for (const Row& row : rows) {
        DestinationBudget budget;
        const int error =
            ErrorOf([&] { budget = DestinationBudget::Of(DestinationEntry::Parse(row.entry)); });
        EXPECT_EQ(error, row.error) << row.entry.toStdString();
        if (error != 0)
            continue;
        EXPECT_EQ(budget.folder, u"/d"_s);
        EXPECT_EQ(budget.takesNewFiles, row.takesNew) << row.entry.toStdString();
        EXPECT_EQ(budget.newFiles, row.newFiles) << row.entry.toStdString();
        EXPECT_EQ(budget.all, row.all) << row.entry.toStdString();
    }
}
