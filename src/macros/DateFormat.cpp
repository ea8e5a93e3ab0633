#include "macros/DateFormat.h"

#include <QList>

#include <algorithm>

namespace {

const QDate kZeroDate(1899, 12, 30);

// One piece of a parsed format: literal text, a field (the token's lower-case letter and its
// length) or a morning/afternoon marker.
struct Token
{
    char16_t letter = 0; // 0 for literal text and AM/PM markers
    int count = 0;
    QString text; // literal text, or the morning text of an AM/PM marker
    QString afternoon;
    bool amPm = false;
};

// Qt spells some locale texts with no-break blanks (U+00A0, U+202F); typed text uses plain ones.
QString plainBlanks(QString text)
{
    return text.replace(QChar(0x00A0), u' ').replace(QChar(0x202F), u' ');
}

// Rewrites a Qt date or time pattern for our named formats: a two-digit year "yy" becomes "yyyy"
// and a time zone ("t" runs) is dropped with the blanks before it. Quoted text stays as it is.
QString adaptQtPattern(const QString& pattern)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        qsizetype run = 1;
        while (!quoted && c != u'\'' && i + run < pattern.size() && pattern.at(i + run) == c)
            ++run;
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u'y' && run == 2) {
            out += QStringLiteral("yyyy");
        } else if (!quoted && c == u't') {
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
        } else {
            out += pattern.mid(i, run);
        }
        i += run;
    }
    return out;
}

// The text between the first two fields of a Qt pattern ("/" in "M/d/yy", "." in "dd.MM.yy").
QString separatorIn(const QString& pattern, const QString& fallback)
{
    qsizetype start = 0;
    while (start < pattern.size() && !pattern.at(start).isLetter())
        ++start;
    while (start < pattern.size() && pattern.at(start).isLetter())
        ++start;
    QString separator;
    for (qsizetype i = start; i < pattern.size() && !pattern.at(i).isLetter(); ++i) {
        if (pattern.at(i) != u'\'')
            separator += pattern.at(i);
    }
    return separator.isEmpty() ? fallback : separator;
}

QString twoDigits(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

// How many letters of a run of `letter` form one token; 0 when the run is literal text. Longer
// runs than any token are read as the longest token followed by the rest ("dddddddd" is
// "dddddd" then "dd"); "t" is a token only as "ttttt", and fewer are literal.
qsizetype tokenLength(char16_t letter, qsizetype run)
{
    switch (letter) {
    case u'd':
        return std::min<qsizetype>(run, 6);
    case u'm':
        return std::min<qsizetype>(run, 4);
    case u'y':
        return run >= 4 ? 4 : run >= 2 ? 2 : 1;
    case u'w':
    case u'h':
    case u'n':
    case u's':
        return std::min<qsizetype>(run, 2);
    case u'q':
    case u'c':
        return 1;
    case u't':
        return run >= 5 ? 5 : 0;
    default:
        return 0;
    }
}

// Reads the format up to the first ";" outside quotes. A lone "a", "p" or "t" and mixed-case
// forms such as "Am/Pm" are literal text.
QList<Token> tokenize(
    QStringView pattern, const QString& dateSeparator, const QString& timeSeparator, const QLocale& locale)
{
    QList<Token> tokens;
    const auto literal = [&tokens](QStringView text) {
        if (tokens.isEmpty() || tokens.last().letter != 0 || tokens.last().amPm)
            tokens.append(Token {});
        tokens.last().text += text;
    };
    const auto amPm = [&tokens](const QString& morning, const QString& afternoon) {
        tokens.append(Token {0, 0, morning, afternoon, true});
    };
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QStringView rest = pattern.mid(i);
        const QChar c = pattern.at(i);
        if (c == u';')
            break;
        if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? n : end;
            literal(pattern.mid(i + 1, stop - i - 1));
            i = stop + 1;
        } else if (c == u'\\') {
            if (i + 1 < n)
                literal(pattern.mid(i + 1, 1));
            i += 2;
        } else if (c == u'/') {
            literal(dateSeparator);
            ++i;
        } else if (c == u':') {
            literal(timeSeparator);
            ++i;
        } else if (rest.startsWith(u"AM/PM") || rest.startsWith(u"am/pm")) {
            amPm(rest.left(2).toString(), rest.mid(3, 2).toString());
            i += 5;
        } else if (rest.startsWith(u"AMPM", Qt::CaseInsensitive)) {
            amPm(locale.amText(), locale.pmText());
            i += 4;
        } else if ((c == u'A' || c == u'a') && rest.size() >= 3 && rest.at(1) == u'/'
            && rest.at(2).toLower() == u'p') {
            // The case of the "A" decides the case of both letters.
            amPm(c == u'A' ? QStringLiteral("A") : QStringLiteral("a"),
                c == u'A' ? QStringLiteral("P") : QStringLiteral("p"));
            i += 3;
        } else {
            const char16_t letter = c.toLower().unicode();
            qsizetype run = 1;
            while (i + run < n && pattern.at(i + run).toLower() == c.toLower())
                ++run;
            const qsizetype length = tokenLength(letter, run);
            if (length == 0) {
                literal(pattern.mid(i, run));
                i += run;
            } else {
                Token field;
                field.letter = letter;
                field.count = int(length);
                tokens.append(field);
                i += length;
            }
        }
    }
    return tokens;
}

int weekdaySundayFirst(const QDate& date)
{
    return date.dayOfWeek() % 7 + 1;
}

// Weeks start on Sunday; week 1 is the one holding 1 January, however few of its days are in
// the year, so the last days of a year can be in week 54.
int weekOfYear(const QDate& date)
{
    const int offset = weekdaySundayFirst(QDate(date.year(), 1, 1)) - 1;
    return (date.dayOfYear() - 1 + offset) / 7 + 1;
}

} // namespace

namespace DateFormat {

QString format(const QDateTime& value, const QString& pattern, const QLocale& locale)
{
    if (!value.isValid()) // no value, no text
        return {};
    QDate date = value.date();
    QTime time = value.time();
    if (time.msec() > 500) {
        if (time.hour() == 23 && time.minute() == 59 && time.second() == 59)
            date = date.addDays(1);
        time = time.addSecs(1);
    }
    time = QTime(time.hour(), time.minute(), time.second());

    // The C (POSIX) locale writes dates as "%x" does, 12/07/26, and times as 09:05:03.
    const bool posix = locale.language() == QLocale::C;
    const QString dateSeparator = posix
        ? QStringLiteral("/")
        : separatorIn(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
    const QString timeSeparator = posix
        ? QStringLiteral(":")
        : separatorIn(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":"));
    const QList<Token> tokens = tokenize(pattern, dateSeparator, timeSeparator, locale);
    // Any AM/PM marker in the format puts every hour of it on the 12-hour clock, wherever the
    // hour stands.
    const bool twelveHour = std::any_of(tokens.begin(), tokens.end(), [](const Token& t) { return t.amPm; });
    int hour = time.hour();
    if (twelveHour)
        hour = hour % 12 == 0 ? 12 : hour % 12;

    QString out;
    // An hour token came, and no day token or minute "m" since. Other tokens in between (year,
    // "n", weekday) leave it set.
    bool hourBefore = false;
    for (const Token& token : tokens) {
        const int count = token.count;
        const auto number = [&](int value) { return count == 2 ? twoDigits(value) : QString::number(value); };
        switch (token.letter) {
        case 0:
            out += token.amPm && time.hour() >= 12 ? token.afternoon : token.text;
            break;
        case u'd':
            hourBefore = false;
            if (count <= 2)
                out += number(date.day());
            else if (count <= 4)
                out += locale.dayName(
                    date.dayOfWeek(), count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            else if (count == 5)
                out += shortDate(date, locale);
            else
                out += plainBlanks(locale.toString(date, QLocale::LongFormat));
            break;
        case u'w':
            out += QString::number(count == 1 ? weekdaySundayFirst(date) : weekOfYear(date));
            break;
        case u'm':
            if (count <= 2 && hourBefore) {
                out += number(time.minute());
                hourBefore = false;
            } else if (count <= 2) {
                out += number(date.month());
            } else {
                out += locale.monthName(
                    date.month(), count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            }
            break;
        case u'q':
            out += QString::number((date.month() - 1) / 3 + 1);
            break;
        case u'y':
            if (count == 1)
                out += QString::number(date.dayOfYear());
            else if (count == 2)
                out += twoDigits(date.year() % 100);
            else
                out += QString::number(date.year());
            break;
        case u'h':
            out += number(hour);
            hourBefore = true;
            break;
        case u'n':
            out += number(time.minute());
            break;
        case u's':
            out += number(time.second());
            break;
        case u't':
            out += longTime(time, locale);
            break;
        case u'c': {
            // Midnight of the zero date has neither part; it shows as the time, like any
            // other time-only value.
            const bool hasDate = date != kZeroDate;
            const bool hasTime = time != QTime(0, 0) || !hasDate;
            if (hasDate)
                out += shortDate(date, locale);
            if (hasDate && hasTime)
                out += u' ';
            if (hasTime)
                out += longTime(time, locale);
            break;
        }
        }
    }
    return out;
}

QString shortDate(const QDate& date, const QLocale& locale)
{
    return plainBlanks(locale.toString(date, adaptQtPattern(locale.dateFormat(QLocale::ShortFormat))));
}

QString longTime(const QTime& time, const QLocale& locale)
{
    return plainBlanks(locale.toString(time, adaptQtPattern(locale.timeFormat(QLocale::LongFormat))));
}

} // namespace DateFormat
