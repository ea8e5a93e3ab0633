#pragma once

#include <QLocale>
#include <QString>

// A number as text in the general form, the way the macro language and the calculator show a
// value without a format: at most 15 significant digits (rounded, trailing zeros dropped), the
// locale's decimal separator, no thousands separators, "-" before negative values and a "0"
// before the separator when the value is below 1.
//
// Plain notation is used while the rounded value needs at most 15 digits before and at most 15
// digits after the separator; otherwise scientific notation "d.dddE+XX": upper-case E, a sign
// that is always there and at least two exponent digits. So 1E15 is "1E+15", 0.00001 stays
// "0.00001", and 5.6789E-12 (16 decimals) is "5.6789E-12".
namespace GeneralNumber {

constexpr int kSignificantDigits = 15;

// Negative zero gives "0". The sign is always an ASCII "-" (never a locale's U+2212), so the
// text reads back as a number anywhere. NaN and infinities, which no calculation of ours should
// produce, give "NaN", "Infinity" and "-Infinity".
QString toText(double value, const QLocale& locale);

} // namespace GeneralNumber
