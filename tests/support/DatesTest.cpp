#include "Dates.h"
#include "AppError.h"
#include "TestSupport.h"

TEST(Dates, ShortLongAndIsoFormsOfTheLocale)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDate march9(2026, 3, 9);
    EXPECT_EQ(ParseDate(QStringLiteral("3/9/26"), us), march9);
    EXPECT_EQ(ParseDate(QStringLiteral("3/9/2026"), us), march9);
    EXPECT_EQ(ParseDate(QStringLiteral("  03/09/2026  "), us), march9);
    EXPECT_EQ(ParseDate(QStringLiteral("Monday, March 9, 2026"), us), march9);
    EXPECT_EQ(ParseDate(QStringLiteral("2026-03-09"), us), march9);

    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(ParseDate(QStringLiteral("09.03.26"), de), march9);
    EXPECT_EQ(ParseDate(QStringLiteral("9.3.2026"), de), march9);
    EXPECT_EQ(ParseDate(QStringLiteral("2026-03-09"), de), march9);

    // Day first in Britain: the same text is another day.
    const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
    EXPECT_EQ(ParseDate(QStringLiteral("03/09/2026"), gb), QDate(2026, 9, 3));

    for (const QString& bad :
         {QStringLiteral("tomorrow"), QString(), QStringLiteral("   "), QStringLiteral("2/30/26"),
          QStringLiteral("2026-02-30"), QStringLiteral("13/1/26"), QStringLiteral("3/9")})
        EXPECT_EQ(ErrorOf([&] { ParseDate(bad, us); }), ErrorNumber::TypeMismatch)
            << bad.toStdString();
}

TEST(Dates, TwoDigitYearsFallNearToday)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const int thisYear = QDate::currentDate().year();
    auto twoDigits = [](int year) {
        return QStringLiteral("1/1/%1").arg(year % 100, 2, 10, QChar(u'0'));
    };
    EXPECT_EQ(ParseDate(twoDigits(thisYear), us).year(), thisYear);
    EXPECT_EQ(ParseDate(twoDigits(thisYear + 19), us).year(), thisYear + 19);
    EXPECT_EQ(ParseDate(twoDigits(thisYear + 20), us).year(), thisYear - 80);
    EXPECT_EQ(ParseDate(twoDigits(thisYear - 80), us).year(), thisYear - 80);
}

TEST(Dates, WrittenDatesReadBackInEveryLocale)
{
    const QList<QLocale> locales = {
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Japanese, QLocale::Japan),
        QLocale(QLocale::Dutch, QLocale::Netherlands),
        QLocale::system(),
    };
    const QDate today = QDate::currentDate();
    for (const QLocale& locale : locales)
        for (const QDate& date :
             {today, today.addDays(14), QDate(2024, 2, 29), today.addYears(-30)})
            EXPECT_EQ(ParseDate(ShortDateText(date, locale), locale), date)
                << locale.name().toStdString() << " " << ShortDateText(date, locale).toStdString();
}
