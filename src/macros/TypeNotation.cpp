#include "macros/TypeNotation.h"

#include "macros/KeystrokeNotation.h"
#include "platform/KeySender.h"

Result<> typeNotation(KeySender& keys, const QString& notation, bool wait)
{
    const auto parsed = KeystrokeNotation::parse(notation);
    if (!parsed.ok())
        return Result<>::failure(
            QStringLiteral("cannot read the keystroke text, ") + parsed.error->message());
    if (parsed.actions.isEmpty())
        return Result<>::success();
    return keys.sendActions(parsed.actions, wait);
}
