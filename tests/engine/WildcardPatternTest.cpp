#include "WildcardPattern.h"
#include "AppError.h"
#include "Pattern.h"

#include "TestSupport.h"

namespace {

struct Case
{
    const char16_t* name;
    const char16_t* pattern;
    bool matches;
};

void ExpectCases(std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        const QString name = QString::fromUtf16(c.name);
        const QString pattern = QString::fromUtf16(c.pattern);
        EXPECT_EQ(MatchesPattern(name, pattern), c.matches)
            << '"' << name.toStdString() << "\" against \"" << pattern.toStdString() << '"';
    }
}

} // namespace

TEST(WildcardPattern, StarsAndLiterals)
{
    ExpectCases({
        {u"song.mp3", u"*.mp3", true},
        {u".mp3", u"*.mp3", true},
        {u"song.mp3.txt", u"*.mp3", false},
        {u"SONG.MP3", u"*.mp3", false},
        {u"song.Mp3", u"*.mp3", false},
        {u"song", u"*.*", false},
        {u"song.", u"*.*", true},
        {u"", u"*", true},
        {u"anything at all", u"*", true},
        {u"song.mp3", u"song.mp3", true},
        {u"song.mp3", u"song.mp", false},
        {u"xsong.mp3", u"song.mp3", false},
        {u"", u"", true},
        {u"a", u"", false},
        {u"abcbcd", u"a*bcd", true}, // needs the star to give back characters
        {u"abcbce", u"a*bcd", false},
        {u"aXbYc", u"a*b*c", true},
        {u"ac", u"a**c", true},
        {u"song.mp3", u"s*g.*3", true},
        {u" song.wav", u" *.wav", true},
        {u"song.wav", u" *.wav", false},
    });
}

TEST(WildcardPattern, SingleCharactersDigitsAndLists)
{
    ExpectCases({
        {u"a1", u"a?", true},
        {u"a", u"a?", false},
        {u"a12", u"a?", false},
        {u"track07.mp3", u"track##.mp3", true},
        {u"trackO7.mp3", u"track##.mp3", false},
        {u"track7.mp3", u"track##.mp3", false},
        {u"b", u"[abc]", true},
        {u"d", u"[abc]", false},
        {u"m", u"[a-z]", true},
        {u"M", u"[a-z]", false},
        {u"5", u"[a-z0-9]", true},
        {u"M", u"[!a-z]", true},
        {u"m", u"[!a-z]", false},
        {u"-", u"[a-]", true},
        {u"-", u"[-a]", true},
        {u"b", u"[a-]", false},
        {u"!", u"[a!]", true},
        {u"*", u"[*]", true},
        {u"x", u"[*]", false},
        {u"?", u"[?]", true},
        {u"#", u"[#]", true},
        {u"[", u"[[]", true},
        {u"]", u"]", true},
        {u"file[1].mp3", u"file[[]#].mp3", true},
        {u"song.mp3", u"song.[m]p3", true},
        {u"ab", u"a[]b", true}, // an empty list stands for no character
        {u"a", u"[!]", true},
        {u"", u"?", false},
    });
}

TEST(WildcardPattern, WholeCharactersBeyondAscii)
{
    ExpectCases({
        {u"Café.mp3", u"Caf?.mp3", true},
        {u"\U0001F3B5.mp3", u"?.mp3", true}, // one character, two UTF-16 units
        {u"\U0001F3B5.mp3", u"??.mp3", false},
        {u"\U0001F3B5", u"[\U0001F3B0-\U0001F3BF]", true},
        {u"\U0001F3C0", u"[\U0001F3B0-\U0001F3BF]", false},
        {u"é", u"[!e]", true},
        {u"É", u"é", false},
    });
}

TEST(WildcardPattern, UnclosedBracketOrDescendingRangeIsAnInvalidPattern)
{
    EXPECT_EQ(ErrorOf([] { MatchesPattern(QStringLiteral("a.mp3"), QStringLiteral("[")); }),
              ErrorNumber::InvalidPattern);
    EXPECT_EQ(ErrorOf([] { MatchesPattern(QStringLiteral("a.mp3"), QStringLiteral("*.[mp3")); }),
              ErrorNumber::InvalidPattern);
    EXPECT_EQ(ErrorOf([] { MatchesPattern(QStringLiteral("a"), QStringLiteral("[!")); }),
              ErrorNumber::InvalidPattern);
    EXPECT_EQ(ErrorOf([] { MatchesPattern(QStringLiteral("m"), QStringLiteral("[z-a]")); }),
              ErrorNumber::InvalidPattern);
    try {
        MatchesPattern(QStringLiteral("x"), QStringLiteral("[x"));
        FAIL();
    } catch (const AppError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Invalid pattern string"));
    }

    // Building never fails; only matching against the bad pattern does.
    const WildcardPattern bad(QStringLiteral("*.[mp3"));
    EXPECT_FALSE(bad.isValid());
    EXPECT_THROW(bad.Matches(u""), AppError);
    EXPECT_TRUE(WildcardPattern(QStringLiteral("[]")).isValid());
}
