#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

// A date typed by the user: the locale's short format, then its long format, then ISO 8601
// (2026-03-09), days and months with or without a leading zero and the year also in full.
// Spaces around the text are ignored. Anything else is error 13.
// A two-digit year (the short format of many locales) falls in the hundred years from 80
// years ago to 19 years ahead, so the date the program writes reads back as itself.
QDate ParseDate(const QString& text, const QLocale& locale = QLocale::system());

// The date in the locale's short format, the form ParseDate reads first.
QString ShortDateText(QDate date, const QLocale& locale = QLocale::system());
