#pragma once

#include "platform/GlobalShortcuts.h"
#include "platform/x11/X11Connection.h"

#include <QHash>
#include <QSocketNotifier>

#include <memory>

// Global shortcuts as passive key grabs on the root window, on a connection of their own whose
// events a socket notifier brings into Qt's event loop. Each combination is grabbed once for
// every state of Caps Lock, Num Lock and Scroll Lock, so a lock key never disables it.
class X11GlobalShortcuts : public GlobalShortcuts
{
public:
    explicit X11GlobalShortcuts(const QByteArray& displayName = QByteArray());
    ~X11GlobalShortcuts() override;

    Result<> grab(int id, const QString& keys) override;
    void release(int id) override;
    bool waitForRelease(int timeoutMs) override;

    bool isAvailable() const { return m_connection.isOpen(); }

private:
    struct Combination
    {
        unsigned keycode = 0;
        unsigned modifiers = 0;
    };
    // The keycode and modifier mask of "Ctrl+Alt+P"; nothing when the keyboard has no such key.
    std::optional<Combination> parse(const QString& keys) const;
    // Every combination of the lock modifiers this keyboard has.
    QList<unsigned> lockVariants() const;
    void ungrab(const Combination& combination);
    void readEvents();

    X11Connection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QHash<int, Combination> m_grabs;
    Combination m_lastPressed;
};
