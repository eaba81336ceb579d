#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

// Dates, times and whole numbers as the user types and reads them. Nothing else in the program
// parses or formats a date. Every function uses the default QLocale (the user's locale), whose
// short date order decides between month/day/year, day/month/year and year/month/day.
namespace ql::datetext {

// The locale's short date with a four-digit year, e.g. "5/25/1997" in en_US.
QString shortDate(QDate date);
// Month, day and two-digit year, the month and day without leading zeros, joined by the
// locale's date separator, e.g. "12/8/26": today's date as the collections look it up in an
// order of text dates.
QString shortDateTwoDigitYear(QDate date);
// The locale's long time form, e.g. "11:59:59 PM" in en_US.
QString longTime(QTime time);
// Short date, a blank and the long time; the time is left out when it is exactly midnight.
QString dateTime(const QDateTime& value);
// The long date the backup writes: the locale's full day and month names, the day in two digits,
// e.g. "Tuesday, March 02, 1999" in en_US.
QString longDate(QDate date);
// The time the backup writes: a 12-hour clock, the hour without a leading zero, AM or PM,
// e.g. "1:05:09 PM" in every locale.
QString clockTime(QTime time);

// Reads a date typed in the locale's short date order: any of the separators / - . or blank,
// a two-digit year taken in the century of `today`, two numbers meaning the year of `today`; or in
// ISO form (2026-05-25). Throws ql::Error "'%s' is not a valid date (month/day/year, e.g.
// 5/25/2026)", naming the locale's order, the example in the year of `today`.
QDate parseDate(const QString& text, QDate today);
// A date, optionally followed by a time (h:m, h:m:s or h:m:s.zzz, with AM/PM where given);
// a date alone means midnight; the date read as parseDate reads it. Times the local clock skips
// are refused.
// Throws ql::Error "'%s' is not a valid date and time (month/day/year and a time, e.g. …)".
QDateTime parseDateTime(const QString& text, QDate today);
// A whole number (optional sign, surrounding blanks allowed, 32-bit range).
// Throws ql::Error "'%s' is not a valid integer value".
int parseInteger(const QString& text);

} // namespace ql::datetext
