#include "platform/x11/X11Connection.h"

#include <QHash>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);

// Xlib has one error handler per process; these are the connections it answers for.
QHash<Display*, X11Connection*>& connections()
{
    static QHash<Display*, X11Connection*> open;
    return open;
}

ErrorHandler& previousHandler()
{
    static ErrorHandler previous = nullptr;
    return previous;
}

} // namespace

X11Connection::X11Connection(const QByteArray& displayName)
{
    const QByteArray name = displayName.isEmpty() ? qgetenv("DISPLAY") : displayName;
    if (name.isEmpty()) {
        m_failure = QStringLiteral("no X11 display (DISPLAY is not set)");
        return;
    }
    int xkbMajor = XkbMajorVersion;
    int xkbMinor = XkbMinorVersion;
    int reason = 0;
    m_display = XkbOpenDisplay(name.constData(), nullptr, nullptr, &xkbMajor, &xkbMinor, &reason);
    if (!m_display) {
        m_failure = reason == XkbOD_NonXkbServer || reason == XkbOD_BadServerVersion
            ? QStringLiteral("the X server on %1 has no usable XKB extension")
                  .arg(QString::fromLocal8Bit(name))
            : QStringLiteral("no X11 display (cannot connect to %1)").arg(QString::fromLocal8Bit(name));
        return;
    }
    installErrorHandler();
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    m_hasXTest = XTestQueryExtension(m_display, &event, &error, &major, &minor);
}

X11Connection::~X11Connection()
{
    if (!m_display)
        return;
    connections().remove(m_display);
    XCloseDisplay(m_display);
}

QString X11Connection::keysFailure() const
{
    if (!isOpen())
        return m_failure;
    if (!m_hasXTest)
        return QStringLiteral("the X server has no XTEST extension");
    return QString();
}

void X11Connection::sync() const
{
    if (m_display)
        XSync(m_display, False);
}

void X11Connection::flush() const
{
    if (m_display)
        XFlush(m_display);
}

int X11Connection::handleError(_XDisplay* display, void* event)
{
    auto* error = static_cast<XErrorEvent*>(event);
    if (X11Connection* connection = connections().value(display)) {
        ++connection->m_errorCount;
        connection->m_lastErrorCode = error->error_code;
        return 0;
    }
    // Some other part of the process (a GL library, say) opened this connection.
    if (previousHandler())
        return previousHandler()(display, error);
    return 0;
}

void X11Connection::installErrorHandler()
{
    connections().insert(m_display, this);
    const ErrorHandler ours
        = [](Display* display, XErrorEvent* event) { return handleError(display, event); };
    // Another library may have replaced the handler since the last connection was opened.
    const ErrorHandler previous = XSetErrorHandler(ours);
    if (previous && previous != ours)
        previousHandler() = previous;
}
