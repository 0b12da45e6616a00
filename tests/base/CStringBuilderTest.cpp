#include "base/CStringBuilder.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

TEST(CStringBuilder, NulSeparatedListsGrowInWholeBumps)
{
    CStringBuilder list;
    QString expected;
    for (int i = 0; i < 500; ++i) {
        const QString path = u"/music/ä/%1.mp3"_s.arg(i);
        list.Append(path).Append(QString(QChar(u'\0'))).Append(QString());
        expected += path + QChar(u'\0');
    }
    EXPECT_EQ(list.ToString(), expected);
    EXPECT_EQ(list.Capacity(), (list.Length() * 2 + 2047) / 2048 * 2048);
    // An odd bump is rounded up to whole characters; none below one byte is taken.
    list.setBufferBump(1);
    EXPECT_EQ(list.BufferBump(), 2);
    list.setBufferBump(1001);
    list.setBufferBump(0);
    const qint32 old = list.Capacity();
    EXPECT_EQ(list.EnsureCapacity(old + 1), (old + 1002) / 1002 * 1002);
    EXPECT_EQ(list.EnsureCapacity(10), (old + 1002) / 1002 * 1002) << "never shrinks";
    list.setCapacity(2048); // 3006 bytes after rounding: the text is cut to 1503 characters
    list.AppendWithCrLf(u"x"_s);
    EXPECT_EQ(list.ToString(), expected.left(1503) + u"x\r\n"_s);
    list.setCapacity(4008);
    EXPECT_EQ(list.Capacity(), 4008) << "a whole number of bumps is kept as it is";
}

TEST(CStringBuilder, EditingMembersAndTheirErrors)
{
    CStringBuilder abc;
    abc.Append(u"abc"_s);
    EXPECT_EQ(abc.Chars(2) + abc.Chars(), u"ca"_s);
    abc.setChars(1, u"XYZ"_s);
    abc.setLength(2);
    abc.setLength(-1);
    abc.setLength(3); // still in the buffer
    EXPECT_EQ(abc.ToString(), u"aXc"_s);
    abc.Insert(3, u"d"_s).Insert(0, u"<"_s).Insert(2, u"–€"_s);
    EXPECT_EQ(abc.ToString(), u"<a–€Xcd"_s);
    abc.Remove(2, 2).Remove(0, 1).Remove(3).Remove(3, 1); // nothing, then up to the end
    EXPECT_EQ(abc.ToString(), u"aXc"_s);

    const QString range = u"Argument(s) out of range."_s;
    const std::tuple<std::function<void()>, QString, QString> cases[] = {
        {[&] { abc.Chars(3); }, u"Chars"_s, u"Tried reading character past end of buffer."_s},
        {[&] { abc.setChars(3, u"x"_s); }, u"Chars"_s,
         u"Tried assigning character past end of buffer."_s},
        {[&] { abc.Insert(4, u"x"_s); }, u"Insert"_s, range},
        {[&] { abc.Remove(2, 2); }, u"Remove"_s, range},
    };
    for (const auto& [action, member, description] : cases) {
        try {
            action();
            ADD_FAILURE() << "no error from " << member.toStdString();
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), -2147220992); // 0x80040200
            EXPECT_EQ(e.source(), u"CStringBuilder."_s + member);
            EXPECT_EQ(e.description(), description);
        }
    }
}
