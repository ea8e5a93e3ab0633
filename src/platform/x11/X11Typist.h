#pragma once

#include "platform/KeySender.h"
#include "platform/x11/X11KeySender.h"

#include <QHash>
#include <QList>

#include <X11/Xlib.h>

#include <array>
#include <vector>

// Types one list of actions for X11KeySender with raw XTest events; lives for one send. It
// reads the keyboard map, plans a keycode for every action (binding slots of spare keycodes
// to characters the map lacks, in the sender's bindings), unlocks Caps Lock and the layout
// group for the time of typing, and types.
class X11Typist
{
public:
    using Result = KeySender::Result;

    X11Typist(X11KeySender& sender, const QList<KeyAction>& actions);
    Result run(bool wait);

private:
    using Key = KeyAction::Key;
    using Modifier = KeyAction::Modifier;

    struct KeyPlace
    {
        KeyCode keycode = 0;
        int level = 0; // 1 is reached with Shift
    };

    // What the keyboard map offers, read once per send. Keycodes bound by us count as spare.
    struct KeyboardMap
    {
        QHash<KeySym, KeyPlace> byKeysym;
        QHash<uint, KeyPlace> byCharacter;
        std::vector<KeyCode> spare;
    };

    struct Stroke
    {
        KeyCode keycode = 0; // 0 when a spare keycode must be bound to bindKeysym
        bool shift = false;
        KeySym bindKeysym = NoSymbol;
    };

    // Every client gets a mapping notification for each binding; nothing here needs them.
    void discardEvents();
    bool isBound(KeyCode keycode) const;
    void readKeyboardMap();
    Result planStrokes();
    void planCharacter(char32_t character, Stroke& stroke) const;
    // Named keys only at level 0: on the second level of a key, Shift may not be what reaches
    // them (Break sits behind Ctrl on the Pause key).
    void planKey(Key key, Stroke& stroke) const;
    static Result missingModifier(Modifier modifier);
    KeyCode modifierKeycode(Modifier modifier) const;
    // A modifier the user still holds (the Ctrl of a hotkey, say) would turn typed text into
    // shortcuts.
    void releaseHeldModifiers();
    // Caps Lock would invert the case of letters, and another layout group would turn the
    // first group's keysyms into other characters.
    void unlockForTyping();
    void restoreLocks();
    Result typeActions();
    void typeBound(KeySym keysym, qsizetype actionIndex);
    void tap(KeyCode keycode, bool shift, bool exactShift = false);
    void lockGroup(int group);
    void setModifier(Modifier modifier, bool down);
    void releaseNotationModifiers();
    void pause();
    int bindingFor(KeySym keysym) const;
    // The first characters (as keysyms) still to be typed through slots from actionIndex on,
    // as many as there are slots, in the order of their first use.
    std::vector<KeySym> upcomingBindings(qsizetype actionIndex) const;
    // Binds the characters needed next to free slots, all in one go.
    void bindUpcoming(qsizetype actionIndex);
    // Makes room when every slot holds a character: unbinds all that are not needed next,
    // once the receiver has handled the keys typed on them. Returns the keycodes they were on.
    std::vector<unsigned char> freeSlots(qsizetype actionIndex);

    X11KeySender& m_sender;
    Display* m_display;
    const QList<KeyAction>& m_actions;
    KeyboardMap m_map;
    std::vector<Stroke> m_strokes;
    std::array<bool, 3> m_held {};
    bool m_savedCapsLock = false;
    int m_savedGroup = 0;
    int m_group = 0; // locked while typing
    int m_capsLockPresses = 0;
    int m_mapChangesSincePause = 0;
};
