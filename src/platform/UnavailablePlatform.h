#pragma once

#include "platform/GlobalShortcuts.h"
#include "platform/KeySender.h"
#include "platform/KeyboardLocks.h"
#include "platform/WindowSwitcher.h"

// Stands in for the keyboard and window services where they cannot work (no X11 display, or
// a Qt platform such as offscreen or Wayland): typing fails with the reason, switching and
// locks report failure.
class UnavailablePlatform : public KeySender,
                            public WindowSwitcher,
                            public KeyboardLocks,
                            public GlobalShortcuts
{
public:
    explicit UnavailablePlatform(const QString& reason)
        : m_reason(reason)
    { }

    Result sendActions(const QList<KeyAction>&, bool) override
    {
        return Result::failure(QStringLiteral("cannot type keys: ") + m_reason);
    }
    bool switchToLastWindow() override { return false; }
    bool switchPastProgressWindow() override { return false; }
    bool activateOwnWindow(quintptr) override { return false; }
    bool setNumLockOn() override { return false; }
    ::Result<> grab(int, const QString& keys) override
    {
        return ::Result<>::failure(QStringLiteral("%1 cannot be taken: %2").arg(keys, m_reason));
    }
    void release(int) override { }
    bool waitForRelease(int) override { return true; }

    QString reason() const { return m_reason; }

private:
    QString m_reason;
};
