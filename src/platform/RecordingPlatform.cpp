#include "platform/RecordingPlatform.h"

KeySender::Result RecordingPlatform::sendActions(const QList<KeyAction>& typed, bool)
{
    if (failing)
        return Result::failure(QStringLiteral("keys could not be typed"));
    for (const KeyAction& action : typed) {
        calls.append(QStringLiteral("keys ") + action.toString());
        actions.append(action);
    }
    return Result::success();
}

bool RecordingPlatform::switchToLastWindow()
{
    calls.append(QStringLiteral("switch last"));
    return !failing;
}

bool RecordingPlatform::switchPastProgressWindow()
{
    calls.append(QStringLiteral("switch past progress"));
    return !failing;
}

bool RecordingPlatform::setNumLockOn()
{
    calls.append(QStringLiteral("numlock on"));
    return !failing;
}

bool RecordingPlatform::clear()
{
    calls.append(QStringLiteral("clipboard clear"));
    if (failing)
        return false;
    content.clear();
    return true;
}

bool RecordingPlatform::setText(const QString& text)
{
    calls.append(QStringLiteral("clipboard set ") + text);
    if (failing)
        return false;
    content = text;
    return true;
}

QString RecordingPlatform::text()
{
    calls.append(QStringLiteral("clipboard get"));
    return failing ? QString() : content;
}
