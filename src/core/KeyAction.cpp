#include "core/KeyAction.h"

#include <array>

namespace {

struct KeyNameEntry
{
    const char* name;
    KeyAction::Key key;
};

using K = KeyAction::Key;

// The first entry for a key is its canonical name; later ones are aliases.
constexpr std::array<KeyNameEntry, 44> keyNames {{
    {"BACKSPACE", K::Backspace},
    {"BS", K::Backspace},
    {"BKSP", K::Backspace},
    {"BREAK", K::Break},
    {"CAPSLOCK", K::CapsLock},
    {"DELETE", K::Delete},
    {"DEL", K::Delete},
    {"DOWN", K::Down},
    {"END", K::End},
    {"ENTER", K::Enter},
    {"ESC", K::Escape},
    {"HELP", K::Help},
    {"HOME", K::Home},
    {"INSERT", K::Insert},
    {"INS", K::Insert},
    {"LEFT", K::Left},
    {"NUMLOCK", K::NumLock},
    {"PGDN", K::PageDown},
    {"PGUP", K::PageUp},
    {"PRTSC", K::PrintScreen},
    {"RIGHT", K::Right},
    {"SCROLLLOCK", K::ScrollLock},
    {"TAB", K::Tab},
    {"UP", K::Up},
    {"F1", K::F1},
    {"F2", K::F2},
    {"F3", K::F3},
    {"F4", K::F4},
    {"F5", K::F5},
    {"F6", K::F6},
    {"F7", K::F7},
    {"F8", K::F8},
    {"F9", K::F9},
    {"F10", K::F10},
    {"F11", K::F11},
    {"F12", K::F12},
    {"F13", K::F13},
    {"F14", K::F14},
    {"F15", K::F15},
    {"F16", K::F16},
    {"ADD", K::Add},
    {"SUBTRACT", K::Subtract},
    {"MULTIPLY", K::Multiply},
    {"DIVIDE", K::Divide},
}};

} // namespace

KeyAction KeyAction::typeCharacter(char32_t c)
{
    return {.kind = Kind::Character, .character = c};
}

KeyAction KeyAction::pressKey(Key k)
{
    return {.kind = Kind::NamedKey, .key = k};
}

KeyAction KeyAction::modifierDown(Modifier m)
{
    return {.kind = Kind::ModifierDown, .modifier = m};
}

KeyAction KeyAction::modifierUp(Modifier m)
{
    return {.kind = Kind::ModifierUp, .modifier = m};
}

QString KeyAction::toString() const
{
    switch (kind) {
    case Kind::Character: {
        QString text = QStringLiteral("char '") + QString::fromUcs4(&character, 1) + u'\'';
        if (character < 0x20 || character > 0x7e)
            text += QStringLiteral(" U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper();
        return text;
    }
    case Kind::NamedKey:
        return QStringLiteral("key ") + keyName(key);
    case Kind::ModifierDown:
        return QStringLiteral("down ") + modifierName(modifier);
    case Kind::ModifierUp:
        return QStringLiteral("up ") + modifierName(modifier);
    }
    return QString();
}

QString KeyAction::keyName(Key k)
{
    for (const KeyNameEntry& entry : keyNames) {
        if (entry.key == k)
            return QString::fromLatin1(entry.name);
    }
    return QString();
}

std::optional<KeyAction::Key> KeyAction::keyFromName(QStringView name)
{
    for (const KeyNameEntry& entry : keyNames) {
        if (name.compare(QLatin1StringView(entry.name), Qt::CaseInsensitive) == 0)
            return entry.key;
    }
    return std::nullopt;
}

QString KeyAction::modifierName(Modifier m)
{
    switch (m) {
    case Modifier::Shift:
        return QStringLiteral("SHIFT");
    case Modifier::Control:
        return QStringLiteral("CTRL");
    case Modifier::Alt:
        return QStringLiteral("ALT");
    }
    return QString();
}
