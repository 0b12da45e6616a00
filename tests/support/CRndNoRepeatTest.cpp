#include "support/CRndNoRepeat.h"
#include "tests/common/TestSupport.h"

#include <QSet>
#include <algorithm>
#include <map>
#include <numeric>

TEST(CRndNoRepeat, ArgumentChecksShowTheirMessage)
{
    const struct
    {
        qint32 qty, max, base;
        const char* message;
    } cases[] = {
        {0, 5, 0, "Cannot process values less than one."},
        {5, 0, 0, "Cannot process values less than one."},
        {5, 5, 5, "The lowest possible number is greater than or equal to the maximum value."},
        {5, 10, 6, "The base number is greater than or equal to the maximum value."},
        {10, 5, -20, "Quantity requested is greater than the value to choose from."},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        dialogs->Queue(MsgResult::OK);
        Int32Array result(1, 3);
        EXPECT_FALSE(CRndNoRepeat().Non_Repeating_Numbers(c.qty, c.max, result, c.base, false));
        EXPECT_TRUE(result.empty());
        ASSERT_EQ(dialogs->Requests().size(), 1);
        const DialogRequest& r = dialogs->Requests().at(0);
        EXPECT_EQ(r.text, QString::fromLatin1(c.message));
        EXPECT_EQ(r.caption, QStringLiteral("Non-Repeating Numbers"));
        EXPECT_EQ(r.icon, MsgIcon::Information);
        EXPECT_EQ(r.buttons, MsgButtons::OK);
    }
}

TEST(CRndNoRepeat, PermutationsRangesBasesAndSorting)
{
    CRndNoRepeat rnd;
    for (qint32 n : {2, 3, 7, 5000}) {
        Int32Array order;
        ASSERT_TRUE(rnd.Non_Repeating_Numbers(n, n, order, 0, false));
        EXPECT_EQ(order.lower, 1);
        std::vector<qint32> expected(static_cast<std::size_t>(n));
        std::iota(expected.begin(), expected.end(), 0);
        std::sort(order.values.begin(), order.values.end());
        ASSERT_EQ(order.values, expected) << "n=" << n;
    }
    Int32Array a;
    bool negative = false;
    for (int i = 0; i < 400; ++i) {
        ASSERT_TRUE(rnd.Non_Repeating_Numbers(3, 10, a, -5, false));
        for (qint32 k = 1; k <= 3; ++k) {
            EXPECT_GE(a[k], 0);
            EXPECT_LE(a[k], 9);
        }
        // A single draw spans the base up to the maximum.
        ASSERT_TRUE(rnd.Non_Repeating_Numbers(1, 10, a, -5, false));
        EXPECT_GE(a[1], -5);
        EXPECT_LE(a[1], 9);
        negative |= a[1] < 0;
    }
    EXPECT_TRUE(negative);
    for (auto [qty, max, base] : {std::tuple{5, 10, 3}, std::tuple{30, 100, 0}}) {
        ASSERT_TRUE(rnd.Non_Repeating_Numbers(qty, max, a, base, true));
        EXPECT_TRUE(std::is_sorted(a.values.begin(), a.values.end()));
        EXPECT_EQ(QSet<qint32>(a.values.begin(), a.values.end()).size(), qty);
        EXPECT_GE(a[1], base);
        EXPECT_LT(a[qty], max);
    }
}

TEST(CRndNoRepeat, QuickSortAndMixBounds)
{
    CRndNoRepeat rnd;
    Int32Array values(1, 300);
    for (qint32 k = 1; k <= 300; ++k)
        values[k] = (k * 7919) % 101 - 50; // duplicates and negatives
    std::vector<qint32> expected = values.values;
    std::sort(expected.begin(), expected.end());
    rnd.QuickSort(values, 1, 300);
    EXPECT_EQ(values.values, expected);

    auto counting = [](qint32 lower, qint32 upper) {
        Int32Array a(lower, upper);
        for (qint32 k = lower; k <= upper; ++k)
            a[k] = k;
        return a;
    };
    // A 0-based array never moves its last element; a 1-based one may move every element.
    bool firstMoved = false;
    bool lastMoved = false;
    for (int round = 0; round < 50; ++round) {
        Int32Array zero = counting(0, 3);
        ASSERT_TRUE(rnd.Mix_The_Numbers(zero).has_value());
        EXPECT_EQ(zero[3], 3);
        Int32Array one = counting(1, 4);
        const auto copy = rnd.Mix_The_Numbers(one);
        ASSERT_TRUE(copy.has_value());
        EXPECT_EQ(copy->values, one.values);
        firstMoved |= one[1] != 1;
        lastMoved |= one[4] != 4;
    }
    EXPECT_TRUE(firstMoved);
    EXPECT_TRUE(lastMoved);
    Int32Array tiny(0, 1); // one mixable position
    EXPECT_FALSE(rnd.Mix_The_Numbers(tiny).has_value());
    Int32Array empty;
    EXPECT_FALSE(rnd.Mix_The_Numbers(empty).has_value());
    Int32Array two = counting(0, 2); // exactly two positions: must come back, not spin
    EXPECT_TRUE(rnd.Mix_The_Numbers(two).has_value());
}

TEST(CRndNoRepeat, Rnd2StaysInRangeAndReseedingDoesNotRepeat)
{
    CRndNoRepeat rnd;
    int seen[10] = {};
    for (int i = 0; i < 2000; ++i) {
        const float r = rnd.Rnd2(5.0f, 10.0f);
        ASSERT_GE(r, 5.0f);
        ASSERT_LE(r, 10.0f);
        ++seen[static_cast<int>(r)];
    }
    for (int v = 5; v <= 9; ++v)
        EXPECT_GT(seen[v], 250) << v;
    RandomSource::Seed(42.0);
    const double first = RandomSource::Next();
    RandomSource::Seed(42.0);
    EXPECT_NE(first, RandomSource::Next());
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
