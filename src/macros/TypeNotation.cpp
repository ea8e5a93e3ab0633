#include "macros/TypeNotation.h"

#include "macros/KeystrokeNotation.h"
#include "platform/KeySender.h"

#include <utility>

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

Result<> insertNotation(KeySender& keys, TextInserter& inserter, const QString& notation, InsertChoice choice)
{
    const auto parsed = KeystrokeNotation::parse(notation);
    if (!parsed.ok())
        return Result<>::failure(
            QStringLiteral("cannot read the keystroke text, ") + parsed.error->message());
    QList<KeyAction> pending;
    QString text;
    int held = 0;
    const auto flush = [&]() -> Result<> {
        if (!pending.isEmpty()) {
            if (const Result<> sent = keys.sendActions(std::exchange(pending, {}), true); !sent)
                return sent;
        }
        if (!text.isEmpty())
            return inserter.insertText(std::exchange(text, {}), choice);
        return Result<>::success();
    };
    for (const KeyAction& action : parsed.actions) {
        if (action.kind == KeyAction::Kind::Character && held == 0) {
            if (!pending.isEmpty()) {
                if (const Result<> sent = flush(); !sent)
                    return sent;
            }
            text.append(QString::fromUcs4(&action.character, 1));
            continue;
        }
        if (!text.isEmpty()) {
            if (const Result<> sent = flush(); !sent)
                return sent;
        }
        held += action.kind == KeyAction::Kind::ModifierDown ? 1
            : action.kind == KeyAction::Kind::ModifierUp     ? -1
                                                             : 0;
        pending.append(action);
    }
    return flush();
}
