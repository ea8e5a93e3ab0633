#pragma once

#include "platform/WindowSwitcher.h"
#include "platform/x11/X11Connection.h"

#include <QByteArray>
#include <QList>

#include <functional>

#include <memory>
#include <optional>

class QSocketNotifier;

// Follows the window manager's _NET_ACTIVE_WINDOW on its own Xlib connection and remembers
// the windows of other programs that were active, most recent first. Windows of this process
// (_NET_WM_PID) are never remembered, nor "no window" (openbox passes through it on every
// switch). A remembered id may belong to a closed window or have been handed to a new one, so
// each is checked against its process id and class before use.
//
// Events are read when the event loop runs (or a switch is asked for). The focus events of every
// managed window are followed too, so a window that was active only while this process was
// blocked still takes its place in the history.
class X11WindowTracker : public WindowSwitcher
{
public:
    explicit X11WindowTracker(const QByteArray& displayName = QByteArray());
    ~X11WindowTracker() override;

    bool switchToLastWindow() override;
    bool switchPastProgressWindow() override;
    void noteActiveWindow() override;
    bool otherProgramActive() override;
    bool activateOwnWindow(quintptr window) override;

    bool isAvailable() const;
    const X11Connection& connection() const { return m_connection; }
    // How long a switch waits for the window manager to report the window active.
    void setActivationTimeoutMs(int milliseconds) { m_activationTimeoutMs = milliseconds; }

    // For tests and diagnostics; window ids, 0 for none. Each first reads pending events.
    unsigned long activeWindow();
    unsigned long lastWindowTarget();
    unsigned long pastProgressTarget();
    QList<unsigned long> history();
    // The WM_CLASS names (instance, class) of the active window; none without one.
    QList<QByteArray> activeWindowClass();

    // Reads the events that arrived since; the socket notifier does it when the event loop runs.
    void catchUp();

private:
    struct Remembered
    {
        unsigned long window;
        qint64 pid;
        QByteArray windowClass;
    };

    void noteActive(unsigned long window);
    void watchClients();
    unsigned long readActiveWindow();
    unsigned long currentWindow();
    unsigned long ownFocusedWindow();
    qint64 windowPid(unsigned long window);
    QByteArray windowClass(unsigned long window);
    bool isOwn(unsigned long window);
    bool stillSame(const Remembered& remembered);
    unsigned long firstValid(unsigned long skip);
    unsigned long lastWindowCandidate(unsigned long current);
    unsigned long pastProgressCandidate(unsigned long current);
    bool activate(unsigned long window);
    void requestActivation(unsigned long window);
    // Waits, boundedly, until isActive holds; reads the events that came meanwhile.
    bool waitUntil(const std::function<bool()>& isActive);

    X11Connection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    unsigned long m_root = 0;
    unsigned long m_activeAtom = 0;
    unsigned long m_pidAtom = 0;
    unsigned long m_clientListAtom = 0;
    unsigned long m_active = 0; // as last seen, 0 for none
    qint64 m_activePid = -1;
    bool m_activeIsOwn = false;
    QList<Remembered> m_history; // other programs' windows, most recent first
    // The window that was active when the focus last moved to one of ours.
    std::optional<Remembered> m_leftForOwn;
    // Generous for a loaded machine: a switch ends as soon as the window is active.
    int m_activationTimeoutMs = 5000;
};
