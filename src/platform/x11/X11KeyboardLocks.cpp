#include "platform/x11/X11KeyboardLocks.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

struct LockMasks
{
    unsigned caps;
    unsigned num;
    unsigned scroll; // 0 when Scroll Lock drives no modifier, as in most maps
};

LockMasks lockMasks(Display* display)
{
    return {
        LockMask, XkbKeysymToModifiers(display, XK_Num_Lock), XkbKeysymToModifiers(display, XK_Scroll_Lock)};
}

} // namespace

X11KeyboardLocks::X11KeyboardLocks(const QByteArray& displayName)
    : m_connection(displayName)
{ }

bool X11KeyboardLocks::setNumLockOn()
{
    return setLocks({false, true, false});
}

std::optional<X11KeyboardLocks::State> X11KeyboardLocks::state()
{
    if (!m_connection.isOpen())
        return std::nullopt;
    Display* display = m_connection.display();
    const LockMasks masks = lockMasks(display);
    XkbStateRec state {};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return std::nullopt;
    const unsigned locked = state.locked_mods;
    return State {(locked & masks.caps) != 0, masks.num != 0 && (locked & masks.num) != 0,
        masks.scroll != 0 && (locked & masks.scroll) != 0};
}

bool X11KeyboardLocks::setLocks(const State& wanted)
{
    if (!m_connection.isOpen())
        return false;
    Display* display = m_connection.display();
    const LockMasks masks = lockMasks(display);
    if (wanted.numLock && masks.num == 0)
        return false;
    const unsigned affected = masks.caps | masks.num | masks.scroll;
    const unsigned values = (wanted.capsLock ? masks.caps : 0) | (wanted.numLock ? masks.num : 0)
        | (wanted.scrollLock ? masks.scroll : 0);
    XkbLockModifiers(display, XkbUseCoreKbd, affected, values);
    XSync(display, False);
    const auto now = state();
    return now && now->capsLock == wanted.capsLock && now->numLock == wanted.numLock;
}
