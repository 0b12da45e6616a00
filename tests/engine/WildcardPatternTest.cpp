#include "engine/WildcardPattern.h"
#include "base/AppError.h"

#include "tests/common/TestSupport.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

TEST(WildcardPattern, EachConstructCaseAndWholeCharacters)
{
    // "+name|pattern" must match, "-name|pattern" must not; entries are two spaces apart.
    const QString table = uR"(
+song.mp3|*.mp3  +.mp3|*.mp3  -song.mp3.txt|*.mp3  -SONG.MP3|*.mp3  -song.Mp3|*.mp3  -song|*.*
+song.|*.*  +|*  +anything at all|*  +song.mp3|song.mp3  -song.mp3|song.mp  -xsong.mp3|song.mp3
+|  -a|  +abcbcd|a*bcd  -abcbce|a*bcd  +aXbYc|a*b*c  +ac|a**c  +song.mp3|s*g.*3
+ song.wav| *.wav  -song.wav| *.wav  +a1|a?  -a|a?  -a12|a?  -|?  +track07.mp3|track##.mp3
-trackO7.mp3|track##.mp3  -track7.mp3|track##.mp3  +b|[abc]  -d|[abc]  +m|[a-z]  -M|[a-z]
+5|[a-z0-9]  +M|[!a-z]  -m|[!a-z]  +-|[a-]  +-|[-a]  -b|[a-]  +!|[a!]  +*|[*]  -x|[*]  +?|[?]
+#|[#]  +[|[[]  +]|]  +file[1].mp3|file[[]#].mp3  +song.mp3|song.[m]p3  +ab|a[]b  +a|[!]  +a|[a-a]
+Café.mp3|Caf?.mp3  +🎵.mp3|?.mp3  -🎵.mp3|??.mp3  +🎵|[🎰-🎿]  -🏀|[🎰-🎿]  +é|[!e]  -É|é
)"_s;
    // The empty list "[]" stands for no character; U+1F3B5 is one character in two UTF-16 units.
    static const QRegularExpression separator(u"  |\n"_s);
    const QStringList entries = table.split(separator, Qt::SkipEmptyParts);
    ASSERT_EQ(entries.size(), 57);
    for (const QString& text : entries) {
        const qsizetype bar = text.indexOf(u'|');
        const QString name = text.mid(1, bar - 1), pattern = text.mid(bar + 1);
        EXPECT_EQ(WildcardPattern(pattern).Matches(name), text.startsWith(u'+'))
            << text.toStdString();
    }
}

TEST(WildcardPattern, UnclosedBracketOrDescendingRangeIsAnInvalidPattern)
{
    const std::pair<QString, QString> cases[] = {
        {u"a.mp3"_s, u"["_s}, {u"a.mp3"_s, u"*.[mp3"_s}, {u"a"_s, u"[!"_s}, {u"m"_s, u"[z-a]"_s}};
    for (const auto& [name, bad] : cases) {
        const WildcardPattern pattern(bad); // building never fails; matching does
        EXPECT_EQ(ErrorOf([&] { pattern.Matches(name); }), ErrorNumber::InvalidPattern)
            << bad.toStdString();
    }
}
