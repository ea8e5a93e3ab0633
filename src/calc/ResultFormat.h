#pragma once

#include <QString>

#include <optional>

// How the calculator writes a result: the integer part with "," between groups of three digits
// and nothing when it is 0, then always ".", then at most 12 decimals without trailing zeros;
// "-" before a negative value. 14 is "14.", 0.5 is ".5", 0 is ".". The value is first cut to
// its 15-significant-digit text and that decimal text is rounded, half away from zero.
namespace ResultFormat {

constexpr int kDecimals = 12;

QString format(double value);

// A formatted result read back, grouping commas ignored; "." is 0. Nothing for a text that is
// not a whole number (the empty text among them).
std::optional<double> read(const QString& text);

// Rounds to the given decimal places with ties going to the even neighbour (2.5 gives 2),
// by scaling, rounding to an integer and scaling back. A value too large to have a fraction at
// that scale is kept as it is.
double roundHalfEven(double value, int places);

// The decimal-places setting: "-" (unrounded) or one digit; anything else becomes "4".
QString normalDecimalPlaces(const QString& text);

} // namespace ResultFormat
