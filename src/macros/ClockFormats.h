#pragma once

#include "macros/MacroFormats.h"

#include <QDateTime>
#include <QLocale>

#include <optional>

// The texts a macro types for dates, times and counter values, in a locale and at the current
// time, or at a fixed time for a dry run.
class ClockFormats : public MacroFormats
{
public:
    explicit ClockFormats(const QLocale& locale = QLocale::system(), std::optional<QDateTime> fixedNow = {});

    QString date(const QString& format) override;
    QString time(const QString& format) override;
    QString number(double value) override;
    std::optional<double> localeNumber(const QString& text) override;

private:
    QDateTime now() const;

    QLocale m_locale;
    std::optional<QDateTime> m_fixedNow;
};
