#include "calc/ResultFormat.h"

#include "calc/Evaluator.h"
#include "core/LeadingNumber.h"

#include <cmath>

namespace ResultFormat {

namespace {

// Adds one unit in the last place of a decimal digit string, carrying to the left.
QString incremented(QString digits)
{
    qsizetype i = digits.size() - 1;
    for (; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = u'0';
    }
    return u'1' + digits;
}

QString grouped(const QString& digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

} // namespace

QString format(double value)
{
    if (!std::isfinite(value))
        return Evaluator::valueText(value);
    // The 15-digit text, e.g. "1234.5" or "1.23456789012346E+17", split into its digits and
    // the place of the decimal point among them.
    QString text = Evaluator::valueText(std::fabs(value));
    int exponent = 0;
    const qsizetype e = text.indexOf(u'E');
    if (e >= 0) {
        exponent = text.mid(e + 1).toInt();
        text.truncate(e);
    }
    qsizetype point = text.indexOf(u'.');
    if (point < 0)
        point = text.size();
    else
        text.remove(point, 1);
    const qsizetype pointAt = point + exponent;
    QString integer;
    QString fraction;
    if (pointAt <= 0) {
        fraction = QString(-pointAt, u'0') + text;
    } else if (pointAt >= text.size()) {
        integer = text + QString(pointAt - text.size(), u'0');
    } else {
        integer = text.left(pointAt);
        fraction = text.mid(pointAt);
    }
    if (fraction.size() > kDecimals) {
        const bool up = fraction[kDecimals] >= u'5';
        fraction.truncate(kDecimals);
        if (up) {
            const QString digits = incremented(integer + fraction);
            integer = digits.left(digits.size() - kDecimals);
            fraction = digits.right(kDecimals);
        }
    }
    while (integer.startsWith(u'0'))
        integer.remove(0, 1);
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    // A negative value too small for 12 decimals shows as zero, without a sign.
    const bool negative = value < 0 && !(integer.isEmpty() && fraction.isEmpty());
    return (negative ? QStringLiteral("-") : QString()) + grouped(integer) + u'.' + fraction;
}

std::optional<double> read(const QString& text)
{
    QString plain = text;
    plain.remove(u',');
    if (plain == QLatin1String(".") || plain == QLatin1String("-."))
        return 0.0;
    if (!Evaluator::isNumberText(plain))
        return std::nullopt;
    return Evaluator::numberTextValue(plain);
}

double roundHalfEven(double value, int places)
{
    const double scale = std::pow(10.0, places);
    const double scaled = value * scale;
    // From 2^52 on, a double has no fraction left to round.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0)
        return value;
    return std::nearbyint(scaled) / scale;
}

QString normalDecimalPlaces(const QString& text)
{
    if (text == QLatin1String("-") || (text.size() == 1 && text[0] >= u'0' && text[0] <= u'9'))
        return text;
    return QStringLiteral("4");
}

} // namespace ResultFormat
