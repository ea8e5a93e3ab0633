#pragma once

#include "macros/PlaybackHost.h"

#include <QStringList>

#include <optional>

// A playback host that types nothing and remembers every call as one line in calls():
// "SendKeystrokes\t<piece>", "PaceStep", "WaitMilliseconds\t<ms>", "MessageStep\t<text>",
// "InputStep\t<prompt>\t<default>", "InsertChoice\t<Rules|Type|Paste>". It reads every piece as the real key
// sender does and fails where that one would, with the same reason. Steps answer Continue unless told
// otherwise.
class RecordingHost : public PlaybackHost
{
public:
    Result<> sendKeystrokes(const QString& piece) override;
    StepAnswer paceStep() override;
    void waitMilliseconds(int milliseconds) override;
    StepAnswer messageStep(const QString& text) override;
    StepAnswer inputStep(const QString& prompt, const QString& defaultText) override;
    void setInsertChoice(InsertChoice choice) override;

    QStringList calls;
    // What the user types at every input step, recorded as sent keys; without it an input
    // step answers Miss.
    std::optional<QString> answer;
    // The pace step that answers Abort, counted from 1; 0 for none.
    int abortAtPaceStep = 0;
    // Message and input steps answer Abort, as when the user cancels the dialog.
    bool abortDialogs = false;

private:
    int m_paceSteps = 0;
};
