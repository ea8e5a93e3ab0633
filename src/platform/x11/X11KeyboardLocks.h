#pragma once

#include "platform/KeyboardLocks.h"
#include "platform/x11/X11Connection.h"

#include <optional>

// The lock states through XKB on a private Xlib connection.
class X11KeyboardLocks : public KeyboardLocks
{
public:
    explicit X11KeyboardLocks(const QByteArray& displayName = QByteArray());

    bool setNumLockOn() override;

    bool isAvailable() const { return m_connection.isOpen(); }

    // The locks as XKB reports them; Scroll Lock stays false where it drives no modifier.
    struct State
    {
        bool capsLock = false;
        bool numLock = false;
        bool scrollLock = false;
    };
    std::optional<State> state();
    bool setLocks(const State& state);

private:
    X11Connection m_connection;
};
