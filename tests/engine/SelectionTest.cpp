#include "engine/Selection.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

namespace {

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
        QStringList candidates; // "name:size", tried in this order
        qint64 used, budget;
        QStringList here, elsewhere; // names already in this and in another destination
        bool safeHere, safeElsewhere;
        QStringList chosen; // their names here
        qint64 usedAfter;
    };
    // clang-format off
    const Row rows[] = {
        {"in order while they fit; a smaller file still fills the gap",
         {u"a.mp3:40"_s, u"b.mp3:70"_s, u"c.mp3:60"_s, u"d.mp3:10"_s}, 0, 110, {}, {}, false, false,
         {u"a.mp3"_s, u"b.mp3"_s}, 110},
        {"an exact fit is taken; what the folder holds counts",
         {u"a.mp3:50"_s, u"b.mp3:1"_s}, 50, 100, {}, {}, false, false, {u"a.mp3"_s}, 100},
        {"a folder already past its budget takes nothing",
         {u"a.mp3:0"_s}, 101, 100, {}, {}, false, false, {}, 101},
        {"sizes and budgets past 32 bits",
         {u"big.mkv:3221225472"_s, u"huge.mkv:9223372036854775807"_s}, 2147483648, 6442450944, {}, {},
         false, false, {u"big.mkv"_s}, 5368709120},
        {"names in any destination block, whatever their case",
         {u"a.mp3:1"_s, u"B.MP3:1"_s, u"c.mp3:1"_s}, 0, 100, {u"A.mp3"_s}, {u"b.mp3"_s}, false, false,
         {u"c.mp3"_s}, 1},
        {"two files of one name in one step: the first only",
         {u"Song.mp3:5"_s, u"SONG.mp3:5"_s}, 0, 100, {}, {}, false, false, {u"Song.mp3"_s}, 5},
        {"a destination that refuses names gets safe ones, also in the name test",
         {u"What's Up?.mp3:1"_s, u"What's Up_.mp3:1"_s, u"a: b. .:1"_s}, 0, 100, {}, {}, true, false,
         {u"What's Up_.mp3"_s, u"a_ b"_s}, 2},
        {"another destination is asked with the name it would hold",
         {u"x?.mp3:1"_s, u"y?.mp3:1"_s}, 0, 100, {}, {u"x_.mp3"_s}, false, true, {u"y?.mp3"_s}, 1},
    };
    // clang-format on
    for (const Row& row : rows) {
        std::vector<LibraryFile> files;
        std::vector<qsizetype> order;
        for (const QString& item : row.candidates) {
            const QString name = item.section(u':', 0, -2);
            files.push_back({u"/lib/"_s + name, name, item.section(u':', -1).toLongLong(), true});
            order.push_back(static_cast<qsizetype>(order.size()));
        }
        const DestinationNames here = Holding(row.here, row.safeHere);
        const DestinationNames elsewhere = Holding(row.elsewhere, row.safeElsewhere);
        int calls = 0;
        const StepSelection step = SelectFiles(files, order, row.used, row.budget,
                                               {&elsewhere, &here}, 1, [&calls] { ++calls; });
        QStringList chosen;
        for (const auto& [index, name] : step.chosen)
            chosen << name;
        EXPECT_EQ(chosen, row.chosen) << row.what;
        EXPECT_EQ(step.used, row.usedAfter) << row.what;
        EXPECT_EQ(calls, row.candidates.size()) << row.what << ": every candidate is tried";
    }
}

TEST(Selection, BudgetsOfADestination)
{
    struct Row
    {
        qint64 megabytes;
        qint16 percent;
        bool takesNew;
        qint64 newFiles, all;
    };
    const Row rows[] = {
        {1, 50, true, 524288, 1048576},
        {65536, 25, true, Q_INT64_C(17179869184), Q_INT64_C(68719476736)},
        {1, 0, false, 0, 1048576},
        {1, -5, false, 0, 1048576},
        {100, 300, true, 104857600, 104857600}, // more than all is all
        {1, 33, true, 346030, 1048576},         // 346030.08
        {3, 1, true, 31457, 3145728},           // 31457.28
        {1, 1, true, 10486, 1048576},           // 10485.76
    };
    for (const Row& row : rows) {
        const DestinationBudget budget = DestinationBudget::Of(row.megabytes, row.percent);
        EXPECT_EQ(budget.takesNewFiles, row.takesNew) << row.megabytes << "/" << row.percent;
        EXPECT_EQ(budget.newFiles, row.newFiles) << row.megabytes << "/" << row.percent;
        EXPECT_EQ(budget.all, row.all) << row.megabytes << "/" << row.percent;
    }
    EXPECT_EQ(ErrorOf([] { DestinationBudget::Of(Q_INT64_C(8796093022208), 0); }), 6);
}
