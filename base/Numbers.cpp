#include "base/Numbers.h"

#include "base/AppError.h"

#include <QLocale>
#include <cmath>
#include <limits>

double LeadingNumber(const QString& input)
{
    // Blanks are skipped wherever they stand: "1 000" is 1000.
    QString text = input;
    text.removeIf([](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; });
    qsizetype i = 0;
    const qsizetype n = text.size();
    QString digits;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+'))
        digits += text.at(i++);
    bool any = false;
    const auto isDigit = [&text](qsizetype at) {
        return text.at(at).unicode() >= u'0' && text.at(at).unicode() <= u'9';
    };
    while (i < n && isDigit(i)) {
        digits += text.at(i++);
        any = true;
    }
    if (i < n && text.at(i) == u'.') {
        digits += text.at(i++);
        while (i < n && isDigit(i)) {
            digits += text.at(i++);
            any = true;
        }
    }
    if (!any)
        return 0.0;
    bool ok = false;
    const double value = QLocale::c().toDouble(digits, &ok);
    return ok ? value : 0.0;
}

namespace {

template <typename T> T RoundInto(double value)
{
    if (std::isnan(value))
        RaiseError(ErrorNumber::Overflow);
    // nearbyint follows the default rounding mode, which rounds halves to even.
    const double rounded = std::nearbyint(value);
    // -min is a power of two, exact as a double, where max (2^63 - 1) is not.
    const double min = static_cast<double>(std::numeric_limits<T>::min());
    if (rounded < min || rounded >= -min)
        RaiseError(ErrorNumber::Overflow);
    return static_cast<T>(rounded);
}

} // namespace

qint16 ToInt16(double value)
{
    return RoundInto<qint16>(value);
}

qint32 ToInt32(double value)
{
    return RoundInto<qint32>(value);
}

qint64 ToInt64(double value)
{
    return RoundInto<qint64>(value);
}

qint32 CheckedAdd(qint32 a, qint32 b)
{
    qint32 result = 0;
    if (__builtin_add_overflow(a, b, &result))
        RaiseError(ErrorNumber::Overflow);
    return result;
}

qint32 CheckedMul(qint32 a, qint32 b)
{
    qint32 result = 0;
    if (__builtin_mul_overflow(a, b, &result))
        RaiseError(ErrorNumber::Overflow);
    return result;
}

qint64 CheckedMul64(qint64 a, qint64 b)
{
    qint64 result = 0;
    if (__builtin_mul_overflow(a, b, &result))
        RaiseError(ErrorNumber::Overflow);
    return result;
}

QString PlainDecimal(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    // Shortest text that reads back to the same double, then without exponent.
    QString text = QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
    return text;
}
