#pragma once

#include "core/KeyAction.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Reads the SendKeys keystroke notation: "+" "^" "%" hold Shift, Ctrl, Alt for the next
// character, key or parenthesised group; "~" is Enter; "{NAME}" or "{NAME n}" presses a named
// key n times; "{c}" types the single character c (so "{+}" types a plus); everything else
// types itself, whether or not the keyboard has a key for it. Line feeds and tabs in the
// text act as Enter and Tab.
//
// Decisions where the notation leaves room:
// - a modifier with nothing after it (at the end, or before ")") does nothing, so a text cut
//   after "+" still reads; a modifier that is already held is not pressed twice;
// - groups nest: "+(^(a)b)" holds Shift over both letters and Ctrl over "a" only;
// - "{TAB 0}" types nothing; a repeat count above kMaxRepeat is an error, not a long wait;
// - control characters other than CR, LF and tab are errors: no key types them.
namespace KeystrokeNotation {

constexpr int kMaxRepeat = 10000;

struct Error
{
    int position = 0; // 1-based, counted in Unicode characters (a surrogate pair is one)
    QString reason;
    // "character 3: unknown key name 'BACKSPA'"
    QString message() const;
};

struct Result
{
    QList<KeyAction> actions;
    std::optional<Error> error;
    bool ok() const { return !error.has_value(); }
};

Result parse(QStringView notation);

// The notation that types text literally: every character the notation reads as a command
// is put in braces.
QString escape(QStringView text);

} // namespace KeystrokeNotation
