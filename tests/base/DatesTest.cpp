#include "base/Dates.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

TEST(Dates, ShortLongAndIsoFormsOfTheLocale)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
    const QDate march9(2026, 3, 9);
    const std::tuple<QString, QLocale, QDate> cases[] = {
        {u"3/9/26"_s, us, march9},
        {u"3/9/2026"_s, us, march9},
        {u"  03/09/2026  "_s, us, march9},
        {u"Monday, March 9, 2026"_s, us, march9},
        {u"2026-03-09"_s, us, march9},
        {u"09.03.26"_s, de, march9},
        {u"9.3.2026"_s, de, march9},
        {u"2026-03-09"_s, de, march9},
        {u"03/09/2026"_s, gb, QDate(2026, 9, 3)}, // day first in Britain
        {u"01/01/1900"_s, gb, QDate(1900, 1, 1)}, // four digits are taken as written
    };
    for (const auto& [text, locale, date] : cases)
        EXPECT_EQ(ParseDate(text, locale), date) << text.toStdString();
    for (const QString& bad : {u"tomorrow"_s, QString(), u"   "_s, u"2/30/26"_s, u"2026-02-30"_s,
                               u"13/1/26"_s, u"3/9"_s})
        EXPECT_EQ(ErrorOf([&] { ParseDate(bad, us); }), ErrorNumber::TypeMismatch)
            << bad.toStdString();

    // Two-digit years fall near today.
    const int thisYear = QDate::currentDate().year();
    for (const auto& [written, read] : {std::pair{thisYear, thisYear},
                                        {thisYear + 19, thisYear + 19},
                                        {thisYear + 20, thisYear - 80},
                                        {thisYear - 80, thisYear - 80}})
        EXPECT_EQ(ParseDate(u"1/1/%1"_s.arg(written % 100, 2, 10, QChar(u'0')), us).year(), read);
}

TEST(Dates, WrittenDatesReadBackInEveryLocale)
{
    const QDate today = QDate::currentDate();
    for (const QLocale& locale :
         {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::French, QLocale::France),
          QLocale(QLocale::Japanese, QLocale::Japan), QLocale(QLocale::Dutch, QLocale::Netherlands),
          QLocale::system()})
        for (const QDate& date :
             {today, today.addDays(14), QDate(2024, 2, 29), today.addYears(-30)})
            EXPECT_EQ(ParseDate(ShortDateText(date, locale), locale), date)
                << locale.name().toStdString() << " " << ShortDateText(date, locale).toStdString();
}
