#include "base/CRndNoRepeat.h"
#include "tests/common/TestSupport.h"

#include <QSet>
#include <algorithm>
#include <map>
#include <numeric>

TEST(CRndNoRepeat, ArgumentChecksShowTheirMessage)
{
    const std::tuple<qint32, qint32, qint32, const char*> cases[] = {
        {0, 5, 0, "Cannot process values less than one."},
        {5, 0, 0, "Cannot process values less than one."},
        {5, 5, 5, "The lowest possible number is greater than or equal to the maximum value."},
        {5, 10, 6, "The base number is greater than or equal to the maximum value."},
        {10, 5, -20, "Quantity requested is greater than the value to choose from."},
    };
    for (const auto& [qty, max, base, message] : cases) {
        ScriptedDialogs dialogs;
        dialogs->Queue(MsgResult::OK);
        Int32Array result(1, 3);
        EXPECT_FALSE(CRndNoRepeat().Non_Repeating_Numbers(qty, max, result, base, false));
        EXPECT_TRUE(result.empty());
        ASSERT_EQ(dialogs->Requests().size(), 1);
        ExpectBox(dialogs->Requests().at(0), QString::fromLatin1(message), MsgIcon::Information);
        EXPECT_EQ(dialogs->Requests().at(0).caption, QStringLiteral("Non-Repeating Numbers"));
    }
}

// The run draws an order of n files as Non_Repeating_Numbers(n, n, order, 0, false).
TEST(CRndNoRepeat, DrawsAreOrdersAndSortOnRequest)
{
    CRndNoRepeat rnd;
    Int32Array a;
    for (qint32 n : {1, 2, 3, 7, 5000}) {
        ASSERT_TRUE(rnd.Non_Repeating_Numbers(n, n, a, 0, false));
        EXPECT_EQ(a.lower, 1);
        std::vector<qint32> expected(static_cast<std::size_t>(n));
        std::iota(expected.begin(), expected.end(), 0);
        std::sort(a.values.begin(), a.values.end());
        ASSERT_EQ(a.values, expected) << "n=" << n;
    }
    // Both sorts: the exchange sort up to 25 numbers, the quicksort beyond. The first case
    // leaves exactly enough numbers above the base.
    for (auto [qty, max, base] : {std::tuple{5, 10, 5}, {25, 40, 0}, {30, 100, 0}}) {
        ASSERT_TRUE(rnd.Non_Repeating_Numbers(qty, max, a, base, true));
        EXPECT_TRUE(std::is_sorted(a.values.begin(), a.values.end()));
        EXPECT_EQ(QSet<qint32>(a.values.begin(), a.values.end()).size(), qty);
        EXPECT_TRUE(a[1] >= base && a[qty] < max);
    }
    RandomSource::Seed(42.0);
    const double first = RandomSource::Next();
    RandomSource::Seed(42.0);
    EXPECT_NE(first, RandomSource::Next()) << "a seed folds into the state, it does not restart";
}

TEST(CRndNoRepeat, EveryArrangementAboutEquallyOften)
{
    // 24 arrangements of 4 numbers, 12,000 draws: 500 expected each. A chi-square above 80
    // (23 degrees of freedom) has a probability far below one in a billion for a fair shuffle,
    // while a shuffle that misses any arrangement scores in the thousands.
    CRndNoRepeat rnd;
    std::map<std::vector<qint32>, int> counts;
    for (int i = 0; i < 12000; ++i) {
        Int32Array order;
        ASSERT_TRUE(rnd.Non_Repeating_Numbers(4, 4, order, 0, false));
        ++counts[order.values];
    }
    EXPECT_EQ(counts.size(), 24u);
    double chi = 0;
    for (const auto& entry : counts)
        chi += (entry.second - 500.0) * (entry.second - 500.0) / 500.0;
    EXPECT_LT(chi, 80.0);
}
