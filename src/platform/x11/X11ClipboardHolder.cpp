#include "platform/x11/X11ClipboardHolder.h"

#include "platform/x11/X11SelectionAnswer.h"

#include <QDeadlineTimer>
#include <QList>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A text larger than this goes in pieces (INCR): no request grows too large for the server, and
// each requestor takes the text at its own pace.
constexpr qsizetype kPieceBytes = 256 * 1024;
// A requestor that has not taken a piece within this time has given up; its transfer is dropped,
// so that a stalled reader neither keeps the holder alive nor its memory in use.
constexpr int kPieceTimeoutMs = 5000;
// How long the caller waits for the holder to own the selection.
constexpr int kStartTimeoutMs = 10000;

// What the holder serves: the text as UTF-8, and as Latin-1 (the STRING target) only when every
// character fits, so no requestor ever gets a changed text.
struct Served
{
    QByteArray utf8;
    std::optional<QByteArray> latin1;
};

int ignoreError(Display*, XErrorEvent*)
{
    // A requestor's window may vanish between its request and the answer.
    return 0;
}

[[noreturn]] int serverGone(Display*)
{
    // No server, no clipboard to serve; _exit, as the caller's exit handlers are not ours to run.
    _exit(0);
}

// Owns the CLIPBOARD selection and answers requests for it until another client takes it and
// every transfer under way has ended.
class SelectionServer
{
public:
    SelectionServer(Display* display, const Served& served)
        : m_display(display)
        , m_served(served)
    {
        const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
        m_clipboard = atom("CLIPBOARD");
        m_incr = atom("INCR");
        m_utf8 = atom("UTF8_STRING");
        m_text = atom("TEXT");
        m_plainUtf8 = atom("text/plain;charset=utf-8");
    }

    // Takes the selection; the reason when it could not.
    QString own()
    {
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(m_display, m_window, PropertyChangeMask);
        // The process id tells a user (xprop) which process holds the clipboard; setting it also
        // brings the server's time, which the ownership needs.
        const long pid = long(getpid());
        XChangeProperty(m_display, m_window, XInternAtom(m_display, "_NET_WM_PID", False), XA_CARDINAL, 32,
            PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        XEvent changed;
        XWindowEvent(m_display, m_window, PropertyChangeMask, &changed);
        m_since = changed.xproperty.time;
        XSetSelectionOwner(m_display, m_clipboard, m_window, m_since);
        if (XGetSelectionOwner(m_display, m_clipboard) != m_window)
            return QStringLiteral("another program took the clipboard at the same moment");
        return QString();
    }

    void run()
    {
        while (!m_lost || !m_transfers.isEmpty()) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                handle(event);
            }
            for (qsizetype i = m_transfers.size() - 1; i >= 0; --i) {
                if (m_transfers[i].deadline.hasExpired())
                    finish(i);
            }
            if (m_lost && m_transfers.isEmpty())
                break;
            qint64 wait = -1;
            for (const Transfer& transfer : std::as_const(m_transfers))
                wait = wait < 0 ? transfer.deadline.remainingTime()
                                : std::min(wait, transfer.deadline.remainingTime());
            pollfd fd {ConnectionNumber(m_display), POLLIN, 0};
            (void)poll(&fd, 1, int(wait));
        }
    }

private:
    // A text going in pieces to one requestor's property.
    struct Transfer
    {
        Window requestor = 0;
        Atom property = 0;
        Atom type = 0;
        const QByteArray* data = nullptr;
        qsizetype sent = 0;
        QDeadlineTimer deadline;
    };

    void handle(const XEvent& event)
    {
        if (event.type == SelectionRequest) {
            answer(event);
        } else if (event.type == SelectionClear && event.xselectionclear.window == m_window
            && event.xselectionclear.selection == m_clipboard) {
            m_lost = true;
        } else if (event.type == PropertyNotify && event.xproperty.state == PropertyDelete) {
            // The requestor took the last piece: the next one, or an empty one at the end.
            for (qsizetype i = 0; i < m_transfers.size(); ++i) {
                Transfer& transfer = m_transfers[i];
                if (transfer.requestor != event.xproperty.window || transfer.property != event.xproperty.atom)
                    continue;
                const QByteArray piece = transfer.data->mid(transfer.sent, kPieceBytes);
                XChangeProperty(m_display, transfer.requestor, transfer.property, transfer.type, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(piece.constData()),
                    int(piece.size()));
                transfer.sent += piece.size();
                transfer.deadline.setRemainingTime(kPieceTimeoutMs);
                if (piece.isEmpty())
                    finish(i);
                XFlush(m_display);
                break;
            }
        }
    }

    // The type and bytes of the text for a target, if it is one of the text targets.
    std::optional<std::pair<Atom, const QByteArray*>> textFor(Atom target) const
    {
        const QByteArray* latin1 = m_served.latin1 ? &*m_served.latin1 : nullptr;
        if (target == m_utf8 || target == m_plainUtf8)
            return std::pair {target, &m_served.utf8};
        if (target == XA_STRING && latin1)
            return std::pair {Atom(XA_STRING), latin1};
        // TEXT leaves the encoding to the owner: Latin-1 when it holds the text, else UTF-8.
        if (target == m_text)
            return latin1 ? std::pair {Atom(XA_STRING), latin1} : std::pair {m_utf8, &m_served.utf8};
        return std::nullopt;
    }

    void answer(const XEvent& event)
    {
        X11SelectionAnswer answer(m_display, event);
        const XSelectionRequestEvent& request = event.xselectionrequest;
        const bool ours = !m_lost && request.owner == m_window && request.selection == m_clipboard;
        QList<unsigned long> targets {m_utf8, m_plainUtf8, m_text};
        if (m_served.latin1)
            targets.append(XA_STRING);
        if (ours && !answer.answerTargetsOrTime(targets, m_since)) {
            if (const auto text = textFor(request.target)) {
                const auto [type, data] = *text;
                if (data->size() <= kPieceBytes) {
                    answer.put(type, 8, data->constData(), int(data->size()));
                } else {
                    // Watched before the INCR property is set: the requestor deletes it once read.
                    XSelectInput(m_display, request.requestor, PropertyChangeMask);
                    const long size = long(data->size());
                    answer.put(m_incr, 32, &size, 1);
                    m_transfers.append({request.requestor, answer.property(), type, data, 0,
                        QDeadlineTimer(kPieceTimeoutMs)});
                }
            }
        }
        answer.send();
    }

    void finish(qsizetype index)
    {
        const Window requestor = m_transfers.takeAt(index).requestor;
        const bool more = std::any_of(m_transfers.cbegin(), m_transfers.cend(),
            [requestor](const Transfer& transfer) { return transfer.requestor == requestor; });
        if (!more)
            XSelectInput(m_display, requestor, NoEventMask);
    }

    Display* m_display;
    const Served& m_served;
    Window m_window = 0;
    Time m_since = CurrentTime;
    Atom m_clipboard = 0, m_incr = 0, m_utf8 = 0, m_text = 0, m_plainUtf8 = 0;
    QList<Transfer> m_transfers;
    bool m_lost = false;
};

// Tells the caller the outcome: "+" once the selection is owned, else "-" and the reason.
bool tell(int channel, const QByteArray& message)
{
    qsizetype done = 0;
    while (done < message.size()) {
        const ssize_t written = write(channel, message.constData() + done, size_t(message.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Leaves the caller's files: standard input, output and error go to /dev/null, so a caller
// reading trellinctl's output ($(trellinctl copy 1 1)) gets its end at once; every other file
// is closed, so no lock of the caller stays held. Returns the channel to the caller, as fd 3.
int leaveCallersFiles(int channel)
{
    const int moved = fcntl(channel, F_DUPFD, 3);
    const int null = open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd) {
        if (null < 0 || dup2(null, fd) < 0)
            close(fd);
    }
    if (moved != 3)
        dup2(moved, 3);
    if (close_range(4, ~0U, 0) != 0) {
        for (long fd = 4, last = std::min(sysconf(_SC_OPEN_MAX), 65536L); fd < last; ++fd)
            close(int(fd));
    }
    (void)chdir("/");
    return 3;
}

// The detached process: owns the selection, tells the caller, serves until it is taken.
int hold(const QByteArray& displayName, const Served& served, int channel)
{
    channel = leaveCallersFiles(channel);
    // A caller that gave up waiting has closed its end: the write fails instead of killing.
    signal(SIGPIPE, SIG_IGN);
    XSetIOErrorHandler(serverGone);
    Display* display = XOpenDisplay(displayName.constData());
    if (!display) {
        tell(channel, "-no X11 display (cannot connect to " + displayName + ')');
        return 1;
    }
    XSetErrorHandler(ignoreError);
    SelectionServer server(display, served);
    const QString failure = server.own();
    // A caller that is gone was told it failed: closing the display gives the selection up.
    if (!tell(channel, failure.isEmpty() ? QByteArray("+") : '-' + failure.toUtf8()) || !failure.isEmpty())
        return 1;
    close(channel);
    server.run();
    XCloseDisplay(display);
    return 0;
}

} // namespace

X11ClipboardHolder::X11ClipboardHolder(const QByteArray& displayName)
    : m_displayName(displayName)
{ }

bool X11ClipboardHolder::fail(const QString& reason)
{
    m_failure = reason;
    return false;
}

bool X11ClipboardHolder::setText(const QString& text)
{
    m_failure.clear();
    const QByteArray displayName = m_displayName.isEmpty() ? qgetenv("DISPLAY") : m_displayName;
    if (displayName.isEmpty())
        return fail(QStringLiteral("no X11 display (DISPLAY is not set)"));
    Served served {text.toUtf8(), std::nullopt};
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xff; }))
        served.latin1 = text.toLatin1();

    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0)
        return fail(QStringLiteral("the clipboard holder could not be started: %1")
                        .arg(QString::fromLocal8Bit(strerror(errno))));
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        // A session of its own: no terminal, and no signal meant for the caller's process group.
        setsid();
        // The holder is the child's child, adopted once the child ends, so the caller waits
        // for the child only and leaves no zombie behind.
        const pid_t holder = fork();
        if (holder < 0)
            tell(channel[1], "-the clipboard holder could not be started");
        if (holder != 0)
            _exit(0);
        _exit(hold(displayName, served, channel[1]));
    }
    const int error = errno;
    close(channel[1]);
    if (child < 0) {
        close(channel[0]);
        return fail(QStringLiteral("the clipboard holder could not be started: %1")
                        .arg(QString::fromLocal8Bit(strerror(error))));
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }

    // The answer ends when the holder closes its end (or ends).
    QByteArray answer;
    const QDeadlineTimer deadline(kStartTimeoutMs);
    for (;;) {
        pollfd fd {channel[0], POLLIN, 0};
        const int ready = poll(&fd, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[512];
        const ssize_t got = read(channel[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        answer.append(buffer, got);
        if (answer == "+")
            break;
    }
    close(channel[0]);
    if (answer == "+")
        return true;
    if (answer.startsWith('-'))
        return fail(QString::fromUtf8(answer.mid(1)));
    return fail(deadline.hasExpired()
            ? QStringLiteral("the clipboard holder did not take the clipboard within %1 s")
                  .arg(kStartTimeoutMs / 1000)
            : QStringLiteral("the clipboard holder ended before it took the clipboard"));
}
