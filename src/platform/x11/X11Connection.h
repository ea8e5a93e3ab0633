#pragma once

#include <QByteArray>
#include <QString>

struct _XDisplay;

// A private Xlib connection to the X server, separate from Qt's own. Xlib's default error
// handler ends the process, and a window can vanish between two requests; so every
// connection opened here routes its errors to a handler that only counts them.
class X11Connection
{
public:
    // An empty name means $DISPLAY.
    explicit X11Connection(const QByteArray& displayName = QByteArray());
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    bool isOpen() const { return m_display != nullptr; }
    _XDisplay* display() const { return m_display; }
    // Why the connection is not open, for messages; empty when it is.
    QString failure() const { return m_failure; }
    bool hasXTest() const { return m_hasXTest; }
    // Why XTest keys cannot be sent over this connection; empty when they can.
    QString keysFailure() const;

    // X errors raised by requests on this connection so far. A request with a reply reports
    // its error before it returns; for others, call sync() before comparing.
    quint64 errorCount() const { return m_errorCount; }
    int lastErrorCode() const { return m_lastErrorCode; }
    void sync() const;
    void flush() const;

private:
    static int handleError(_XDisplay* display, void* event);
    void installErrorHandler();

    _XDisplay* m_display = nullptr;
    QString m_failure;
    bool m_hasXTest = false;
    quint64 m_errorCount = 0;
    int m_lastErrorCode = 0;
};
