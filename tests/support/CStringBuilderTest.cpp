#include "AppError.h"
#include "CStringBuilder.h"
#include "TestSupport.h"

namespace {

// Runs the action and returns the error it raised (number 0 when none).
AppError RaisedError(const std::function<void()>& action)
{
    try {
        action();
    } catch (const AppError& e) {
        return e;
    }
    return AppError(0, QStringLiteral("none"));
}

} // namespace

TEST(CStringBuilder, CapacityGrowsInWholeBumps)
{
    CStringBuilder sb;
    EXPECT_EQ(sb.Length(), 0);
    EXPECT_EQ(sb.Capacity(), 2048);
    EXPECT_EQ(sb.BufferBump(), 2048);
    EXPECT_EQ(sb.ToString(), QString());

    sb.Append(QString(1024, u'x'));
    EXPECT_EQ(sb.Capacity(), 2048);
    sb.Append(QStringLiteral("y"));
    EXPECT_EQ(sb.Capacity(), 4096);
    EXPECT_EQ(sb.Length(), 1025);

    sb.setBufferBump(1001);
    EXPECT_EQ(sb.BufferBump(), 1002);
    sb.setBufferBump(0);
    sb.setBufferBump(-5);
    EXPECT_EQ(sb.BufferBump(), 1002);
    EXPECT_EQ(sb.EnsureCapacity(4097), 5010); // next multiple of 1002
    EXPECT_EQ(sb.EnsureCapacity(10), 5010);   // never shrinks
}

TEST(CStringBuilder, CapacitySetRoundsAndCuts)
{
    CStringBuilder sb;
    sb.setCapacity(1);
    EXPECT_EQ(sb.Capacity(), 2048);
    sb.setCapacity(2049);
    EXPECT_EQ(sb.Capacity(), 4096);
    sb.setCapacity(0);
    sb.setCapacity(-1);
    EXPECT_EQ(sb.Capacity(), 4096);

    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QChar(u'a' + i % 26);
    sb.Append(text);
    sb.setCapacity(2048);
    EXPECT_EQ(sb.Capacity(), 2048);
    EXPECT_EQ(sb.Length(), 1024);
    EXPECT_EQ(sb.ToString(), text.left(1024));
}

TEST(CStringBuilder, MembersOnShortText)
{
    CStringBuilder sb;
    EXPECT_EQ(&sb.Append(QString()), &sb);
    EXPECT_EQ(sb.Length(), 0);
    sb.AppendWithCrLf(QStringLiteral("abc"));
    EXPECT_EQ(sb.ToString(), QStringLiteral("abc\r\n"));

    CStringBuilder abc;
    abc.Append(QStringLiteral("abc"));
    EXPECT_EQ(abc.Chars(2), QStringLiteral("c"));
    EXPECT_EQ(abc.Chars(), QStringLiteral("a"));
    abc.setChars(1, QStringLiteral("XYZ"));
    EXPECT_EQ(abc.ToString(), QStringLiteral("aXc"));
    abc.setChars(1, QStringLiteral("b"));

    abc.setLength(2);
    EXPECT_EQ(abc.ToString(), QStringLiteral("ab"));
    abc.setLength(3); // the character is still in the buffer
    EXPECT_EQ(abc.ToString(), QStringLiteral("abc"));
    abc.setLength(-1);
    EXPECT_EQ(abc.Length(), 3);
    abc.setLength(5); // never-used space reads as zero
    EXPECT_EQ(abc.ToString(), QStringLiteral("abc") + QChar(u'\0') + QChar(u'\0'));
    abc.setLength(3);

    abc.Insert(3, QStringLiteral("d"));
    EXPECT_EQ(abc.ToString(), QStringLiteral("abcd"));
    abc.Insert(0, QStringLiteral("<"));
    abc.Insert(2, QStringLiteral("--"));
    EXPECT_EQ(abc.ToString(), QStringLiteral("<a--bcd"));
    abc.Remove(2, 2);
    abc.Remove(0, 1);
    abc.Remove(3); // no length: nothing removed
    EXPECT_EQ(abc.ToString(), QStringLiteral("abcd"));
    abc.Remove(1, 3);
    EXPECT_EQ(abc.ToString(), QStringLiteral("a"));
}

TEST(CStringBuilder, ErrorsCarryNumberSourceAndText)
{
    CStringBuilder abc;
    abc.Append(QStringLiteral("abc"));
    const int number = static_cast<int>(0x80040200u);
    EXPECT_EQ(number, -2147220992);

    AppError e = RaisedError([&] { abc.Chars(3); });
    EXPECT_EQ(e.number(), number);
    EXPECT_EQ(e.source(), QStringLiteral("CStringBuilder.Chars"));
    EXPECT_EQ(e.description(), QStringLiteral("Tried reading character past end of buffer."));
    e = RaisedError([&] { abc.Chars(-1); });
    EXPECT_EQ(e.description(), QStringLiteral("Tried reading character past end of buffer."));

    e = RaisedError([&] { abc.setChars(3, QStringLiteral("x")); });
    EXPECT_EQ(e.number(), number);
    EXPECT_EQ(e.source(), QStringLiteral("CStringBuilder.Chars"));
    EXPECT_EQ(e.description(), QStringLiteral("Tried assigning character past end of buffer."));

    e = RaisedError([&] { abc.Insert(4, QStringLiteral("x")); });
    EXPECT_EQ(e.source(), QStringLiteral("CStringBuilder.Insert"));
    EXPECT_EQ(e.description(), QStringLiteral("Argument(s) out of range."));
    e = RaisedError([&] { abc.Insert(-1, QStringLiteral("x")); });
    EXPECT_EQ(e.source(), QStringLiteral("CStringBuilder.Insert"));

    e = RaisedError([&] { abc.Remove(2, 2); });
    EXPECT_EQ(e.number(), number);
    EXPECT_EQ(e.source(), QStringLiteral("CStringBuilder.Remove"));
    EXPECT_EQ(e.description(), QStringLiteral("Argument(s) out of range."));
    EXPECT_EQ(RaisedError([&] { abc.Remove(0, -1); }).source(), QStringLiteral("CStringBuilder.Remove"));
    EXPECT_EQ(ErrorOf([&] { abc.Remove(2, 1); }), 0);
    EXPECT_EQ(abc.ToString(), QStringLiteral("ab"));
}

TEST(CStringBuilder, NulSeparatedListsSurviveGrowthAndInsert)
{
    CStringBuilder list;
    QString expected;
    for (int i = 0; i < 500; ++i) {
        const QString path = QStringLiteral("/music/ä/%1.mp3").arg(i);
        list.Append(path).Append(QString(QChar(u'\0')));
        expected += path + QChar(u'\0');
    }
    EXPECT_EQ(list.ToString(), expected);
    EXPECT_EQ(list.Capacity() % 2048, 0);
    EXPECT_GE(list.Capacity(), list.Length() * 2);
    list.Insert(5, QStringLiteral("€"));
    expected.insert(5, QStringLiteral("€"));
    EXPECT_EQ(list.ToString(), expected);
}
