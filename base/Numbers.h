#pragma once

#include <QString>
#include <QtGlobal>

// The leading decimal number of a text: spaces, tabs and line feeds skipped wherever they
// stand, an optional sign, digits and a "." decimal point whatever the locale. A text without a
// number counts as 0.
double LeadingNumber(const QString& text);

// Round half to even into the type; error 6 "Overflow" outside its range (or for NaN).
qint16 ToInt16(double value);
qint32 ToInt32(double value);
qint64 ToInt64(double value);

// 32-bit arithmetic with error 6 on overflow.
qint32 CheckedAdd(qint32 a, qint32 b);
qint32 CheckedMul(qint32 a, qint32 b);
qint64 CheckedMul64(qint64 a, qint64 b);

// The shortest plain decimal text of a number with "." as the point, no exponent.
QString PlainDecimal(double value);
