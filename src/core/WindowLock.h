#pragma once

#include <QString>

// The lock that tells whether the Moxeno Trellin window runs. Every window holds a shared lock
// on a file of a well-known name in the configuration folder while it runs; trellinctl asks for
// the exclusive lock before it changes what a running window relies on (the data folder), and
// is refused while any window holds it. It is a flock, so the system drops it when its process
// ends: a crashed window never blocks anything.
class WindowLock
{
public:
    enum class Mode
    {
        Running, // shared: held by each running window
        Exclusive, // held only when no window runs
    };

    // Running waits up to timeoutMs while an exclusive holder (a move under way) finishes;
    // Exclusive never waits.
    explicit WindowLock(Mode mode, int timeoutMs = 0, const QString& folder = QString());
    ~WindowLock();
    WindowLock(const WindowLock&) = delete;
    WindowLock& operator=(const WindowLock&) = delete;

    bool isLocked() const { return m_fd >= 0; }
    // Exclusive was refused because a window holds the lock.
    bool windowRuns() const { return m_windowRuns; }
    QString errorString() const { return m_error; }

    // The lock file in a folder; the configuration folder when folder is "".
    static QString lockFile(const QString& folder = QString());

private:
    int m_fd = -1;
    bool m_windowRuns = false;
    QString m_error;
};
