#include "base/Numbers.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

TEST(Numbers, LeadingNumberOfText)
{
    // "." is the only decimal point.
    const std::pair<QString, double> cases[] = {
        {u"128"_s, 128.0}, {u"  12.5MB"_s, 12.5}, {u"-3"_s, -3.0},    {u".5"_s, 0.5},
        {u"abc"_s, 0.0},   {QString(), 0.0},      {u"12,5"_s, 12.0},  {u"1.2.3"_s, 1.2},
        {u"-"_s, 0.0},     {u"1 000"_s, 1000.0},  {u" 1 0 "_s, 10.0}, {u"- 2 .\t5x9"_s, -2.5},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(LeadingNumber(text), value) << text.toStdString();
}

TEST(Numbers, RoundingHalfToEvenLimitsAndCheckedArithmetic)
{
    EXPECT_EQ(ToInt32(2.5), 2);
    EXPECT_EQ(ToInt32(3.5), 4);
    EXPECT_EQ(ToInt32(-2.5), -2);
    EXPECT_EQ(ToInt32(12.5), 12);
    EXPECT_EQ(ToInt32(2.500001), 3);
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_EQ(ToInt16(-32768.0), -32768);
    EXPECT_EQ(ToInt16(32766.5), 32766);
    EXPECT_EQ(ToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(ToInt32(-2147483648.0), std::numeric_limits<qint32>::min());
    EXPECT_EQ(ToInt64(-9223372036854775808.0), std::numeric_limits<qint64>::min());
    EXPECT_EQ(CheckedMul64(8796093022207, 1048576), Q_INT64_C(9223372036853727232));
    EXPECT_EQ(CheckedMul(2047, 1048576), 2146435072);
    EXPECT_EQ(CheckedAdd(2147483646, 1), 2147483647);
    for (const auto& overflow : std::initializer_list<std::function<void()>>{
             [] { ToInt16(32767.5); }, // rounds to 32768
             [] { ToInt16(-32768.6); }, [] { ToInt32(2147483647.5); },
             [] { ToInt32(std::nan("")); }, [] { CheckedMul(2048, 1048576); },
             [] { ToInt64(9223372036854775808.0); }, [] { CheckedMul64(8796093022208, 1048576); },
             [] { CheckedAdd(2147483647, 1); }, [] { CheckedAdd(-2147483647 - 1, -1); }})
        EXPECT_EQ(ErrorOf(overflow), 6);
}

TEST(Numbers, PlainDecimalText)
{
    EXPECT_EQ(PlainDecimal(128), u"128"_s);
    EXPECT_EQ(PlainDecimal(12.5), u"12.5"_s);
    EXPECT_EQ(PlainDecimal(0.1), u"0.1"_s);
    EXPECT_EQ(PlainDecimal(-0.0), u"0"_s);
    EXPECT_EQ(PlainDecimal(1e21), u"1000000000000000000000"_s);
    EXPECT_EQ(PlainDecimal(0.000001), u"0.000001"_s);
}
