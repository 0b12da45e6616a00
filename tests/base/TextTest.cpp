#include "base/Text.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

TEST(Text, SplitStringCountsAndTrailingDelimiter)
{
    // Pieces from position 1; multi-character delimiters match exactly.
    const std::tuple<QString, QString, bool, int, QStringList> cases[] = {
        {u"a,b,c"_s, u","_s, true, 3, {{}, u"a"_s, u"b"_s, u"c"_s, {}}},
        {u"a,b,"_s, u","_s, true, 2, {{}, u"a"_s, u"b"_s, {}}},
        {u"a,b,"_s, u","_s, false, 3, {{}, u"a"_s, u"b"_s, {}, {}}},
        {QString(), u","_s, true, 0, {{}, {}}},
        {QString(), u","_s, false, 1, {{}, {}, {}}},
        {u"a||b"_s, u"|"_s, false, 3, {{}, u"a"_s, {}, u"b"_s, {}}},
        {u"a<>b<c"_s, u"<>"_s, true, 2, {{}, u"a"_s, u"b<c"_s, {}}},
    };
    for (const auto& [text, delimiter, dropLast, count, pieces] : cases) {
        QStringList out{u"stale"_s};
        EXPECT_EQ(SplitString(out, text, delimiter, dropLast), count) << text.toStdString();
        EXPECT_EQ(out, pieces) << text.toStdString();
    }
    QStringList pieces;
    const QString exact = QString(32766, u',');
    EXPECT_EQ(SplitString(pieces, exact, u","_s, false), 32767);
    EXPECT_EQ(ErrorOf([&] { SplitString(pieces, exact + u',', u","_s, false); }),
              ErrorNumber::Overflow);
}

TEST(Text, GetFieldAndTrims)
{
    const QString entry = u"D:\\music,256,30"_s;
    for (const auto& [index, field] : {std::pair{1, u"D:\\music"_s},
                                       {2, u"256"_s},
                                       {3, u"30"_s},
                                       {4, QString()},
                                       {0, QString()},
                                       {-1, QString()}})
        EXPECT_EQ(GetField(entry, index, u","_s), field) << index;
    EXPECT_EQ(GetField(QString(), 1, u","_s), QString());

    EXPECT_EQ(TrimSpaces(u"  a b \t "_s), u"a b \t"_s);
    EXPECT_EQ(TrimAtNull(u"abc"_s + QChar(u'\0') + u"def"_s), u"abc"_s);
    EXPECT_EQ(TrimAtNull(u"abc"_s), u"abc"_s);
    EXPECT_TRUE(SameText(u" /Home/Mix.CFG "_s, u"/home/mix.cfg"_s));
    EXPECT_FALSE(SameText(u"/home/mix.cfg"_s, u"/home/mix.cf"_s));
}
