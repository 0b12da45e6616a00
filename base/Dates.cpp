#include "base/Dates.h"

#include "base/AppError.h"
#include "base/Text.h"

namespace {

// Days and months with or without a leading zero ("dd" takes only two digits, "d" either).
// The year is written as "yyyy" when fullYear is set. Quoted text is kept as it stands.
QString LenientFormat(const QString& format, bool fullYear)
{
    QString out;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            const qsizetype end = format.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? format.size() : end + 1;
            out += format.mid(i, stop - i);
            i = stop;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        if ((c == u'd' || c == u'M') && run == 2)
            out += c;
        else if (c == u'y' && fullYear)
            out += QStringLiteral("yyyy");
        else
            out += format.mid(i, run);
        i += run;
    }
    return out;
}

bool HasTwoDigitYear(const QString& format)
{
    return format.contains(QStringLiteral("yy")) && !format.contains(QStringLiteral("yyyy"));
}

// Qt reads "yy" as 19yy; move it into the window around this year.
QDate WindowedYear(QDate date)
{
    const int thisYear = QDate::currentDate().year();
    int year = thisYear - thisYear % 100 + date.year() % 100;
    if (year > thisYear + 19)
        year -= 100;
    else if (year < thisYear - 80)
        year += 100;
    return QDate(year, date.month(), date.day());
}

} // namespace

QDate ParseDate(const QString& text, const QLocale& locale)
{
    const QString trimmed = TrimSpaces(text);
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    const QDate asWritten = locale.toDate(trimmed, LenientFormat(shortFormat, false));
    if (asWritten.isValid())
        return HasTwoDigitYear(shortFormat) ? WindowedYear(asWritten) : asWritten;
    if (HasTwoDigitYear(shortFormat)) {
        const QDate fullYear = locale.toDate(trimmed, LenientFormat(shortFormat, true));
        if (fullYear.isValid())
            return fullYear;
    }
    const QDate longDate = locale.toDate(trimmed, QLocale::LongFormat);
    if (longDate.isValid())
        return longDate;
    const QDate iso = QDate::fromString(trimmed, Qt::ISODate);
    if (iso.isValid())
        return iso;
    RaiseError(ErrorNumber::TypeMismatch);
}

QString ShortDateText(QDate date, const QLocale& locale)
{
    return locale.toString(date, QLocale::ShortFormat);
}
