#include "platform/x11/X11GlobalShortcuts.h"

#include "platform/x11/X11Logging.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QThread>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

// Qt's portable names of keys whose X11 keysym names differ.
const QHash<QString, QString>& keyNames()
{
    static const QHash<QString, QString> names {
        {QStringLiteral("space"), QStringLiteral("space")},
        {QStringLiteral("ins"), QStringLiteral("Insert")},
        {QStringLiteral("del"), QStringLiteral("Delete")},
        {QStringLiteral("pgup"), QStringLiteral("Prior")},
        {QStringLiteral("pgdown"), QStringLiteral("Next")},
        {QStringLiteral("esc"), QStringLiteral("Escape")},
        {QStringLiteral("backspace"), QStringLiteral("BackSpace")},
        {QStringLiteral("enter"), QStringLiteral("KP_Enter")},
        {QStringLiteral("print"), QStringLiteral("Print")},
        {QStringLiteral("pause"), QStringLiteral("Pause")},
        {QStringLiteral("`"), QStringLiteral("grave")},
        {QStringLiteral("-"), QStringLiteral("minus")},
        {QStringLiteral("="), QStringLiteral("equal")},
        {QStringLiteral(","), QStringLiteral("comma")},
        {QStringLiteral("."), QStringLiteral("period")},
        {QStringLiteral("/"), QStringLiteral("slash")},
        {QStringLiteral(";"), QStringLiteral("semicolon")},
        {QStringLiteral("'"), QStringLiteral("apostrophe")},
        {QStringLiteral("["), QStringLiteral("bracketleft")},
        {QStringLiteral("]"), QStringLiteral("bracketright")},
        {QStringLiteral("\\"), QStringLiteral("backslash")},
    };
    return names;
}

constexpr int kBadAccess = BadAccess;

} // namespace

X11GlobalShortcuts::X11GlobalShortcuts(const QByteArray& displayName)
    : m_connection(displayName)
{
    if (!m_connection.isOpen())
        return;
    m_notifier
        = std::make_unique<QSocketNotifier>(ConnectionNumber(m_connection.display()), QSocketNotifier::Read);
    QObject::connect(
        m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readEvents(); });
    // A request with a reply (a grab's sync, the modifier map read while waiting for a release)
    // moves the key presses that came meanwhile into Xlib's queue, where the socket notifier no
    // longer sees them: they are taken in before the event loop sleeps.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_notifier.get(), [this] {
            if (XEventsQueued(m_connection.display(), QueuedAlready) > 0)
                readEvents();
        });
    }
}

X11GlobalShortcuts::~X11GlobalShortcuts()
{
    for (const Combination& combination : std::as_const(m_grabs))
        ungrab(combination);
    m_connection.flush();
}

std::optional<X11GlobalShortcuts::Combination> X11GlobalShortcuts::parse(const QString& keys) const
{
    // "Ctrl++" ends with the key "+".
    QStringList parts = keys.split(u'+');
    if (keys.endsWith(QLatin1String("++"))) {
        parts.removeLast();
        parts.last() = QStringLiteral("+");
    }
    if (parts.isEmpty() || parts.last().isEmpty())
        return std::nullopt;
    Combination combination;
    for (const QString& modifier : parts.mid(0, parts.size() - 1)) {
        const QString name = modifier.trimmed().toLower();
        if (name == QLatin1String("ctrl"))
            combination.modifiers |= ControlMask;
        else if (name == QLatin1String("shift"))
            combination.modifiers |= ShiftMask;
        else if (name == QLatin1String("alt"))
            combination.modifiers |= Mod1Mask;
        else if (name == QLatin1String("meta"))
            combination.modifiers |= Mod4Mask;
        else
            return std::nullopt;
    }
    const QString key = parts.last().trimmed();
    QString name = keyNames().value(key.toLower(), key);
    if (name == QLatin1String("+"))
        name = QStringLiteral("plus");
    // Letters are grabbed by their lower-case keysym, which names the key.
    if (name.size() == 1)
        name = name.toLower();
    const KeySym symbol = XStringToKeysym(name.toLatin1().constData());
    if (symbol == NoSymbol)
        return std::nullopt;
    combination.keycode = XKeysymToKeycode(m_connection.display(), symbol);
    if (combination.keycode == 0)
        return std::nullopt;
    return combination;
}

QList<unsigned> X11GlobalShortcuts::lockVariants() const
{
    Display* display = m_connection.display();
    const unsigned locks[] = {unsigned(LockMask), XkbKeysymToModifiers(display, XK_Num_Lock),
        XkbKeysymToModifiers(display, XK_Scroll_Lock)};
    QList<unsigned> variants {0};
    for (const unsigned lock : locks) {
        if (lock == 0)
            continue;
        for (qsizetype i = 0, n = variants.size(); i < n; ++i) {
            if (!variants.contains(variants[i] | lock))
                variants.append(variants[i] | lock);
        }
    }
    return variants;
}

Result<> X11GlobalShortcuts::grab(int id, const QString& keys)
{
    release(id);
    if (!m_connection.isOpen())
        return Result<>::failure(QStringLiteral("%1: no X11 display (%2)").arg(keys, m_connection.failure()));
    const std::optional<Combination> combination = parse(keys);
    if (!combination)
        return Result<>::failure(QStringLiteral("%1 is no key combination of this keyboard").arg(keys));
    Display* display = m_connection.display();
    const Window root = DefaultRootWindow(display);
    m_connection.sync();
    const quint64 errorsBefore = m_connection.errorCount();
    for (const unsigned locks : lockVariants())
        XGrabKey(display, int(combination->keycode), combination->modifiers | locks, root, False,
            GrabModeAsync, GrabModeAsync);
    // A grab another client holds fails with BadAccess, reported only once the server has
    // answered: sync first, then count.
    m_connection.sync();
    if (m_connection.errorCount() != errorsBefore) {
        const bool taken = m_connection.lastErrorCode() == kBadAccess;
        ungrab(*combination);
        m_connection.sync();
        qCInfo(lcKeys) << "global shortcut" << keys << "not grabbed, X error" << m_connection.lastErrorCode();
        return Result<>::failure(taken ? QStringLiteral("%1 is already taken by another program").arg(keys)
                                       : QStringLiteral("%1 cannot be taken").arg(keys));
    }
    m_grabs.insert(id, *combination);
    return {};
}

void X11GlobalShortcuts::release(int id)
{
    const auto found = m_grabs.constFind(id);
    if (found == m_grabs.constEnd())
        return;
    ungrab(*found);
    m_grabs.erase(found);
    m_connection.flush();
}

void X11GlobalShortcuts::ungrab(const Combination& combination)
{
    Display* display = m_connection.display();
    for (const unsigned locks : lockVariants())
        XUngrabKey(
            display, int(combination.keycode), combination.modifiers | locks, DefaultRootWindow(display));
}

void X11GlobalShortcuts::readEvents()
{
    Display* display = m_connection.display();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != KeyPress)
            continue;
        // The lock modifiers do not count, nor the mouse buttons.
        const unsigned relevant = ControlMask | ShiftMask | Mod1Mask | Mod4Mask;
        int id = -1;
        for (auto it = m_grabs.constBegin(); it != m_grabs.constEnd(); ++it) {
            if (it->keycode == event.xkey.keycode && it->modifiers == (event.xkey.state & relevant)) {
                m_lastPressed = *it;
                id = it.key();
            }
        }
        // The handler may keep events going (a macro plays) and grab anew meanwhile.
        if (id >= 0) {
            qCInfo(lcKeys) << "global shortcut" << id << "pressed";
            pressed(id);
        }
    }
}

bool X11GlobalShortcuts::waitForRelease(int timeoutMs)
{
    if (!m_connection.isOpen() || m_lastPressed.keycode == 0)
        return true;
    Display* display = m_connection.display();
    // The keycodes of the modifiers of the combination.
    QList<unsigned> held {m_lastPressed.keycode};
    if (XModifierKeymap* map = XGetModifierMapping(display)) {
        for (int modifier = 0; modifier < 8; ++modifier) {
            if (!(m_lastPressed.modifiers & (1u << modifier)))
                continue;
            for (int i = 0; i < map->max_keypermod; ++i) {
                if (const KeyCode code = map->modifiermap[modifier * map->max_keypermod + i])
                    held.append(code);
            }
        }
        XFreeModifiermap(map);
    }
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        char keys[32] {};
        XQueryKeymap(display, keys);
        const bool anyHeld = std::any_of(
            held.begin(), held.end(), [&keys](unsigned code) { return keys[code / 8] & (1 << (code % 8)); });
        if (!anyHeld)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
}
