#include "platform/x11/X11WindowTracker.h"

#include "platform/x11/X11Logging.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

namespace {

constexpr qsizetype historyLimit = 32;

// A 32-bit property's first value (Xlib hands them over as long).
std::optional<long> readCardinal(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(
        display, window, property, 0, 1, False, AnyPropertyType, &type, &format, &count, &remaining, &data);
    std::optional<long> value;
    if (status == Success && data && format == 32 && count >= 1)
        value = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return value;
}

// A focus change that makes a top-level window the active one: not the passing focus of a
// keyboard grab, nor the focus moving back from one of the window's own children.
bool isActivation(const XFocusChangeEvent& event)
{
    return (event.mode == NotifyNormal || event.mode == NotifyWhileGrabbed) && event.detail != NotifyInferior
        && event.detail != NotifyPointer;
}

} // namespace

X11WindowTracker::X11WindowTracker(const QByteArray& displayName)
    : m_connection(displayName)
{
    if (!m_connection.isOpen())
        return;
    Display* display = m_connection.display();
    m_root = XDefaultRootWindow(display);
    m_activeAtom = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    m_pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    m_clientListAtom = XInternAtom(display, "_NET_CLIENT_LIST", False);
    XSelectInput(display, m_root, PropertyChangeMask);
    watchClients();
    noteActive(readActiveWindow());
    m_notifier = std::make_unique<QSocketNotifier>(XConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { catchUp(); });
    // Any request with a reply also moves the events that came with it into Xlib's queue, where
    // the socket notifier no longer sees them. Left there until the next event, a window that
    // was active only meanwhile would be missed, as the property holds only the newest value:
    // they are taken in before the event loop sleeps.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_notifier.get(), [this] {
            if (XEventsQueued(m_connection.display(), QueuedAlready) > 0)
                catchUp();
        });
    }
}

X11WindowTracker::~X11WindowTracker() = default;

bool X11WindowTracker::isAvailable() const
{
    return m_connection.isOpen();
}

void X11WindowTracker::catchUp()
{
    if (!m_connection.isOpen())
        return;
    Display* display = m_connection.display();
    bool activeChanged = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == PropertyNotify && event.xproperty.atom == m_activeAtom) {
            activeChanged = true;
        } else if (event.type == PropertyNotify && event.xproperty.atom == m_clientListAtom) {
            watchClients();
        } else if (event.type == FocusIn && isActivation(event.xfocus)) {
            // Focus events queue up one per switch, so a window that was active only while
            // this process was busy is still remembered, in its place in the order.
            noteActive(event.xfocus.window);
        }
    }
    // The property holds only the newest value.
    if (activeChanged)
        noteActive(readActiveWindow());
}

// Asks for the focus events of every top-level window the window manager manages; a window
// that appears later is added when the client list changes.
void X11WindowTracker::watchClients()
{
    Display* display = m_connection.display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, m_root, m_clientListAtom, 0, 4096, False, AnyPropertyType, &type, &format,
            &count, &remaining, &data)
            == Success
        && data && format == 32) {
        const auto* windows = reinterpret_cast<const long*>(data);
        // A window that is gone by now raises an error, which the connection counts and drops.
        for (unsigned long i = 0; i < count; ++i)
            XSelectInput(display, static_cast<Window>(windows[i]), FocusChangeMask);
    }
    if (data)
        XFree(data);
}

// The active window; one of ours when the keyboard focus is already in it, because the window
// manager announces a new active window only after the focus moved.
unsigned long X11WindowTracker::currentWindow()
{
    const unsigned long active = readActiveWindow();
    if (active != 0 && isOwn(active))
        return active;
    const unsigned long focused = ownFocusedWindow();
    return focused != 0 ? focused : active;
}

// The top-level window of this process that holds the keyboard focus, or 0.
unsigned long X11WindowTracker::ownFocusedWindow()
{
    Display* display = m_connection.display();
    Window window = None;
    int revert = 0;
    XGetInputFocus(display, &window, &revert);
    while (window != None && window != PointerRoot && window != m_root) {
        const qint64 pid = windowPid(window);
        if (pid >= 0)
            return pid == qint64(getpid()) ? window : 0;
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        window = parent;
    }
    return 0;
}

unsigned long X11WindowTracker::readActiveWindow()
{
    const auto window = readCardinal(m_connection.display(), m_root, m_activeAtom);
    return window ? static_cast<unsigned long>(*window) : 0;
}

qint64 X11WindowTracker::windowPid(unsigned long window)
{
    const auto pid = readCardinal(m_connection.display(), window, m_pidAtom);
    return pid ? *pid : -1;
}

QByteArray X11WindowTracker::windowClass(unsigned long window)
{
    XClassHint hint {};
    if (!XGetClassHint(m_connection.display(), window, &hint))
        return QByteArray();
    QByteArray result = QByteArray(hint.res_name ? hint.res_name : "") + '\0'
        + QByteArray(hint.res_class ? hint.res_class : "");
    if (hint.res_name)
        XFree(hint.res_name);
    if (hint.res_class)
        XFree(hint.res_class);
    return result;
}

bool X11WindowTracker::isOwn(unsigned long window)
{
    return windowPid(window) == qint64(getpid());
}

void X11WindowTracker::noteActive(unsigned long window)
{
    if (window == 0)
        return;
    const qint64 pid = windowPid(window);
    // The server hands a gone window's id to the next program's window: that is a new window.
    if (window == m_active && pid == m_activePid)
        return;
    const bool own = pid == qint64(getpid());
    if (own) {
        if (!m_activeIsOwn && m_active != 0 && !m_history.isEmpty() && m_history.first().window == m_active)
            m_leftForOwn = m_history.first();
    } else {
        m_history.removeIf([window](const Remembered& r) { return r.window == window; });
        m_history.prepend({window, pid, windowClass(window)});
        if (m_history.size() > historyLimit)
            m_history.removeLast();
    }
    m_active = window;
    m_activePid = pid;
    m_activeIsOwn = own;
}

bool X11WindowTracker::stillSame(const Remembered& remembered)
{
    XWindowAttributes attributes;
    // Errors of earlier requests (events selected on a window that has since gone) arrive
    // late; taken in first, they are not blamed on this window, which would then be forgotten.
    XSync(m_connection.display(), False);
    const quint64 errorsBefore = m_connection.errorCount();
    if (!XGetWindowAttributes(m_connection.display(), remembered.window, &attributes)
        || m_connection.errorCount() != errorsBefore)
        return false;
    return windowPid(remembered.window) == remembered.pid
        && windowClass(remembered.window) == remembered.windowClass;
}

// The most recent remembered window other than skip that still exists; forgets the others.
unsigned long X11WindowTracker::firstValid(unsigned long skip)
{
    for (qsizetype i = 0; i < m_history.size();) {
        const Remembered remembered = m_history.at(i);
        if (remembered.window == skip) {
            ++i;
            continue;
        }
        if (stillSame(remembered))
            return remembered.window;
        m_history.removeAt(i);
    }
    return 0;
}

unsigned long X11WindowTracker::lastWindowCandidate(unsigned long current)
{
    // When one of ours (or nothing) is active, the window before it is the newest remembered.
    return firstValid(current);
}

unsigned long X11WindowTracker::pastProgressCandidate(unsigned long current)
{
    if (current == 0 || isOwn(current))
        return firstValid(0);
    // The program's window never became active: go back to where the user left for it.
    if (m_leftForOwn && stillSame(*m_leftForOwn))
        return m_leftForOwn->window;
    return current;
}

unsigned long X11WindowTracker::activeWindow()
{
    if (!m_connection.isOpen())
        return 0;
    catchUp();
    return readActiveWindow();
}

QList<QByteArray> X11WindowTracker::activeWindowClass()
{
    const unsigned long window = activeWindow();
    return window ? windowClass(window).split('\0') : QList<QByteArray>();
}

unsigned long X11WindowTracker::lastWindowTarget()
{
    if (!m_connection.isOpen())
        return 0;
    catchUp();
    const unsigned long current = currentWindow();
    noteActive(current);
    return lastWindowCandidate(current);
}

unsigned long X11WindowTracker::pastProgressTarget()
{
    if (!m_connection.isOpen())
        return 0;
    catchUp();
    const unsigned long current = currentWindow();
    noteActive(current);
    return pastProgressCandidate(current);
}

void X11WindowTracker::noteActiveWindow()
{
    if (!m_connection.isOpen())
        return;
    catchUp();
    noteActive(currentWindow());
}

bool X11WindowTracker::otherProgramActive()
{
    const unsigned long window = activeWindow();
    return window != 0 && !isOwn(window);
}

QList<unsigned long> X11WindowTracker::history()
{
    catchUp();
    QList<unsigned long> windows;
    for (const Remembered& remembered : m_history)
        windows.append(remembered.window);
    return windows;
}

bool X11WindowTracker::switchToLastWindow()
{
    const unsigned long target = lastWindowTarget();
    if (target == 0) {
        qCInfo(lcWindows) << "no window of another program to switch back to";
        return false;
    }
    return activate(target);
}

bool X11WindowTracker::switchPastProgressWindow()
{
    const unsigned long target = pastProgressTarget();
    if (target == 0) {
        qCInfo(lcWindows) << "no window of another program was active before playback";
        return false;
    }
    return activate(target);
}

bool X11WindowTracker::activateOwnWindow(quintptr window)
{
    if (!m_connection.isOpen() || window == 0)
        return false;
    const auto target = static_cast<unsigned long>(window);
    if (readActiveWindow() != target)
        requestActivation(target);
    if (waitUntil([this, target] { return readActiveWindow() == target; }))
        return true;
    qCInfo(lcWindows) << "own window" << Qt::hex << target << "did not become active within" << Qt::dec
                      << m_activationTimeoutMs << "ms";
    return false;
}

// The EWMH request a pager sends, then a bounded wait until the window manager reports it.
bool X11WindowTracker::activate(unsigned long window)
{
    // The property alone can be stale: when one of our windows has just taken the focus, the
    // window manager may not have announced it yet, and the old value would pass for success.
    const auto isActive = [this, window] { return readActiveWindow() == window && ownFocusedWindow() == 0; };
    if (isActive())
        return true;
    requestActivation(window);
    if (waitUntil(isActive))
        return true;
    qCInfo(lcWindows) << "window" << Qt::hex << window << "did not become active within" << Qt::dec
                      << m_activationTimeoutMs << "ms; active is" << Qt::hex << readActiveWindow();
    return false;
}

void X11WindowTracker::requestActivation(unsigned long window)
{
    Display* display = m_connection.display();
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = m_activeAtom;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2; // source: pager, so focus-stealing prevention lets it pass
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = 0;
    XSendEvent(display, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
}

bool X11WindowTracker::waitUntil(const std::function<bool()>& isActive)
{
    QDeadlineTimer deadline(m_activationTimeoutMs);
    bool active = false;
    while (!(active = isActive()) && !deadline.hasExpired())
        QThread::msleep(5);
    catchUp();
    return active;
}
