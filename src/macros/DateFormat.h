#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

// Dates and times as text, the way {DATE f} and {TIME f} type them.
//
// A value stands for one point on the macro language's date scale: a date alone is that day
// at midnight, and a time alone is that time of day on the zero date, 30 December 1899. Callers
// build the QDateTime that way ({DATE} passes today at 00:00:00, {TIME} passes 1899-12-30 with
// the current time), so "c" shows only the part that is there.
namespace DateFormat {

// A user-defined date/time format. Letters are read in either case; a run of one letter is one
// token, longest first:
//   d dd            day of month, 1 / 01        ddd dddd    weekday name, short / long
//   ddddd dddddd    the locale's short / long date
//   w               weekday, Sunday = 1         ww          week of year; the week holding
//                                                           1 January is 1, weeks start on Sunday
//   m mm            month 3 / 03, or the minute (see below)
//   mmm mmmm        month name, short / long    q           quarter
//   y               day of the year             yy yyyy     year 24 / 2024 ("yyy" is yy, then y)
//   h hh            hour 0-23 (1-12 with an AM/PM token), without / with a leading zero
//   n nn, s ss      minute, second              ttttt       the locale's long time
//   c               short date and long time, leaving out a date of 30/12/1899 or a time of 00:00:00
//   AM/PM am/pm A/P a/p   morning or afternoon in that spelling; AMPM the locale's designators
//   / :             the locale's date and time separators
// "m" or "mm" is the minute when an hour token came before it, with no day token in between,
// and no earlier "m" took the minute since that hour. Text in double quotes and the character
// after "\" are copied as they are; so is every other character. Only the text before the
// first ";" counts. Fractions of a second above one half round up to the next second.
QString format(const QDateTime& value, const QString& pattern, const QLocale& locale);

// The locale's short date, always with a four-digit year.
QString shortDate(const QDate& date, const QLocale& locale);
// The locale's long time, with seconds and without a time zone.
QString longTime(const QTime& time, const QLocale& locale);

} // namespace DateFormat
