#include "engine/WildcardPattern.h"

#include "base/AppError.h"

namespace {

// The code point at `i` and the number of UTF-16 units it takes.
char32_t CodePointAt(QStringView text, qsizetype i, qsizetype& units)
{
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text[i + 1].unicode())) {
        units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1].unicode());
    }
    units = 1;
    return c;
}

} // namespace

WildcardPattern::WildcardPattern(const QString& pattern)
{
    Compile(pattern);
}

void WildcardPattern::Compile(const QString& pattern)
{
    const std::u32string p = pattern.toStdU32String();
    const qsizetype n = static_cast<qsizetype>(p.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t c = p[i];
        switch (c) {
        case U'*':
            // A run of stars matches what one star matches.
            if (m_tokens.empty() || m_tokens.back().kind != Token::Star)
                m_tokens.push_back({Token::Star});
            break;
        case U'?': m_tokens.push_back({Token::AnyChar}); break;
        case U'#': m_tokens.push_back({Token::Digit}); break;
        case U'[':
            i = CompileSet(p, i);
            if (!m_valid)
                return;
            break;
        default: {
            Token token{Token::Literal};
            token.ch = c;
            m_tokens.push_back(token);
            break;
        }
        }
    }
    ChooseShape();
}

qsizetype WildcardPattern::CompileSet(const std::u32string& p, qsizetype open)
{
    const qsizetype n = static_cast<qsizetype>(p.size());
    qsizetype j = open + 1;
    const bool negate = j < n && p[j] == U'!';
    if (negate)
        ++j;
    qsizetype close = j;
    while (close < n && p[close] != U']')
        ++close;
    if (close == n) {
        m_valid = false;
        return close;
    }
    Token token{Token::Set};
    token.negate = negate;
    token.first = static_cast<quint32>(m_ranges.size());
    for (qsizetype k = j; k < close;) {
        // A hyphen between two characters makes a range; at either end it is itself.
        if (k + 2 < close && p[k + 1] == U'-') {
            if (p[k] > p[k + 2]) {
                m_valid = false;
                return close;
            }
            m_ranges.push_back({p[k], p[k + 2]});
            k += 3;
        } else {
            m_ranges.push_back({p[k], p[k]});
            ++k;
        }
    }
    token.size = static_cast<quint32>(m_ranges.size()) - token.first;
    // "[]" lists nothing and so stands for no character at all.
    if (token.size > 0 || negate)
        m_tokens.push_back(token);
    return close;
}

void WildcardPattern::ChooseShape()
{
    qsizetype literalsFrom = 0;
    if (!m_tokens.empty() && m_tokens.front().kind == Token::Star)
        literalsFrom = 1;
    for (qsizetype k = literalsFrom; k < static_cast<qsizetype>(m_tokens.size()); ++k) {
        if (m_tokens[k].kind != Token::Literal)
            return;
        m_literal += QString::fromUcs4(&m_tokens[k].ch, 1);
    }
    if (literalsFrom == 0)
        m_shape = Shape::Exact;
    else
        m_shape = m_literal.isEmpty() ? Shape::Everything : Shape::Suffix;
}

bool WildcardPattern::TokenMatches(const Token& token, char32_t c) const
{
    switch (token.kind) {
    case Token::Literal: return c == token.ch;
    case Token::AnyChar: return true;
    case Token::Digit: return c >= U'0' && c <= U'9';
    case Token::Set: {
        bool inList = false;
        for (quint32 r = token.first; r < token.first + token.size && !inList; ++r)
            inList = c >= m_ranges[r].low && c <= m_ranges[r].high;
        return inList != token.negate;
    }
    case Token::Star: break;
    }
    return false;
}

bool WildcardPattern::Matches(QStringView name) const
{
    if (!m_valid)
        RaiseError(ErrorNumber::InvalidPattern);
    switch (m_shape) {
    case Shape::Everything: return true;
    case Shape::Suffix: return name.endsWith(m_literal);
    case Shape::Exact: return name == m_literal;
    case Shape::General: break;
    }
    return MatchGeneral(name);
}

// Every token but the star takes exactly one character, so on a mismatch it is enough to go
// back to the most recent star and let it take one more character.
bool WildcardPattern::MatchGeneral(QStringView name) const
{
    const size_t tokenCount = m_tokens.size();
    size_t t = 0;
    qsizetype s = 0;
    size_t starToken = tokenCount; // none yet
    qsizetype starResume = 0;
    while (s < name.size()) {
        if (t < tokenCount && m_tokens[t].kind == Token::Star) {
            starToken = t++;
            starResume = s;
            continue;
        }
        qsizetype units = 1;
        const char32_t c = CodePointAt(name, s, units);
        if (t < tokenCount && TokenMatches(m_tokens[t], c)) {
            ++t;
            s += units;
            continue;
        }
        if (starToken == tokenCount)
            return false;
        t = starToken + 1;
        CodePointAt(name, starResume, units);
        starResume += units;
        s = starResume;
    }
    while (t < tokenCount && m_tokens[t].kind == Token::Star)
        ++t;
    return t == tokenCount;
}
