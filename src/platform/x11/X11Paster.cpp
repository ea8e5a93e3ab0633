#include "platform/x11/X11Paster.h"

#include "platform/KeySender.h"
#include "platform/x11/X11Logging.h"
#include "platform/x11/X11SelectionAnswer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocale>
#include <QSocketNotifier>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <climits>

namespace {

// Owners answer at once; a format arriving in pieces (INCR) gets this long for each piece.
constexpr int kQuietAfterReadMs = 50;
constexpr int kSettleLimitMs = 1000;

qsizetype itemBytes(int format)
{
    return format == 32 ? qsizetype(sizeof(long)) : format / 8;
}

// The size of a format on the wire: Xlib hands 32-bit items over as longs.
qsizetype wireBytes(const QByteArray& data, int format)
{
    return data.size() / itemBytes(format) * (format / 8);
}

// Turns off the socket notifier while a paste reads the connection itself, and guards against a
// second paste started from the events a wait lets through.
class Busy
{
public:
    Busy(QSocketNotifier* notifier, bool& busy)
        : m_notifier(notifier)
        , m_busy(busy)
    {
        m_busy = true;
        if (m_notifier)
            m_notifier->setEnabled(false);
    }
    ~Busy()
    {
        m_busy = false;
        if (m_notifier)
            m_notifier->setEnabled(true);
    }

private:
    QSocketNotifier* m_notifier;
    bool& m_busy;
};

} // namespace

X11Paster::X11Paster(KeySender& keys, const QByteArray& displayName)
    : m_keys(keys)
    , m_connection(displayName)
{
    Display* display = m_connection.display();
    if (!display)
        return;
    m_window = XCreateSimpleWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(display, m_window, PropertyChangeMask);
    const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
    m_clipboard = atom("CLIPBOARD");
    m_primary = XA_PRIMARY;
    m_targets = atom("TARGETS");
    m_timestamp = atom("TIMESTAMP");
    m_multiple = atom("MULTIPLE");
    m_incr = atom("INCR");
    m_utf8 = atom("UTF8_STRING");
    m_text = atom("TEXT");
    m_plainUtf8 = atom("text/plain;charset=utf-8");
    m_property = atom("_MOXENO_TRELLIN_PASTE");
    m_clock = atom("_MOXENO_TRELLIN_CLOCK");
    m_atomPair = atom("ATOM_PAIR");
    // Formats are handed back in one request each: a larger one could not be put back.
    const long limit
        = XExtendedMaxRequestSize(display) ? XExtendedMaxRequestSize(display) : XMaxRequestSize(display);
    m_largestFormatBytes = qsizetype(limit - 100) * 4;
    XFlush(display);
    if (QCoreApplication::instance()) {
        m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
        QObject::connect(
            m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readPending(); });
    }
}

X11Paster::~X11Paster()
{
    m_notifier.reset();
    if (m_window)
        XDestroyWindow(m_connection.display(), m_window);
}

void X11Paster::readPending()
{
    Display* display = m_connection.display();
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        handle(event);
    }
}

void X11Paster::handle(const XEvent& event)
{
    if (event.type == SelectionRequest) {
        answer(event);
    } else if (event.type == SelectionClear && event.xselectionclear.window == m_window) {
        // Another program took the selection: what it holds now is the user's.
        m_held.remove(event.xselectionclear.selection);
        m_taken.append(event.xselectionclear.selection);
    }
}

void X11Paster::answer(const XEvent& event)
{
    X11SelectionAnswer answer(m_connection.display(), event);
    const XSelectionRequestEvent& request = event.xselectionrequest;
    const auto held = m_held.constFind(request.selection);
    if (request.owner == m_window && held != m_held.constEnd()) {
        QList<unsigned long> targets;
        for (const Format& format : *held)
            targets.append(format.target);
        if (!answer.answerTargetsOrTime(targets, m_since.value(request.selection))) {
            for (const Format& format : *held) {
                if (format.target != request.target)
                    continue;
                // What does not fit in one request is refused rather than sent cut short.
                if (wireBytes(format.data, format.format) > m_largestFormatBytes) {
                    qCWarning(lcPaste)
                        << "a clipboard format is too large to hand over:" << format.data.size() << "bytes";
                    break;
                }
                answer.put(format.type, format.format, format.data.constData(),
                    int(format.data.size() / itemBytes(format.format)));
                if (m_pasting.contains(request.selection))
                    m_textRead = true;
                break;
            }
        }
    }
    answer.send();
}

bool X11Paster::pump(const std::function<bool(const XEvent&)>& until, int timeoutMs)
{
    Display* display = m_connection.display();
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (until(event))
                return true;
        }
        if (deadline.hasExpired())
            return false;
        // The owner may be this program's own clipboard, which answers from the event loop.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        pollfd fd {ConnectionNumber(display), POLLIN, 0};
        (void)poll(&fd, 1, int(std::min<qint64>(deadline.remainingTime(), 10)));
    }
}

bool X11Paster::waitFor(const std::function<bool(const XEvent&)>& match, int timeoutMs, XEvent* found)
{
    return pump(
        [&](const XEvent& event) {
            if (match(event)) {
                if (found)
                    *found = event;
                return true;
            }
            handle(event);
            return false;
        },
        timeoutMs);
}

std::optional<QByteArray> X11Paster::readProperty(unsigned long property, unsigned long* type, int* format)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_connection.display(), m_window, property, 0, LONG_MAX / 4, True, AnyPropertyType,
            &actualType, &actualFormat, &items, &after, &data)
        != Success)
        return std::nullopt;
    QByteArray bytes;
    if (data && actualFormat != 0)
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(items) * itemBytes(actualFormat));
    if (data)
        XFree(data);
    *type = actualType;
    *format = actualFormat;
    return bytes;
}

std::optional<X11Paster::Format> X11Paster::convert(unsigned long selection, unsigned long target)
{
    Display* display = m_connection.display();
    XDeleteProperty(display, m_window, m_property);
    XConvertSelection(display, selection, target, m_property, m_window, CurrentTime);
    XEvent notify;
    if (!waitFor(
            [&](const XEvent& e) {
                return e.type == SelectionNotify && e.xselection.requestor == m_window
                    && e.xselection.selection == selection;
            },
            m_ownerTimeoutMs, &notify)
        || notify.xselection.property == None)
        return std::nullopt;
    Format format;
    format.target = target;
    std::optional<QByteArray> data = readProperty(m_property, &format.type, &format.format);
    if (!data)
        return std::nullopt;
    if (format.type != m_incr) {
        format.data = *data;
        return format;
    }
    // In pieces: each new value of the property is the next, an empty one the end. Reading a
    // piece deletes it, which asks the owner for the next.
    for (;;) {
        if (!waitFor(
                [&](const XEvent& e) {
                    return e.type == PropertyNotify && e.xproperty.window == m_window
                        && e.xproperty.atom == m_property && e.xproperty.state == PropertyNewValue;
                },
                m_ownerTimeoutMs))
            return std::nullopt;
        data = readProperty(m_property, &format.type, &format.format);
        if (!data)
            return std::nullopt;
        if (data->isEmpty())
            return format;
        format.data += *data;
        // Too large to be put back: the caller refuses it, so reading on would only fill memory.
        if (wireBytes(format.data, format.format) > m_largestFormatBytes)
            return format;
    }
}

Result<std::optional<X11Paster::Content>> X11Paster::save(unsigned long selection)
{
    using Saved = Result<std::optional<Content>>;
    const Window owner = XGetSelectionOwner(m_connection.display(), selection);
    if (owner == None)
        return Saved(std::nullopt);
    if (owner == m_window)
        return Saved(
            m_held.contains(selection) ? std::optional<Content>(m_held.value(selection)) : std::nullopt);
    const std::optional<Format> targets = convert(selection, m_targets);
    if (!targets || targets->format != 32)
        return Saved::failure(
            QStringLiteral("the program that holds the clipboard did not say what it holds"));
    const auto* atoms = reinterpret_cast<const long*>(targets->data.constData());
    const QList<unsigned long> skipped {m_targets, m_timestamp, m_multiple, m_atomPair};
    Content content;
    for (qsizetype i = 0; i < targets->data.size() / qsizetype(sizeof(long)); ++i) {
        const auto target = static_cast<unsigned long>(atoms[i]);
        if (target == None || skipped.contains(target))
            continue;
        const char* name = XGetAtomName(m_connection.display(), target);
        const QByteArray targetName(name ? name : "");
        if (name)
            XFree(const_cast<char*>(name));
        // Requests that act instead of handing over data.
        if (targetName == "DELETE" || targetName == "SAVE_TARGETS" || targetName.startsWith("INSERT_"))
            continue;
        std::optional<Format> format = convert(selection, target);
        if (format && wireBytes(format->data, format->format) > m_largestFormatBytes)
            return Saved::failure(QStringLiteral(
                "the clipboard's %1 data is larger than the %2 that can be put back afterwards")
                                      .arg(QString::fromLatin1(targetName),
                                          QLocale::c().formattedDataSize(m_largestFormatBytes)));
        if (format)
            content.append(*format);
        else
            return Saved::failure(
                QStringLiteral("the program that holds the clipboard did not hand over its %1 data")
                    .arg(QString::fromLatin1(targetName)));
    }
    return Saved(std::optional<Content>(content));
}

X11Paster::Content X11Paster::textContent(const QString& text) const
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray utf8 = lines.toUtf8();
    return {{m_utf8, m_utf8, 8, utf8}, {m_plainUtf8, m_plainUtf8, 8, utf8}, {m_text, m_utf8, 8, utf8},
        {XA_STRING, XA_STRING, 8, lines.toLatin1()}};
}

unsigned long X11Paster::serverTime()
{
    // A change to one of our own properties comes back with the server's time.
    XChangeProperty(m_connection.display(), m_window, m_clock, XA_INTEGER, 8, PropModeAppend, nullptr, 0);
    XEvent changed;
    if (!waitFor(
            [&](const XEvent& e) {
                return e.type == PropertyNotify && e.xproperty.window == m_window
                    && e.xproperty.atom == m_clock;
            },
            m_ownerTimeoutMs, &changed))
        return CurrentTime;
    return changed.xproperty.time;
}

bool X11Paster::own(unsigned long selection, unsigned long time)
{
    XSetSelectionOwner(m_connection.display(), selection, m_window, time);
    m_since[selection] = time;
    return XGetSelectionOwner(m_connection.display(), selection) == m_window;
}

Result<> X11Paster::pasteText(const QString& text, InsertMethod method)
{
    if (!isAvailable())
        return Result<>::failure(m_connection.failure());
    if (m_busy)
        return Result<>::failure(QStringLiteral("another paste is under way"));
    const Busy busy(m_notifier.get(), m_busy);
    Display* display = m_connection.display();
    readPending();

    QList<unsigned long> selections {m_clipboard};
    if (method == InsertMethod::PasteShiftInsert)
        selections.append(m_primary);
    QHash<unsigned long, std::optional<Content>> previous;
    for (const unsigned long selection : selections) {
        Result<std::optional<Content>> saved = save(selection);
        if (!saved)
            return Result<>::failure(QStringLiteral("nothing was pasted: ") + saved.error());
        previous.insert(selection, *saved);
    }

    m_taken.clear();
    m_textRead = false;
    const unsigned long time = serverTime();
    m_pasting = selections;
    QString failure;
    for (const unsigned long selection : selections) {
        m_held.insert(selection, textContent(text));
        if (!own(selection, time))
            failure = QStringLiteral("the clipboard could not be taken for pasting");
    }
    XSync(display, False);
    if (failure.isEmpty()) {
        if (const KeySender::Result sent = m_keys.sendActions(InsertRules::pasteKeys(method), false); !sent)
            failure = sent.error();
    }
    if (failure.isEmpty()) {
        pump(
            [this](const XEvent& event) {
                handle(event);
                return m_textRead;
            },
            m_readTimeoutMs);
        // A target may ask once more (another format, a second selection): answer until it is
        // quiet, so that it never gets the previous content instead.
        const QDeadlineTimer settle(m_textRead ? kSettleLimitMs : 0);
        while (!settle.hasExpired()
            && pump(
                [this](const XEvent& event) {
                    handle(event);
                    return true;
                },
                kQuietAfterReadMs)) { }
        if (!m_textRead)
            failure
                = QStringLiteral("the window did not read the pasted text within %1 ms").arg(m_readTimeoutMs);
    }

    // Give back what each selection held; one another program took meanwhile holds the user's
    // newest copy and stays as it is.
    m_pasting.clear();
    const unsigned long now = serverTime();
    for (const unsigned long selection : selections) {
        if (m_taken.contains(selection))
            continue;
        if (const std::optional<Content>& before = previous.value(selection)) {
            m_held.insert(selection, *before);
            (void)own(selection, now);
        } else {
            m_held.remove(selection);
            XSetSelectionOwner(display, selection, None, now);
        }
    }
    XFlush(display);
    // Requests that came in with the replies above wait in Xlib's queue, where the socket
    // notifier would not see them.
    readPending();
    if (!failure.isEmpty()) {
        qCInfo(lcPaste) << "paste failed:" << failure;
        return Result<>::failure(failure);
    }
    return Result<>::success();
}
