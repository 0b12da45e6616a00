#pragma once

#include <QString>
#include <QStringList>

// Removes leading and trailing U+0020 only (with tabsToo, tabs as well); other white space
// stays.
QString TrimSpaces(const QString& text, bool tabsToo = false);

// The text up to its first NUL character; the whole text when it has none.
QString TrimAtNull(const QString& text);

// Splits `delimiter + text (+ delimiter)` at every delimiter. The pieces of interest are
// pieces[1..count]; pieces[0] and pieces[count + 1] are empty. With ignoreTrailingDelimiter a
// text that already ends with the delimiter gets no second one. More than 32,767 pieces is
// error 6.
qint16 SplitString(QStringList& pieces, const QString& text, const QString& delimiter,
                   bool ignoreTrailingDelimiter);

// Field `index` (from 1) of the text cut at the delimiter; empty when there is no such field.
QString GetField(const QString& text, qint16 index, const QString& delimiter);

// Letters compared without regard to case; LessNoCase is the order lists are sorted in.
bool EqualNoCase(QStringView a, QStringView b);
bool LessNoCase(QStringView a, QStringView b);
// The same, with both sides trimmed of spaces.
bool SameText(const QString& a, const QString& b);
