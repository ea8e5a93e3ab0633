#include "platform/x11/X11KeySender.h"

#include "platform/x11/X11Logging.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

// After every Qt header: Xlib's macros (None, Bool) would break them.
#include "platform/x11/X11Typist.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>

#include <poll.h>
#include <unistd.h>

namespace {

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

} // namespace

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
    // bindings until the delay has passed, unless it answered a ping after the last key: then
    // it has read the keyboard map and handled every key.
    const qint64 remaining = m_receiverCaughtUp ? 0 : m_options.releaseDelayMs - m_sinceLastKey.elapsed();
    if (remaining > 0)
        QThread::msleep(static_cast<unsigned long>(remaining));
    unbindAll();
}

QString X11KeySender::unavailableReason() const
{
    return m_connection.keysFailure();
}

KeySender::Result X11KeySender::sendActions(const QList<KeyAction>& actions, bool wait)
{
    if (const QString reason = unavailableReason(); !reason.isEmpty()) {
        qCInfo(lcKeys) << "cannot type keys:" << reason;
        return Result::failure(QStringLiteral("cannot type keys: ") + reason);
    }
    m_releaseTimer.stop();
    const quint64 errorsBefore = m_connection.errorCount();
    X11Typist typist(*this, actions);
    Result result = typist.run(wait);
    // With wait the last answer came after the last key.
    m_receiverCaughtUp = wait && m_lastPingAnswered;
    if (!m_bindings.empty()) {
        m_sinceLastKey.start();
        if (QCoreApplication::instance())
            m_releaseTimer.start(m_options.releaseDelayMs);
    }
    if (result.ok() && m_connection.errorCount() != errorsBefore)
        result = Result::failure(QStringLiteral("the X server refused a request (error %1) while typing")
                                     .arg(m_connection.lastErrorCode()));
    if (!result.ok())
        qCInfo(lcKeys) << "typing" << actions.size() << "key actions failed:" << result.error();
    return result;
}

int X11KeySender::boundCharacters() const
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
    std::vector<unsigned char> keycodes;
    for (const Binding& binding : m_bindings)
        keycodes.push_back(binding.keycode);
    std::sort(keycodes.begin(), keycodes.end());
    keycodes.erase(std::unique(keycodes.begin(), keycodes.end()), keycodes.end());
    m_bindings.clear();
    writeSpareKeys(keycodes);
    XSync(m_connection.display(), False);
}

void X11KeySender::writeSpareKeys(const std::vector<unsigned char>& keycodes)
{
    if (keycodes.empty())
        return;
    Display* display = m_connection.display();
    const auto [first, last] = std::minmax_element(keycodes.begin(), keycodes.end());
    // One request for all the rows, so receivers get one mapping notification: a receiver
    // using Xlib's XKB support drops the notifications that come in while it refetches the
    // map for an earlier one, and would keep some rows stale. The request rewrites the rows
    // in between as the server has them, so nobody may change them meanwhile.
    XGrabServer(display);
    XkbDescPtr rows = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd);
    if (rows) {
        for (const unsigned char keycode : keycodes) {
            std::array<KeySym, 8> syms {};
            int groups = 0;
            for (const Binding& binding : m_bindings) {
                if (binding.keycode == keycode) {
                    syms[static_cast<size_t>(binding.group * 2 + binding.level)] = binding.keysym;
                    groups = std::max(groups, binding.group + 1);
                }
            }
            // Resized while the row still has its old size: a row without symbols may share
            // its offset with another key, and would otherwise be written over that key's.
            KeySym* target = XkbResizeKeySyms(rows, keycode, groups * 2);
            if (!target)
                continue;
            std::copy_n(syms.begin(), groups * 2, target);
            XkbSymMapRec& row = rows->map->key_sym_map[keycode];
            // Every group has two levels, the second reached with Shift alone.
            std::fill(std::begin(row.kt_index), std::end(row.kt_index), XkbTwoLevelIndex);
            row.group_info = static_cast<unsigned char>(XkbSetNumGroups(0, groups));
            row.width = groups > 0 ? 2 : 0;
        }
        XkbMapChangesRec change {};
        change.changed = XkbKeySymsMask;
        change.first_key_sym = *first;
        change.num_key_syms = static_cast<unsigned char>(*last - *first + 1);
        XkbChangeMap(display, rows, &change);
        XkbFreeKeyboard(rows, 0, True);
    }
    XUngrabServer(display);
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
    if (window == None) {
        m_lastPingAnswered = false;
        qCDebug(lcKeys) << "the focused window cannot be pinged; a pause stands in for its answer";
        return false;
    }
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
    m_lastPingAnswered = answered;
    if (!answered)
        qCInfo(lcKeys) << "window" << Qt::hex << window << Qt::dec << "did not answer within"
                       << m_options.receiverTimeoutMs << "ms: it may not have handled every key yet";
    return answered;
}
