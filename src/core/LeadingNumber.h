#pragma once

#include <QString>

// The number at the start of a text, read the same way whatever the user's locale:
// blanks, tabs and line feeds are skipped wherever they stand; then an optional sign,
// digits, an optional "." with digits, and an optional exponent ("E" or "D", optional
// sign, digits). Reading stops at the first other character; a text without a digit is 0.
double leadingNumber(const QString& text);
