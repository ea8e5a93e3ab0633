#include "TestEnvironment.h"
#include "macros/DateFormat.h"

namespace {
QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms));
}
} // namespace

class TestDateFormat : public QObject
{
    Q_OBJECT
private slots:
    void formats_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QLocale>("locale");
        const QDateTime a = at(2024, 3, 5, 14, 7, 9); // a Tuesday
        const QDateTime b = at(2025, 1, 5, 9, 3, 4); // a Sunday
        const QDateTime timeOnly = at(1899, 12, 30, 14, 7, 9);
        const auto row
            = [](const char* name, const QDateTime& value, const QString& format, const char* expected,
                  const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates)) {
                  QTest::newRow(name) << value << format << QString::fromUtf8(expected) << locale;
              };
        row("day number and name", a, "d|dd|ddd|dddd", "5|05|Tue|Tuesday");
        row("short date has four-digit year", a, "ddddd", "3/5/2024");
        row("long date", a, "dddddd", "Tuesday, March 5, 2024");
        row("weekday and week", a, "w|ww", "3|10");
        row("month number and name", a, "m|mm|mmm|mmmm", "3|03|Mar|March");
        row("quarter, day of year, years; yyy is yy then y", a, "q|y|yy|yyyy|yyy", "1|65|24|2024|2465");
        row("hour, minute, second", a, "h:n:s|hh:nn:ss", "14:7:9|14:07:09");
        row("m after h is the minute", a, "h:m:s", "14:7:9");
        row("mm before the hour is the month, after it the minute", a, "mm/dd/yyyy hh:mm",
            "03/05/2024 14:07");
        row("mm before ss stays the month", a, "mm:ss", "03:09");
        row("only the first m after the hour is the minute", a, "hh:mm:ss mm", "14:07:09 03");
        row("day token cancels the minute", a, "hh:dd mm", "14:05 03");
        row("minute need not follow the hour directly", at(1900, 1, 1, 12, 36), "dd:hh :mm:mm",
            "01:12 :36:01");
        row("mmm after the hour is the month", a, "h mmm", "14 Mar");
        row("letters in any case", a, "DD-MMM-YYYY HH:NN:SS", "05-Mar-2024 14:07:09");
        row("AM/PM spellings, padded 12-hour", a, "hh:nn AM/PM am/pm A/P a/p AMPM ampm",
            "02:07 PM pm P p PM PM");
        row("morning", b, "h:nn:ss AM/PM", "9:03:04 AM");
        row("half past midnight is 12 AM", at(2024, 3, 5, 0, 30), "h:nn AM/PM", "12:30 AM");
        row("noon is 12 PM", at(2024, 3, 5, 12, 0), "h:nn a/p", "12:00 p");
        row("long time", a, "ttttt", "2:07:09 PM");
        row("date and time", a, "c", "3/5/2024 2:07:09 PM");
        row("date only", at(2024, 3, 5), "c", "3/5/2024");
        row("time only", timeOnly, "c", "2:07:09 PM");
        row("time only is on the zero date", timeOnly, "d/m/yyyy", "30/12/1899");
        row("Sunday 5 January starts week 2", b, "w|ww|y", "1|2|5");
        row("Saturday 1 January is week 1", at(2022, 1, 1), "w|ww", "7|1");
        row("31 December of a leap year from Saturday is week 54", at(2000, 12, 31), "w|ww", "1|54");
        row("quoted text", a, "\"Week d \"ww", "Week d 10");
        row("unclosed quote runs to the end", a, "d\"h:", "5h:");
        row("escaped letters", a, "\\W\\e\\e\\k ww|hh\\hnn", "Week 10|14h07");
        row("backslash at the end is dropped", a, "d\\", "5");
        row("other characters copied", a, "dd-mmm-yy (b,x.0#%)", "05-Mar-24 (b,x.0#%)");
        row("only the first section counts", a, "d;m", "5");
        row("seconds round up from above half", at(2024, 3, 5, 23, 59, 59, 501), "d hh:nn:ss", "6 00:00:00");
        row("half a second does not round", at(2024, 3, 5, 14, 7, 9, 500), "ss", "09");
        // Separators, names and the named formats follow the locale passed in.
        row("German", a, "d/m/yy ddddd ttttt mmmm", "5.3.24 05.03.2024 14:07:09 März",
            QLocale(QLocale::German));
        row("Finnish time separator", a, "h:nn", "14.07", QLocale(QLocale::Finnish));
        // The C locale spells its short date "d MMM yyyy": its separators are POSIX's.
        row("C locale separators", at(2026, 12, 7, 9, 5, 3), "dd/mm/yyyy hh:nn:ss", "07/12/2026 09:05:03",
            QLocale::c());
    }
    void formats()
    {
        QFETCH(QDateTime, value);
        QFETCH(QString, format);
        QFETCH(QLocale, locale);
        QTEST(DateFormat::format(value, format, locale), "expected");
    }
};

TRELLIN_TEST_MAIN(TestDateFormat)
#include "tst_dateformat.moc"
