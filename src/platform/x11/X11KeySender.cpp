#include "platform/x11/X11KeySender.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHash>
#include <QThread>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <limits>

#include <poll.h>
#include <unistd.h>

namespace {

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

qint64 windowPid(Display* display, Window window, Atom pidAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    qint64 pid = -1;
    if (XGetWindowProperty(
            display, window, pidAtom, 0, 1, False, AnyPropertyType, &type, &format, &count, &remaining, &data)
            == Success
        && data && format == 32 && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

std::array<KeySym, 3> modifierKeysyms()
{
    return {XK_Shift_L, XK_Control_L, XK_Alt_L};
}

} // namespace

// Types one list of actions; lives for one send.
class X11KeySender::Typist
{
public:
    Typist(X11KeySender& sender, const QList<KeyAction>& actions)
        : m_sender(sender)
        , m_display(sender.m_connection.display())
        , m_actions(actions)
    { }

    Result run(bool wait)
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

private:
    struct Stroke
    {
        KeyCode keycode = 0; // 0 when a spare keycode must be bound to bindKeysym
        bool shift = false;
        KeySym bindKeysym = NoSymbol;
    };

    // Every client gets a mapping notification for each binding; nothing here needs them.
    void discardEvents()
    {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }

    bool isBound(KeyCode keycode) const
    {
        for (const Binding& binding : m_sender.m_bindings) {
            if (binding.keycode == keycode)
                return true;
        }
        return false;
    }

    void readKeyboardMap()
    {
        int minKeycode = 0;
        int maxKeycode = 0;
        XDisplayKeycodes(m_display, &minKeycode, &maxKeycode);
        int perKeycode = 0;
        KeySym* keysyms = XGetKeyboardMapping(
            m_display, static_cast<KeyCode>(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
        if (!keysyms)
            return;
        auto at
            = [&](int keycode, int column) { return keysyms[(keycode - minKeycode) * perKeycode + column]; };
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

    Result planStrokes()
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

    void planCharacter(char32_t character, Stroke& stroke) const
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
    void planKey(Key key, Stroke& stroke) const
    {
        const KeySym keysym = keysymForKey(key);
        const auto place = m_map.byKeysym.constFind(keysym);
        if (place != m_map.byKeysym.cend() && place->level == 0)
            stroke.keycode = place->keycode;
        else
            stroke.bindKeysym = keysym;
    }

    static Result missingModifier(Modifier modifier)
    {
        return Result::failure(QStringLiteral("the keyboard map has no %1 key, cannot type keys")
                                   .arg(KeyAction::modifierName(modifier)));
    }

    KeyCode modifierKeycode(Modifier modifier) const
    {
        const KeySym keysym = modifierKeysyms()[static_cast<size_t>(modifier)];
        const auto place = m_map.byKeysym.constFind(keysym);
        return place != m_map.byKeysym.cend() && place->level == 0 ? place->keycode : KeyCode(0);
    }

    // A modifier the user still holds (the Ctrl of a hotkey, say) would turn typed text into
    // shortcuts.
    void releaseHeldModifiers()
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
    void unlockForTyping()
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

    void restoreLocks()
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
    void bindAhead()
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

    Result typeActions()
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

    void tap(KeyCode keycode, bool shift)
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

    void setModifier(Modifier modifier, bool down)
    {
        bool& held = m_held[static_cast<size_t>(modifier)];
        if (held == down)
            return;
        XTestFakeKeyEvent(m_display, modifierKeycode(modifier), down ? True : False, CurrentTime);
        held = down;
    }

    void releaseNotationModifiers()
    {
        for (Modifier modifier : {Modifier::Alt, Modifier::Control, Modifier::Shift})
            setModifier(modifier, false);
    }

    void pause()
    {
        XFlush(m_display);
        QThread::usleep(static_cast<unsigned long>(std::max(m_sender.m_options.paceMicroseconds, 0)));
    }

    int bindingFor(KeySym keysym) const
    {
        const auto& bindings = m_sender.m_bindings;
        for (size_t i = 0; i < bindings.size(); ++i) {
            if (bindings[i].keysym == keysym)
                return static_cast<int>(i);
        }
        return -1;
    }

    KeyCode freeSpareKeycode() const
    {
        for (KeyCode keycode : m_map.spare) {
            if (!isBound(keycode))
                return keycode;
        }
        return 0;
    }

    KeyCode keycodeForBinding(KeySym keysym, qsizetype actionIndex)
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
    int evictionCandidate(qsizetype actionIndex) const
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

    void bind(KeyCode keycode, KeySym keysym)
    {
        std::array<KeySym, 2> both {keysym, keysym};
        XChangeKeyboardMapping(m_display, keycode, 2, both.data(), 1);
        m_sender.m_bindings.push_back({keycode, keysym, 0});
        ++m_mapChangesSincePause;
    }

    void rebind(int index, KeySym keysym)
    {
        Binding& binding = m_sender.m_bindings[static_cast<size_t>(index)];
        std::array<KeySym, 2> both {keysym, keysym};
        XChangeKeyboardMapping(m_display, binding.keycode, 2, both.data(), 1);
        binding.keysym = keysym;
        ++m_mapChangesSincePause;
    }

    X11KeySender& m_sender;
    Display* m_display;
    const QList<KeyAction>& m_actions;
    KeyboardMap m_map;
    std::vector<Stroke> m_strokes;
    std::array<bool, 3> m_held {};
    bool m_savedCapsLock = false;
    int m_savedGroup = 0;
    int m_capsLockPresses = 0;
    int m_mapChangesSincePause = 0;
};

X11KeySender::X11KeySender(const QByteArray& displayName)
    : X11KeySender(defaultOptions(), displayName)
{ }

X11KeySender::X11KeySender(const Options& options, const QByteArray& displayName)
    : m_options(options)
    , m_connection(displayName)
{
    if (Display* display = m_connection.display()) {
        m_protocolsAtom = XInternAtom(display, "WM_PROTOCOLS", False);
        m_pingAtom = XInternAtom(display, "_NET_WM_PING", False);
        m_pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    }
    m_releaseTimer.setSingleShot(true);
    QObject::connect(&m_releaseTimer, &QTimer::timeout, &m_releaseTimer, [this] { releaseSpareKeycodes(); });
}

X11KeySender::~X11KeySender()
{
    if (m_bindings.empty())
        return;
    // Without a running event loop the timer never fired; the receiver still needs the
    // bindings until the delay has passed.
    const qint64 remaining = m_options.releaseDelayMs - m_sinceLastKey.elapsed();
    if (remaining > 0)
        QThread::msleep(static_cast<unsigned long>(remaining));
    unbindAll();
}

QString X11KeySender::unavailableReason() const
{
    if (!m_connection.isOpen())
        return m_connection.failure();
    if (!m_connection.hasXTest())
        return QStringLiteral("the X server has no XTEST extension");
    return QString();
}

KeySender::Result X11KeySender::sendActions(const QList<KeyAction>& actions, bool wait)
{
    if (const QString reason = unavailableReason(); !reason.isEmpty())
        return Result::failure(QStringLiteral("cannot type keys: ") + reason);
    m_releaseTimer.stop();
    const quint64 errorsBefore = m_connection.errorCount();
    Typist typist(*this, actions);
    Result result = typist.run(wait);
    if (!m_bindings.empty()) {
        m_sinceLastKey.start();
        if (QCoreApplication::instance())
            m_releaseTimer.start(m_options.releaseDelayMs);
    }
    if (result.ok() && m_connection.errorCount() != errorsBefore)
        result = Result::failure(QStringLiteral("the X server refused a request (error %1) while typing")
                                     .arg(m_connection.lastErrorCode()));
    return result;
}

int X11KeySender::boundSpareKeycodes() const
{
    return static_cast<int>(m_bindings.size());
}

void X11KeySender::releaseSpareKeycodes()
{
    m_releaseTimer.stop();
    unbindAll();
}

void X11KeySender::unbindAll()
{
    if (m_bindings.empty() || !m_connection.isOpen())
        return;
    Display* display = m_connection.display();
    for (const Binding& binding : m_bindings) {
        std::array<KeySym, 2> none {NoSymbol, NoSymbol};
        XChangeKeyboardMapping(display, binding.keycode, 2, none.data(), 1);
    }
    m_bindings.clear();
    XSync(display, False);
}

// The top-level window holding the focus, if it answers pings and belongs to another
// process: this one cannot answer while it waits.
unsigned long X11KeySender::pingableFocusWindow()
{
    Display* display = m_connection.display();
    const Window root = XDefaultRootWindow(display);
    Window window = None;
    int revert = 0;
    XGetInputFocus(display, &window, &revert);
    while (window != None && window != PointerRoot && window != root) {
        Atom* protocols = nullptr;
        int count = 0;
        if (XGetWMProtocols(display, window, &protocols, &count)) {
            const bool pings = std::find(protocols, protocols + count, m_pingAtom) != protocols + count;
            XFree(protocols);
            if (pings)
                return windowPid(display, window, m_pidAtom) == getpid() ? None : window;
        }
        Window treeRoot = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int childCount = 0;
        if (!XQueryTree(display, window, &treeRoot, &parent, &children, &childCount))
            return None;
        if (children)
            XFree(children);
        window = parent;
    }
    return None;
}

// Pings the receiving window and waits for its answer, which it sends only after handling
// every event that came before. False when it cannot be pinged or did not answer in time.
bool X11KeySender::waitForReceiver()
{
    Display* display = m_connection.display();
    const Window window = m_options.pingReceiver ? pingableFocusWindow() : None;
    if (window == None)
        return false;
    const Window root = XDefaultRootWindow(display);
    const long stamp = ++m_pingStamp;
    // The answer goes to the root window, to whoever listens there for substructure events
    // (as the standard says) or for structure events (as Qt sends it).
    XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);
    XEvent ping {};
    ping.xclient.type = ClientMessage;
    ping.xclient.window = window;
    ping.xclient.message_type = m_protocolsAtom;
    ping.xclient.format = 32;
    ping.xclient.data.l[0] = static_cast<long>(m_pingAtom);
    ping.xclient.data.l[1] = stamp;
    ping.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display, window, False, NoEventMask, &ping);
    XFlush(display);

    bool answered = false;
    QDeadlineTimer deadline(m_options.receiverTimeoutMs);
    while (!answered && !deadline.hasExpired()) {
        while (!answered && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            answered = event.type == ClientMessage && event.xclient.message_type == m_protocolsAtom
                && event.xclient.data.l[0] == static_cast<long>(m_pingAtom)
                && event.xclient.data.l[1] == stamp;
        }
        if (!answered) {
            pollfd socket {XConnectionNumber(display), POLLIN, 0};
            poll(&socket, 1, static_cast<int>(std::min<qint64>(deadline.remainingTime(), 100)));
        }
    }
    XSelectInput(display, root, NoEventMask);
    return answered;
}
