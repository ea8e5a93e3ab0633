#include "macros/ClockFormats.h"

#include "core/GeneralNumber.h"
#include "macros/DateFormat.h"

namespace {

// Times of day are formatted on the zero date of the date arithmetic they come from.
const QDate kZeroDate(1899, 12, 30);

} // namespace

ClockFormats::ClockFormats(const QLocale& locale, std::optional<QDateTime> fixedNow)
    : m_locale(locale)
    , m_fixedNow(std::move(fixedNow))
{ }

QDateTime ClockFormats::now() const
{
    return m_fixedNow.value_or(QDateTime::currentDateTime());
}

QString ClockFormats::date(const QString& format)
{
    const QDate today = now().date();
    if (format.isEmpty())
        return DateFormat::shortDate(today, m_locale);
    return DateFormat::format(QDateTime(today, QTime(0, 0)), format, m_locale);
}

QString ClockFormats::time(const QString& format)
{
    const QTime clock = now().time();
    if (format.isEmpty())
        return DateFormat::longTime(clock, m_locale);
    return DateFormat::format(QDateTime(kZeroDate, clock), format, m_locale);
}

QString ClockFormats::number(double value)
{
    return GeneralNumber::toText(value, m_locale);
}

std::optional<double> ClockFormats::localeNumber(const QString& text)
{
    bool ok = false;
    const double value = m_locale.toDouble(text.trimmed(), &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}
