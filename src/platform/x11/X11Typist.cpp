#include "platform/x11/X11Typist.h"

#include <QThread>

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

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
    // The first slots are bound before any key goes out, so the receiver refetches the map
    // at the start rather than between keys.
    bindUpcoming(0);
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
    auto at = [&](int keycode, int column) -> KeySym& {
        return keysyms[(keycode - minKeycode) * perKeycode + column];
    };
    // A layout change (setxkbmap, say) replaces the whole map: a keycode that no longer holds
    // what we bound there is no longer ours.
    std::vector<int> overwritten;
    for (const X11KeySender::Binding& binding : m_sender.m_bindings) {
        const KeySym* row = &at(binding.keycode, 0);
        if (std::find(row, row + perKeycode, binding.keysym) == row + perKeycode)
            overwritten.push_back(binding.keycode);
    }
    std::erase_if(m_sender.m_bindings, [&](const X11KeySender::Binding& binding) {
        return std::find(overwritten.begin(), overwritten.end(), binding.keycode) != overwritten.end();
    });
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
    m_group = m_savedGroup;
    if (m_savedCapsLock)
        XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, 0);
    lockGroup(0);
}

void X11Typist::restoreLocks()
{
    // A {CAPSLOCK} in the text toggles the state the user had.
    const bool capsLock = m_savedCapsLock != (m_capsLockPresses % 2 == 1);
    if (m_savedCapsLock || m_capsLockPresses > 0)
        XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, capsLock ? LockMask : 0);
    lockGroup(m_savedGroup);
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
        if (stroke.bindKeysym != NoSymbol) {
            typeBound(stroke.bindKeysym, i);
        } else {
            lockGroup(0);
            tap(stroke.keycode, stroke.shift);
        }
        if (m_sender.m_options.paceEvery > 0 && ++keysTyped % m_sender.m_options.paceEvery == 0)
            pause();
    }
    return Result::success();
}

void X11Typist::typeBound(KeySym keysym, qsizetype actionIndex)
{
    int index = bindingFor(keysym);
    if (index < 0) {
        bindUpcoming(actionIndex);
        index = bindingFor(keysym);
    }
    const X11KeySender::Binding& binding = m_sender.m_bindings[static_cast<size_t>(index)];
    lockGroup(binding.group);
    // A slot holds one character at each level, so Shift must be exactly as the level needs,
    // even while the notation holds it; a named key on both levels takes the notation's Shift.
    const bool bothLevels = std::count_if(m_sender.m_bindings.begin(), m_sender.m_bindings.end(),
                                [&](const auto& other) { return other.keysym == keysym; })
        == 2;
    tap(binding.keycode, binding.level == 1, !bothLevels);
}

void X11Typist::tap(KeyCode keycode, bool shift, bool exactShift)
{
    const bool held = m_held[static_cast<size_t>(Modifier::Shift)];
    const bool pressShift = shift && !held;
    const bool releaseShift = exactShift && !shift && held;
    const KeyCode shiftKeycode = modifierKeycode(Modifier::Shift);
    if (pressShift || releaseShift)
        XTestFakeKeyEvent(m_display, shiftKeycode, pressShift ? True : False, CurrentTime);
    XTestFakeKeyEvent(m_display, keycode, True, CurrentTime);
    XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    if (pressShift || releaseShift)
        XTestFakeKeyEvent(m_display, shiftKeycode, releaseShift ? True : False, CurrentTime);
}

// The group travels with each key event, so a key typed after this lock reads its
// characters from that group, whatever the receiver is doing meanwhile.
void X11Typist::lockGroup(int group)
{
    if (group == m_group)
        return;
    XkbLockGroup(m_display, XkbUseCoreKbd, static_cast<unsigned int>(group));
    m_group = group;
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

std::vector<KeySym> X11Typist::upcomingBindings(qsizetype actionIndex) const
{
    const size_t slotCount = m_map.spare.size() * X11KeySender::kSlotsPerKeycode;
    std::vector<KeySym> upcoming;
    size_t taken = 0;
    for (qsizetype i = actionIndex; i < m_actions.size(); ++i) {
        const KeySym keysym = m_strokes[static_cast<size_t>(i)].bindKeysym;
        if (keysym == NoSymbol || std::find(upcoming.begin(), upcoming.end(), keysym) != upcoming.end())
            continue;
        taken += isTextKeysym(keysym) ? 1 : 2; // named keys take both levels
        if (taken > slotCount && !upcoming.empty())
            break;
        upcoming.push_back(keysym);
    }
    return upcoming;
}

void X11Typist::bindUpcoming(qsizetype actionIndex)
{
    auto& bindings = m_sender.m_bindings;
    const std::vector<KeySym> upcoming = upcomingBindings(actionIndex);
    if (upcoming.empty())
        return;
    std::vector<unsigned char> changed;
    if (bindingFor(upcoming.front()) < 0
        && bindings.size() >= m_map.spare.size() * X11KeySender::kSlotsPerKeycode)
        changed = freeSlots(actionIndex);
    // Free slots in the order they are taken: both levels of one keycode before the next, so
    // few keycodes change; the first group of every spare keycode before a second group, so
    // the layout keeps its group count as long as it can.
    std::vector<X11KeySender::Binding> free;
    for (int group = 0; group < X11KeySender::kSlotsPerKeycode / 2; ++group) {
        for (KeyCode keycode : m_map.spare) {
            for (int level = 0; level < 2; ++level) {
                const bool taken = std::any_of(bindings.begin(), bindings.end(), [&](const auto& binding) {
                    return binding.keycode == keycode && binding.group == group && binding.level == level;
                });
                if (!taken)
                    free.push_back({keycode, group, level, NoSymbol});
            }
        }
    }
    auto take = [&](size_t index, KeySym keysym) {
        free[index].keysym = keysym;
        bindings.push_back(free[index]);
        if (std::find(changed.begin(), changed.end(), free[index].keycode) == changed.end())
            changed.push_back(free[index].keycode);
    };
    auto pairsWithNext = [&](size_t index) {
        return free[index].level == 0 && index + 1 < free.size() && free[index + 1].keysym == NoSymbol
            && free[index + 1].keycode == free[index].keycode && free[index + 1].group == free[index].group;
    };
    for (KeySym keysym : upcoming) {
        if (bindingFor(keysym) >= 0)
            continue;
        // A named key goes on both levels of a group where it can, so that Shift held by the
        // notation still reaches it.
        const bool bothLevels = !isTextKeysym(keysym);
        size_t index = free.size();
        for (size_t i = 0; i < free.size(); ++i) {
            if (free[i].keysym != NoSymbol)
                continue;
            if (index == free.size())
                index = i;
            if (!bothLevels || pairsWithNext(i)) {
                index = i;
                break;
            }
        }
        if (index == free.size())
            break;
        const bool paired = bothLevels && pairsWithNext(index);
        take(index, keysym);
        if (paired)
            take(index + 1, keysym);
    }
    if (changed.empty())
        return;
    m_sender.writeSpareKeys(changed);
    m_mapChangesSincePause += static_cast<int>(changed.size());
    XSync(m_display, False);
}

std::vector<unsigned char> X11Typist::freeSlots(qsizetype actionIndex)
{
    // The receiver translates a key event with the keyboard map as it is when it gets to the
    // event, so it must have handled every key typed on a slot before the slot changes. Only
    // an answer to a ping shows that: a round trip through the server (XSync, a property)
    // proves that the server has sent the events, not that the receiver has read them, and a
    // receiver using Xlib's XKB support refetches the map on the first lookup after the
    // mapping notification has merely been read. Without the answer a pause stands in; it is
    // needed only once all slots (eight per spare keycode) are taken, so rarely.
    XSync(m_display, False);
    if (!m_sender.waitForReceiver())
        QThread::msleep(static_cast<unsigned long>(
            std::max(m_sender.m_options.rebindPauseMs, 0) + 10 * m_mapChangesSincePause));
    m_mapChangesSincePause = 0;
    const std::vector<KeySym> upcoming = upcomingBindings(actionIndex);
    std::vector<unsigned char> freed;
    std::erase_if(m_sender.m_bindings, [&](const X11KeySender::Binding& binding) {
        if (std::find(upcoming.begin(), upcoming.end(), binding.keysym) != upcoming.end())
            return false;
        if (std::find(freed.begin(), freed.end(), binding.keycode) == freed.end())
            freed.push_back(binding.keycode);
        return true;
    });
    return freed;
}
