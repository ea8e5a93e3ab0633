#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// One step of typing: a character, a named key, or holding or letting go of a modifier.
// The keystroke notation is read into a flat list of these; every backend types the same list.
struct KeyAction
{
    enum class Kind
    {
        Character,
        NamedKey,
        ModifierDown,
        ModifierUp
    };

    enum class Key
    {
        Backspace,
        Break,
        CapsLock,
        Delete,
        Down,
        End,
        Enter,
        Escape,
        Help,
        Home,
        Insert,
        Left,
        NumLock,
        PageDown,
        PageUp,
        PrintScreen,
        Right,
        ScrollLock,
        Tab,
        Up,
        F1,
        F2,
        F3,
        F4,
        F5,
        F6,
        F7,
        F8,
        F9,
        F10,
        F11,
        F12,
        F13,
        F14,
        F15,
        F16,
        Add,
        Subtract,
        Multiply,
        Divide,
    };

    enum class Modifier
    {
        Shift,
        Control,
        Alt
    };

    Kind kind = Kind::Character;
    char32_t character = 0; // Character only
    Key key = Key::Enter; // NamedKey only
    Modifier modifier = Modifier::Shift; // ModifierDown and ModifierUp only

    static KeyAction typeCharacter(char32_t c);
    static KeyAction pressKey(Key k);
    static KeyAction modifierDown(Modifier m);
    static KeyAction modifierUp(Modifier m);

    // One readable line: "char 'a'", "char 'é' U+00E9", "key TAB", "down SHIFT", "up CTRL".
    QString toString() const;

    // The canonical name used by the notation ("BACKSPACE", "PGDN", "F12", "ADD").
    static QString keyName(Key k);
    // Any name the notation accepts, in any case, aliases included ("bs", "Del", "INS").
    static std::optional<Key> keyFromName(QStringView name);
    static QString modifierName(Modifier m);

    bool operator==(const KeyAction&) const = default;
};
