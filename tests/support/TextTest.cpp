#include "support/Text.h"
#include "support/AppError.h"
#include "tests/common/TestSupport.h"

TEST(Text, SplitStringCountsAndTrailingDelimiter)
{
    QStringList pieces;
    EXPECT_EQ(SplitString(pieces, QStringLiteral("a,b,c"), QStringLiteral(","), true), 3);
    EXPECT_EQ(pieces,
              (QStringList{{}, QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), {}}));
    EXPECT_EQ(SplitString(pieces, QStringLiteral("a,b,"), QStringLiteral(","), true), 2);
    EXPECT_EQ(SplitString(pieces, QStringLiteral("a,b,"), QStringLiteral(","), false), 3);
    EXPECT_EQ(pieces.at(3), QString());
    EXPECT_EQ(SplitString(pieces, QString(), QStringLiteral(","), true), 0);
    EXPECT_EQ(SplitString(pieces, QString(), QStringLiteral(","), false), 1);
    EXPECT_EQ(SplitString(pieces, QStringLiteral("a,,b"), QStringLiteral(","), true), 3);
    EXPECT_EQ(SplitString(pieces, QStringLiteral("a||b"), QStringLiteral("|"), false), 3);
    EXPECT_EQ(pieces.at(2), QString());
    // Multi-character delimiters match exactly.
    EXPECT_EQ(SplitString(pieces, QStringLiteral("a<>b<c"), QStringLiteral("<>"), true), 2);
    EXPECT_EQ(pieces.at(2), QStringLiteral("b<c"));
}

TEST(Text, SplitStringOverflowsPast32767Pieces)
{
    QStringList pieces;
    const QString exact = QString(32766, u',');
    EXPECT_EQ(SplitString(pieces, exact, QStringLiteral(","), false), 32767);
    EXPECT_EQ(ErrorOf([&] { SplitString(pieces, exact + u',', QStringLiteral(","), false); }),
              ErrorNumber::Overflow);
}

TEST(Text, GetFieldAndTrims)
{
    const QString entry = QStringLiteral("D:\\music,256,30");
    EXPECT_EQ(GetField(entry, 1, QStringLiteral(",")), QStringLiteral("D:\\music"));
    EXPECT_EQ(GetField(entry, 2, QStringLiteral(",")), QStringLiteral("256"));
    EXPECT_EQ(GetField(entry, 3, QStringLiteral(",")), QStringLiteral("30"));
    EXPECT_EQ(GetField(entry, 4, QStringLiteral(",")), QString());
    EXPECT_EQ(GetField(entry, 0, QStringLiteral(",")), QString());
    EXPECT_EQ(GetField(entry, -1, QStringLiteral(",")), QString());
    EXPECT_EQ(GetField(QString(), 1, QStringLiteral(",")), QString());

    EXPECT_EQ(TrimSpaces(QStringLiteral("  a b \t ")), QStringLiteral("a b \t"));
    EXPECT_EQ(TrimAtNull(QStringLiteral("abc") + QChar(u'\0') + QStringLiteral("def")),
              QStringLiteral("abc"));
    EXPECT_EQ(TrimAtNull(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_TRUE(SameText(QStringLiteral(" /Home/Mix.CFG "), QStringLiteral("/home/mix.cfg")));
    EXPECT_FALSE(SameText(QStringLiteral("/home/mix.cfg"), QStringLiteral("/home/mix.cf")));
}
