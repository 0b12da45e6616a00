#include "support/CStringBuilder.h"
#include "support/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

TEST(CStringBuilder, CapacityGrowsInWholeBumpsAndSetRoundsAndCuts)
{
    CStringBuilder sb;
    EXPECT_EQ(sb.Length(), 0);
    EXPECT_EQ(sb.Capacity(), 2048);
    EXPECT_EQ(sb.BufferBump(), 2048);
    EXPECT_EQ(sb.ToString(), QString());
    sb.Append(QString(1024, u'x'));
    EXPECT_EQ(sb.Capacity(), 2048);
    sb.Append(u"y"_s);
    EXPECT_EQ(sb.Capacity(), 4096);
    EXPECT_EQ(sb.Length(), 1025);
    sb.setBufferBump(1001);
    sb.setBufferBump(0);
    sb.setBufferBump(-5);
    EXPECT_EQ(sb.BufferBump(), 1002);
    EXPECT_EQ(sb.EnsureCapacity(4097), 5010); // next multiple of 1002
    EXPECT_EQ(sb.EnsureCapacity(10), 5010);   // never shrinks

    CStringBuilder set;
    set.setCapacity(1);
    EXPECT_EQ(set.Capacity(), 2048);
    set.setCapacity(2049);
    set.setCapacity(0);
    set.setCapacity(-1);
    EXPECT_EQ(set.Capacity(), 4096);
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QChar(u'a' + i % 26);
    set.Append(text);
    set.setCapacity(2048);
    EXPECT_EQ(set.Capacity(), 2048);
    EXPECT_EQ(set.ToString(), text.left(1024));
}

TEST(CStringBuilder, MembersOnShortText)
{
    CStringBuilder sb;
    EXPECT_EQ(&sb.Append(QString()), &sb);
    sb.AppendWithCrLf(u"abc"_s);
    EXPECT_EQ(sb.ToString(), u"abc\r\n"_s);

    CStringBuilder abc;
    abc.Append(u"abc"_s);
    EXPECT_EQ(abc.Chars(2), u"c"_s);
    EXPECT_EQ(abc.Chars(), u"a"_s);
    abc.setChars(1, u"XYZ"_s);
    EXPECT_EQ(abc.ToString(), u"aXc"_s);
    abc.setChars(1, u"b"_s);
    abc.setLength(2);
    EXPECT_EQ(abc.ToString(), u"ab"_s);
    abc.setLength(3); // the character is still in the buffer
    abc.setLength(-1);
    EXPECT_EQ(abc.ToString(), u"abc"_s);
    abc.setLength(5); // never-used space reads as zero
    EXPECT_EQ(abc.ToString(), u"abc"_s + QChar(u'\0') + QChar(u'\0'));
    abc.setLength(3);

    abc.Insert(3, u"d"_s);
    abc.Insert(0, u"<"_s);
    abc.Insert(2, u"--"_s);
    EXPECT_EQ(abc.ToString(), u"<a--bcd"_s);
    abc.Remove(2, 2);
    abc.Remove(0, 1);
    abc.Remove(3); // no length: nothing removed
    EXPECT_EQ(abc.ToString(), u"abcd"_s);
    abc.Remove(1, 3);
    EXPECT_EQ(abc.ToString(), u"a"_s);
}

TEST(CStringBuilder, ErrorsCarryNumberSourceAndText)
{
    CStringBuilder abc;
    abc.Append(u"abc"_s);
    const QString pastRead = u"Tried reading character past end of buffer."_s;
    const QString range = u"Argument(s) out of range."_s;
    const struct
    {
        std::function<void()> action;
        const char* source;
        QString description;
    } cases[] = {
        {[&] { abc.Chars(3); }, "Chars", pastRead},
        {[&] { abc.Chars(-1); }, "Chars", pastRead},
        {[&] { abc.setChars(3, u"x"_s); }, "Chars",
         u"Tried assigning character past end of buffer."_s},
        {[&] { abc.Insert(4, u"x"_s); }, "Insert", range},
        {[&] { abc.Insert(-1, u"x"_s); }, "Insert", range},
        {[&] { abc.Remove(2, 2); }, "Remove", range},
        {[&] { abc.Remove(0, -1); }, "Remove", range},
    };
    for (const auto& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << "no error from " << c.source;
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), -2147220992); // 0x80040200
            EXPECT_EQ(e.source(), u"CStringBuilder."_s + QLatin1StringView(c.source));
            EXPECT_EQ(e.description(), c.description);
        }
    }
    EXPECT_EQ(abc.ToString(), u"abc"_s);
    EXPECT_EQ(ErrorOf([&] { abc.Remove(2, 1); }), 0);
    EXPECT_EQ(abc.ToString(), u"ab"_s);
}

TEST(CStringBuilder, NulSeparatedListsSurviveGrowthAndInsert)
{
    CStringBuilder list;
    QString expected;
    for (int i = 0; i < 500; ++i) {
        const QString path = u"/music/ä/%1.mp3"_s.arg(i);
        list.Append(path).Append(QString(QChar(u'\0')));
        expected += path + QChar(u'\0');
    }
    EXPECT_EQ(list.Capacity() % 2048, 0);
    EXPECT_GE(list.Capacity(), list.Length() * 2);
    list.Insert(5, u"€"_s);
    expected.insert(5, u"€"_s);
    EXPECT_EQ(list.ToString(), expected);
}
