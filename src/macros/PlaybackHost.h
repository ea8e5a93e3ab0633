#pragma once

#include "core/Result.h"
#include "platform/TextInserter.h"

#include <QString>

// How the user answered a step of a playback.
enum class StepAnswer
{
    Continue,
    Miss, // an input step the user left without an answer: nothing was typed
    Abort, // the user cancelled the playback
};

// Everything a macro playback does outside the macro text: typing, pacing, pausing and asking
// the user. The interpreter calls it; the program, trellinctl and the tests implement it.
class PlaybackHost
{
public:
    virtual ~PlaybackHost() = default;

    // Types a piece of keystroke notation into the foreground window and returns once the keys
    // are processed; fails, typing nothing, on a piece the notation cannot read.
    virtual Result<> sendKeystrokes(const QString& piece) = 0;
    // Waits the configured delay and lets pending events through; Continue or Abort.
    virtual StepAnswer paceStep() = 0;
    // Sleeps without processing events, so a cancel is not seen meanwhile. milliseconds >= 0.
    virtual void waitMilliseconds(int milliseconds) = 0;
    // Shows a message; Continue or Abort.
    virtual StepAnswer messageStep(const QString& text) = 0;
    // Asks for a text with defaultText filled in. On Continue the host has typed the answer.
    virtual StepAnswer inputStep(const QString& prompt, const QString& defaultText) = 0;
    // How the plain text of the rest of the playback goes in ({INSERT TYPE}, {INSERT PASTE},
    // {INSERT AUTO}); a host that only types ignores it.
    virtual void setInsertChoice(InsertChoice choice) { (void)choice; }
};
