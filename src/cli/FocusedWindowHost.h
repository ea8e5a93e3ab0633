#pragma once

#include "macros/PlaybackHost.h"

#include <QIODevice>

class KeySender;

// Plays a macro for trellinctl into whichever window has the keyboard focus. Nobody is there to
// answer a step: a message is written to standard error and playback goes on; an input step
// types nothing, as when the user leaves it without an answer.
class FocusedWindowHost : public PlaybackHost
{
public:
    FocusedWindowHost(KeySender& sender, int delayMs, QIODevice& err);

    Result<> sendKeystrokes(const QString& piece) override;
    StepAnswer paceStep() override;
    void waitMilliseconds(int milliseconds) override;
    StepAnswer messageStep(const QString& text) override;
    StepAnswer inputStep(const QString& prompt, const QString& defaultText) override;

private:
    KeySender& m_sender;
    int m_delayMs;
    QIODevice& m_err;
};
