#include "core/GeneralNumber.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace GeneralNumber {

QString toText(double value, const QLocale& locale)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (value == 0)
        return QStringLiteral("0");

    // "d.ddddddddddddddde±X…": printf rounds correctly to 15 significant digits. Ties at the
    // 15th digit (only 16-digit integers ending in 5 and the like) go to the even digit.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, std::fabs(value));
    const char* const e = std::strchr(buffer, 'e');
    const int exponent = std::atoi(e + 1);
    QString digits = QString::fromLatin1(buffer, 1) + QString::fromLatin1(buffer + 2, int(e - buffer - 2));
    while (digits.endsWith(u'0'))
        digits.chop(1);

    const int integerDigits = exponent >= 0 ? exponent + 1 : 1;
    const int decimals = std::max<int>(0, int(digits.size()) - 1 - exponent);
    const QString separator = locale.decimalPoint();
    QString text = value < 0 ? QStringLiteral("-") : QString();
    if (integerDigits <= kSignificantDigits && decimals <= kSignificantDigits) {
        if (exponent < 0) {
            text += u'0' + separator + QString(-exponent - 1, u'0') + digits;
        } else if (digits.size() > exponent + 1) {
            text += digits.left(exponent + 1) + separator + digits.mid(exponent + 1);
        } else {
            text += digits + QString(exponent + 1 - digits.size(), u'0');
        }
        return text;
    }
    text += digits.left(1);
    if (digits.size() > 1)
        text += separator + digits.mid(1);
    text += u'E' + QString(exponent < 0 ? u'-' : u'+')
        + QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    return text;
}

} // namespace GeneralNumber
