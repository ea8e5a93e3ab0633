#include "platform/x11/X11Typist.h"

#include <QThread>

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <limits>

namespace {

using Key = KeyAction::Key;
using Modifier = KeyAction::Modifier;

KeySym keysymForKey(Key key)
{
    switch (key) {
    case Key::Backspace:
        return XK_BackSpace;
    case Key::Break:
        return XK_Break;
    case Key::CapsLock:
        return XK_Caps_Lock;
    case Key::Delete:
        return XK_Delete;
    case Key::Down:
        return XK_Down;
    case Key::End:
        return XK_End;
    case Key::Enter:
        return XK_Return;
    case Key::Escape:
        return XK_Escape;
    case Key::Help:
        return XK_Help;
    case Key::Home:
        return XK_Home;
    case Key::Insert:
        return XK_Insert;
    case Key::Left:
        return XK_Left;
    case Key::NumLock:
        return XK_Num_Lock;
    case Key::PageDown:
        return XK_Next;
    case Key::PageUp:
        return XK_Prior;
    case Key::PrintScreen:
        return XK_Print;
    case Key::Right:
        return XK_Right;
    case Key::ScrollLock:
        return XK_Scroll_Lock;
    case Key::Tab:
        return XK_Tab;
    case Key::Up:
        return XK_Up;
    case Key::Add:
        return XK_KP_Add;
    case Key::Subtract:
        return XK_KP_Subtract;
    case Key::Multiply:
        return XK_KP_Multiply;
    case Key::Divide:
        return XK_KP_Divide;
    default:
        break;
    }
    return XK_F1 + (static_cast<int>(key) - static_cast<int>(Key::F1));
}

// The keysym bound to a spare keycode for a character: Latin-1 keysyms equal the code
// point, every other character has its Unicode keysym.
KeySym keysymForCharacter(char32_t c)
{
    if ((c >= 0x20 && c <= 0x7e) || (c >= 0xa0 && c <= 0xff))
        return c;
    return 0x01000000 | c;
}

// Keypad and function keysyms are not text, even where xkbcommon gives them a character
// (KP_1 is "1" only with Num Lock).
bool isTextKeysym(KeySym keysym)
{
    return keysym < 0xff00 || (keysym >= 0x01000100 && keysym <= 0x0110ffff);
}

std::array<KeySym, 3> modifierKeysyms()
{
    return {XK_Shift_L, XK_Control_L, XK_Alt_L};
}

} // namespace

X11Typist::X11Typist(X11KeySender& sender, const QList<KeyAction>& actions)
    : m_sender(sender)
    , m_display(sender.m_connection.display())
    , m_actions(actions)
{ }

X11Typist::Result X11Typist::run(bool wait)
{
    discardEvents();
    readKeyboardMap();
    if (const Result planned = planStrokes(); !planned.ok())
        return planned;
    releaseHeldModifiers();
    unlockForTyping();
    bindAhead();
    const Result typed = typeActions();
    releaseNotationModifiers();
    restoreLocks();
    if (wait) {
        XSync(m_display, False);
        m_sender.waitForReceiver();
    } else {
        XFlush(m_display);
    }
    return typed;
}

// Every client gets a mapping notification for each binding; nothing here needs them.
void X11Typist::discardEvents()
{
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
    }
}

bool X11Typist::isBound(KeyCode keycode) const
{
    for (const X11KeySender::Binding& binding : m_sender.m_bindings) {
        if (binding.keycode == keycode)
            return true;
    }
    return false;
}

void X11Typist::readKeyboardMap()
{
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(m_display, &minKeycode, &maxKeycode);
    int perKeycode = 0;
    KeySym* keysyms = XGetKeyboardMapping(
        m_display, static_cast<KeyCode>(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
    if (!keysyms)
        return;
    auto at = [&](int keycode, int column) { return keysyms[(keycode - minKeycode) * perKeycode + column]; };
    // Level 0 everywhere first, so a keysym reachable without Shift is typed without it.
    for (int level = 0; level < std::min(perKeycode, 2); ++level) {
        for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
            const KeySym keysym = at(keycode, level);
            if (keysym == NoSymbol || isBound(static_cast<KeyCode>(keycode)))
                continue;
            const KeyPlace place {static_cast<KeyCode>(keycode), level};
            if (!m_map.byKeysym.contains(keysym))
                m_map.byKeysym.insert(keysym, place);
            if (!isTextKeysym(keysym))
                continue;
            const uint character = xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(keysym));
            if (character != 0 && !m_map.byCharacter.contains(character))
                m_map.byCharacter.insert(character, place);
        }
    }
    for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
        bool empty = true;
        for (int column = 0; column < perKeycode && empty; ++column)
            empty = at(keycode, column) == NoSymbol;
        if (empty || isBound(static_cast<KeyCode>(keycode)))
            m_map.spare.push_back(static_cast<KeyCode>(keycode));
    }
    XFree(keysyms);
}

X11Typist::Result X11Typist::planStrokes()
{
    m_strokes.resize(m_actions.size());
    for (qsizetype i = 0; i < m_actions.size(); ++i) {
        const KeyAction& action = m_actions.at(i);
        Stroke& stroke = m_strokes[i];
        switch (action.kind) {
        case KeyAction::Kind::Character:
            planCharacter(action.character, stroke);
            break;
        case KeyAction::Kind::NamedKey:
            planKey(action.key, stroke);
            break;
        case KeyAction::Kind::ModifierDown:
        case KeyAction::Kind::ModifierUp:
            if (modifierKeycode(action.modifier) == 0)
                return missingModifier(action.modifier);
            break;
        }
        if (stroke.shift && modifierKeycode(Modifier::Shift) == 0)
            return missingModifier(Modifier::Shift);
        if (stroke.bindKeysym != NoSymbol && m_map.spare.empty()) {
            const QString what = action.kind == KeyAction::Kind::Character
                ? QStringLiteral("'%1'").arg(QString::fromUcs4(&action.character, 1))
                : KeyAction::keyName(action.key);
            return Result::failure(
                QStringLiteral("the keyboard has no key for %1 and no spare keycode to bind it to")
                    .arg(what));
        }
    }
    return Result::success();
}

void X11Typist::planCharacter(char32_t character, Stroke& stroke) const
{
    if (const auto place = m_map.byCharacter.constFind(character); place != m_map.byCharacter.cend()) {
        stroke.keycode = place->keycode;
        stroke.shift = place->level == 1;
    } else {
        stroke.bindKeysym = keysymForCharacter(character);
    }
}

// Named keys only at level 0: on the second level of a key, Shift may not be what reaches
// them (Break sits behind Ctrl on the Pause key).
void X11Typist::planKey(Key key, Stroke& stroke) const
{
    const KeySym keysym = keysymForKey(key);
    const auto place = m_map.byKeysym.constFind(keysym);
    if (place != m_map.byKeysym.cend() && place->level == 0)
        stroke.keycode = place->keycode;
    else
        stroke.bindKeysym = keysym;
}

X11Typist::Result X11Typist::missingModifier(Modifier modifier)
{
    return Result::failure(QStringLiteral("the keyboard map has no %1 key, cannot type keys")
                               .arg(KeyAction::modifierName(modifier)));
}

KeyCode X11Typist::modifierKeycode(Modifier modifier) const
{
    const KeySym keysym = modifierKeysyms()[static_cast<size_t>(modifier)];
    const auto place = m_map.byKeysym.constFind(keysym);
    return place != m_map.byKeysym.cend() && place->level == 0 ? place->keycode : KeyCode(0);
}

// A modifier the user still holds (the Ctrl of a hotkey, say) would turn typed text into
// shortcuts.
void X11Typist::releaseHeldModifiers()
{
    std::array<char, 32> down {};
    XQueryKeymap(m_display, down.data());
    XModifierKeymap* modifiers = XGetModifierMapping(m_display);
    if (!modifiers)
        return;
    for (int i = 0; i < 8 * modifiers->max_keypermod; ++i) {
        const KeyCode keycode = modifiers->modifiermap[i];
        if (keycode != 0 && (down[keycode / 8] & (1 << (keycode % 8))))
            XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    }
    XFreeModifiermap(modifiers);
}

// Caps Lock would invert the case of letters, and another layout group would turn the
// first group's keysyms into other characters.
void X11Typist::unlockForTyping()
{
    XkbStateRec state {};
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    m_savedCapsLock = (state.locked_mods & LockMask) != 0;
    m_savedGroup = state.locked_group;
    if (m_savedCapsLock)
        XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, 0);
    if (m_savedGroup != 0)
        XkbLockGroup(m_display, XkbUseCoreKbd, 0);
}

void X11Typist::restoreLocks()
{
    // A {CAPSLOCK} in the text toggles the state the user had.
    const bool capsLock = m_savedCapsLock != (m_capsLockPresses % 2 == 1);
    if (m_savedCapsLock || m_capsLockPresses > 0)
        XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, capsLock ? LockMask : 0);
    if (m_savedGroup != 0)
        XkbLockGroup(m_display, XkbUseCoreKbd, m_savedGroup);
}

// Binds the first spare keycodes before any key goes out, so the receiver refetches the
// map at the start rather than between keys.
void X11Typist::bindAhead()
{
    int free = 0;
    for (KeyCode keycode : m_map.spare) {
        if (!isBound(keycode))
            ++free;
    }
    std::vector<KeySym> wanted;
    for (const Stroke& stroke : m_strokes) {
        if (free == 0)
            break;
        if (stroke.bindKeysym == NoSymbol || bindingFor(stroke.bindKeysym) >= 0)
            continue;
        if (std::find(wanted.begin(), wanted.end(), stroke.bindKeysym) != wanted.end())
            continue;
        wanted.push_back(stroke.bindKeysym);
        --free;
    }
    for (KeySym keysym : wanted)
        bind(freeSpareKeycode(), keysym);
    if (!wanted.empty())
        XSync(m_display, False);
}

X11Typist::Result X11Typist::typeActions()
{
    int keysTyped = 0;
    for (qsizetype i = 0; i < m_actions.size(); ++i) {
        const KeyAction& action = m_actions.at(i);
        switch (action.kind) {
        case KeyAction::Kind::ModifierDown:
            setModifier(action.modifier, true);
            continue;
        case KeyAction::Kind::ModifierUp:
            setModifier(action.modifier, false);
            continue;
        case KeyAction::Kind::NamedKey:
            if (action.key == Key::CapsLock)
                ++m_capsLockPresses;
            break;
        case KeyAction::Kind::Character:
            break;
        }
        const Stroke& stroke = m_strokes[i];
        const KeyCode keycode
            = stroke.keycode != 0 ? stroke.keycode : keycodeForBinding(stroke.bindKeysym, i);
        tap(keycode, stroke.shift);
        if (m_sender.m_options.paceEvery > 0 && ++keysTyped % m_sender.m_options.paceEvery == 0)
            pause();
    }
    return Result::success();
}

void X11Typist::tap(KeyCode keycode, bool shift)
{
    const bool pressShift = shift && !m_held[static_cast<size_t>(Modifier::Shift)];
    const KeyCode shiftKeycode = modifierKeycode(Modifier::Shift);
    if (pressShift)
        XTestFakeKeyEvent(m_display, shiftKeycode, True, CurrentTime);
    XTestFakeKeyEvent(m_display, keycode, True, CurrentTime);
    XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    if (pressShift)
        XTestFakeKeyEvent(m_display, shiftKeycode, False, CurrentTime);
}

void X11Typist::setModifier(Modifier modifier, bool down)
{
    bool& held = m_held[static_cast<size_t>(modifier)];
    if (held == down)
        return;
    XTestFakeKeyEvent(m_display, modifierKeycode(modifier), down ? True : False, CurrentTime);
    held = down;
}

void X11Typist::releaseNotationModifiers()
{
    for (Modifier modifier : {Modifier::Alt, Modifier::Control, Modifier::Shift})
        setModifier(modifier, false);
}

void X11Typist::pause()
{
    XFlush(m_display);
    QThread::usleep(static_cast<unsigned long>(std::max(m_sender.m_options.paceMicroseconds, 0)));
}

int X11Typist::bindingFor(KeySym keysym) const
{
    const auto& bindings = m_sender.m_bindings;
    for (size_t i = 0; i < bindings.size(); ++i) {
        if (bindings[i].keysym == keysym)
            return static_cast<int>(i);
    }
    return -1;
}

KeyCode X11Typist::freeSpareKeycode() const
{
    for (KeyCode keycode : m_map.spare) {
        if (!isBound(keycode))
            return keycode;
    }
    return 0;
}

KeyCode X11Typist::keycodeForBinding(KeySym keysym, qsizetype actionIndex)
{
    auto& bindings = m_sender.m_bindings;
    int index = bindingFor(keysym);
    if (index < 0) {
        if (const KeyCode keycode = freeSpareKeycode(); keycode != 0) {
            bind(keycode, keysym);
            index = static_cast<int>(bindings.size()) - 1;
        } else {
            index = evictionCandidate(actionIndex);
            // The receiver reads the keyboard map as it is when it handles a mapping
            // notification, which may come after this rebinding: it must have handled
            // the keys typed on the old binding first.
            XSync(m_display, False);
            if (!m_sender.waitForReceiver())
                QThread::msleep(static_cast<unsigned long>(
                    std::max(m_sender.m_options.rebindPauseMs, 0) + 10 * m_mapChangesSincePause));
            m_mapChangesSincePause = 0;
            rebind(index, keysym);
        }
    }
    bindings[static_cast<size_t>(index)].lastUse = ++m_sender.m_useCounter;
    return bindings[static_cast<size_t>(index)].keycode;
}

// The binding needed again the latest (or never) in the rest of this send.
int X11Typist::evictionCandidate(qsizetype actionIndex) const
{
    const auto& bindings = m_sender.m_bindings;
    int best = 0;
    qsizetype bestNextUse = -1;
    for (size_t b = 0; b < bindings.size(); ++b) {
        qsizetype nextUse = std::numeric_limits<qsizetype>::max();
        for (qsizetype i = actionIndex + 1; i < m_actions.size(); ++i) {
            if (m_strokes[i].bindKeysym == bindings[b].keysym) {
                nextUse = i;
                break;
            }
        }
        if (nextUse > bestNextUse
            || (nextUse == bestNextUse
                && bindings[b].lastUse < bindings[static_cast<size_t>(best)].lastUse)) {
            best = static_cast<int>(b);
            bestNextUse = nextUse;
        }
    }
    return best;
}

void X11Typist::bind(KeyCode keycode, KeySym keysym)
{
    std::array<KeySym, 2> both {keysym, keysym};
    XChangeKeyboardMapping(m_display, keycode, 2, both.data(), 1);
    m_sender.m_bindings.push_back({keycode, keysym, 0});
    ++m_mapChangesSincePause;
}

void X11Typist::rebind(int index, KeySym keysym)
{
    X11KeySender::Binding& binding = m_sender.m_bindings[static_cast<size_t>(index)];
    std::array<KeySym, 2> both {keysym, keysym};
    XChangeKeyboardMapping(m_display, binding.keycode, 2, both.data(), 1);
    binding.keysym = keysym;
    ++m_mapChangesSincePause;
}
