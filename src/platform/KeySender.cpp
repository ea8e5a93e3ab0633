#include "platform/KeySender.h"

#include "macros/KeystrokeNotation.h"

KeySender::Result KeySender::sendKeys(const QString& notation, bool wait)
{
    const auto parsed = KeystrokeNotation::parse(notation);
    if (!parsed.ok())
        return Result::failure(QStringLiteral("cannot read the keystroke text, ") + parsed.error->message());
    if (parsed.actions.isEmpty())
        return Result::success();
    return sendActions(parsed.actions, wait);
}
