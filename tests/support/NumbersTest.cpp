#include "AppError.h"
#include "Numbers.h"
#include "TestSupport.h"


TEST(Numbers, LeadingNumberOfText)
{
    EXPECT_EQ(LeadingNumber(QStringLiteral("128")), 128.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("  12.5MB")), 12.5);
    EXPECT_EQ(LeadingNumber(QStringLiteral("-3")), -3.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(LeadingNumber(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(LeadingNumber(QString()), 0.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("12,5")), 12.0); // "." is the only decimal point
    EXPECT_EQ(LeadingNumber(QStringLiteral("1.2.3")), 1.2);
    EXPECT_EQ(LeadingNumber(QStringLiteral("-")), 0.0);
}

TEST(Numbers, RoundingHalfToEvenAndLimits)
{
    EXPECT_EQ(ToInt32(2.5), 2);
    EXPECT_EQ(ToInt32(3.5), 4);
    EXPECT_EQ(ToInt32(-2.5), -2);
    EXPECT_EQ(ToInt32(12.5), 12);
    EXPECT_EQ(ToInt32(2.500001), 3);
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_EQ(ToInt16(-32768.0), -32768);
    EXPECT_EQ(ToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(ToInt32(-2147483648.0), std::numeric_limits<qint32>::min());

    EXPECT_EQ(ErrorOf([] { ToInt16(32767.5); }), 6); // rounds to 32768
    EXPECT_EQ(ErrorOf([] { ToInt16(-32768.6); }), 6);
    EXPECT_EQ(ErrorOf([] { ToInt32(2147483647.5); }), 6);
    EXPECT_EQ(ErrorOf([] { ToInt32(std::nan("")); }), 6);
    EXPECT_EQ(ErrorOf([] { ToInt16(32766.5); }), 0); // rounds to 32766
}

TEST(Numbers, CheckedArithmetic)
{
    EXPECT_EQ(CheckedMul(2047, 1048576), 2146435072);
    EXPECT_EQ(ErrorOf([] { CheckedMul(2048, 1048576); }), 6);
    EXPECT_EQ(CheckedAdd(2147483646, 1), 2147483647);
    EXPECT_EQ(ErrorOf([] { CheckedAdd(2147483647, 1); }), 6);
    EXPECT_EQ(ErrorOf([] { CheckedAdd(-2147483647 - 1, -1); }), 6);
}

TEST(Numbers, PlainDecimalText)
{
    EXPECT_EQ(PlainDecimal(128), QStringLiteral("128"));
    EXPECT_EQ(PlainDecimal(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(PlainDecimal(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(PlainDecimal(-0.0), QStringLiteral("0"));
    EXPECT_EQ(PlainDecimal(1e21), QStringLiteral("1000000000000000000000"));
    EXPECT_EQ(PlainDecimal(0.000001), QStringLiteral("0.000001"));
}
