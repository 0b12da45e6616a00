#pragma once

#include <QString>
#include <QStringView>
#include <string>
#include <vector>

// One wildcard pattern, compiled once and matched against many names. "*" matches any run of
// characters, "?" one character, "#" one digit 0-9, "[list]" one character of the list (ranges
// such as a-z allowed), "[!list]" one character not in it; inside brackets "*", "?", "#" and
// "[" stand for themselves. Everything else matches itself, case-sensitively, and the whole
// name must match. Characters are Unicode code points.
//
// An opening bracket without its closing bracket, or a descending range, makes the pattern
// invalid; that is raised (error 93) when a name is matched against it, not when it is built,
// so a list holding a bad pattern fails only once that pattern is actually consulted.
class WildcardPattern
{
public:
    explicit WildcardPattern(const QString& pattern);

    bool Matches(QStringView name) const;

private:
    struct Token
    {
        enum Kind : quint8
        {
            Literal,
            AnyChar,
            Digit,
            Star,
            Set
        };
        Kind kind;
        bool negate = false;
        char32_t ch = 0;
        // Set: the ranges m_ranges[first, first + size).
        quint32 first = 0;
        quint32 size = 0;
    };
    struct Range
    {
        char32_t low;
        char32_t high;
    };

    // Most file-type patterns are "*" followed by plain characters, or plain characters alone;
    // those reduce to a suffix or equality test on the UTF-16 text.
    enum class Shape
    {
        General,
        Everything,
        Suffix,
        Exact
    };

    void Compile(const QString& pattern);
    // Compiles the "[...]" list opening at `open`; returns the index of its "]".
    qsizetype CompileSet(const std::u32string& p, qsizetype open);
    void ChooseShape();
    bool TokenMatches(const Token& token, char32_t c) const;
    bool MatchGeneral(QStringView name) const;

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
    bool m_valid = true;
    Shape m_shape = Shape::General;
    QString m_literal;
};
