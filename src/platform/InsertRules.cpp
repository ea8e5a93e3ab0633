#include "platform/InsertRules.h"

#include "core/Settings.h"

#include <QRegularExpression>

#include <optional>

namespace {

bool matches(const QStringList& patterns, const QList<QByteArray>& windowClass)
{
    for (const QString& pattern : patterns) {
        const QRegularExpression expression(QRegularExpression::wildcardToRegularExpression(pattern),
            QRegularExpression::CaseInsensitiveOption);
        for (const QByteArray& name : windowClass) {
            if (!name.isEmpty() && expression.match(QString::fromUtf8(name)).hasMatch())
                return true;
        }
    }
    return false;
}

} // namespace

QStringList InsertRules::patterns(const QString& list)
{
    QStringList found;
    for (const QString& part : list.split(QRegularExpression(QStringLiteral("[,;]")), Qt::SkipEmptyParts)) {
        if (const QString pattern = part.trimmed(); !pattern.isEmpty())
            found << pattern;
    }
    return found;
}

InsertRules InsertRules::fromSettings(const Settings& settings)
{
    using Key = Settings::Key;
    InsertRules rules;
    rules.pasteByDefault
        = settings.text(Key::InsertDefault).trimmed().compare(u"paste", Qt::CaseInsensitive) == 0;
    rules.typed = patterns(settings.text(Key::InsertTyped));
    rules.ctrlV = patterns(settings.text(Key::InsertCtrlV));
    rules.shiftInsert = patterns(settings.text(Key::InsertShiftInsert));
    rules.ctrlShiftV = patterns(settings.text(Key::InsertCtrlShiftV));
    return rules;
}

InsertMethod InsertRules::methodFor(const QList<QByteArray>& windowClass, InsertChoice choice) const
{
    if (choice == InsertChoice::Type)
        return InsertMethod::Type;
    std::optional<InsertMethod> paste;
    if (matches(shiftInsert, windowClass))
        paste = InsertMethod::PasteShiftInsert;
    else if (matches(ctrlShiftV, windowClass))
        paste = InsertMethod::PasteCtrlShiftV;
    else if (matches(ctrlV, windowClass))
        paste = InsertMethod::PasteCtrlV;
    // A macro that pastes uses the window's paste keys even where the user chose typing.
    if (choice == InsertChoice::Paste)
        return paste.value_or(InsertMethod::PasteCtrlV);
    if (matches(typed, windowClass))
        return InsertMethod::Type;
    return paste.value_or(pasteByDefault ? InsertMethod::PasteCtrlV : InsertMethod::Type);
}

QList<KeyAction> InsertRules::pasteKeys(InsertMethod method)
{
    using M = KeyAction::Modifier;
    switch (method) {
    case InsertMethod::Type:
        break;
    case InsertMethod::PasteCtrlV:
        return {KeyAction::modifierDown(M::Control), KeyAction::typeCharacter(U'v'),
            KeyAction::modifierUp(M::Control)};
    case InsertMethod::PasteShiftInsert:
        return {KeyAction::modifierDown(M::Shift), KeyAction::pressKey(KeyAction::Key::Insert),
            KeyAction::modifierUp(M::Shift)};
    case InsertMethod::PasteCtrlShiftV:
        return {KeyAction::modifierDown(M::Control), KeyAction::modifierDown(M::Shift),
            KeyAction::typeCharacter(U'v'), KeyAction::modifierUp(M::Shift),
            KeyAction::modifierUp(M::Control)};
    }
    return {};
}
