#include "base/Text.h"

#include "base/AppError.h"

QString TrimSpaces(const QString& text, bool tabsToo)
{
    const auto blank = [tabsToo](QChar c) { return c == u' ' || (tabsToo && c == u'\t'); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString TrimAtNull(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

qint16 SplitString(QStringList& pieces, const QString& text, const QString& delimiter,
                   bool ignoreTrailingDelimiter)
{
    QString s = delimiter + text;
    if (!ignoreTrailingDelimiter || !s.endsWith(delimiter))
        s += delimiter;
    // An empty delimiter cannot cut anything: the whole text is one piece.
    if (delimiter.isEmpty())
        pieces = QStringList{QString(), text, QString()};
    else
        pieces = s.split(delimiter, Qt::KeepEmptyParts, Qt::CaseSensitive);
    const qsizetype count = pieces.size() - 2;
    if (count > 32767)
        RaiseError(ErrorNumber::Overflow);
    return static_cast<qint16>(count);
}

QString GetField(const QString& text, qint16 index, const QString& delimiter)
{
    QStringList pieces;
    const qint16 count = SplitString(pieces, text, delimiter, false);
    if (index >= 1 && index <= count && count != 0)
        return pieces.at(index);
    return {};
}

bool EqualNoCase(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool LessNoCase(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

bool SameText(const QString& a, const QString& b)
{
    return EqualNoCase(TrimSpaces(a), TrimSpaces(b));
}
