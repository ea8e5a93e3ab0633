#pragma once

#include <QString>

#include <optional>

// The text a macro types that depends on the clock and the user's locale. The interpreter asks
// for it here, so a test can fix the clock and the locale.
class MacroFormats
{
public:
    virtual ~MacroFormats() = default;

    // Today's date in the format; an empty format is the system's short date.
    virtual QString date(const QString& format) = 0;
    // The current time in the format; an empty format is the system's time format.
    virtual QString time(const QString& format) = 0;
    // A counter value: general form, up to 15 significant digits, the locale's decimal
    // separator, no thousands separators.
    virtual QString number(double value) = 0;
    // A number written in the user's locale, such as a pause in seconds; nothing when the
    // text is no number.
    virtual std::optional<double> localeNumber(const QString& text) = 0;
};
