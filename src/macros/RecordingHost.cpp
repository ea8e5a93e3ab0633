#include "macros/RecordingHost.h"

#include "macros/KeystrokeNotation.h"

Result<> RecordingHost::sendKeystrokes(const QString& piece)
{
    calls.append(QStringLiteral("SendKeystrokes\t") + piece);
    const auto parsed = KeystrokeNotation::parse(piece);
    if (!parsed.ok()) // worded as the key sender words it
        return Result<>::failure(
            QStringLiteral("cannot read the keystroke text, ") + parsed.error->message());
    return Result<>::success();
}

StepAnswer RecordingHost::paceStep()
{
    calls.append(QStringLiteral("PaceStep"));
    return ++m_paceSteps == abortAtPaceStep ? StepAnswer::Abort : StepAnswer::Continue;
}

void RecordingHost::waitMilliseconds(int milliseconds)
{
    calls.append(QStringLiteral("WaitMilliseconds\t%1").arg(milliseconds));
}

StepAnswer RecordingHost::messageStep(const QString& text)
{
    calls.append(QStringLiteral("MessageStep\t") + text);
    return abortDialogs ? StepAnswer::Abort : StepAnswer::Continue;
}

StepAnswer RecordingHost::inputStep(const QString& prompt, const QString& defaultText)
{
    calls.append(QStringLiteral("InputStep\t%1\t%2").arg(prompt, defaultText));
    if (abortDialogs)
        return StepAnswer::Abort;
    if (!answer)
        return StepAnswer::Miss;
    calls.append(QStringLiteral("SendKeystrokes\t") + *answer);
    return StepAnswer::Continue;
}

void RecordingHost::setInsertChoice(InsertChoice choice)
{
    static const char* const names[] = {"Rules", "Type", "Paste"};
    calls.append(QStringLiteral("InsertChoice\t") + QLatin1String(names[int(choice)]));
}
