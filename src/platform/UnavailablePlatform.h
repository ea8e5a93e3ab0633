#pragma once

#include "platform/KeySender.h"
#include "platform/KeyboardLocks.h"
#include "platform/WindowSwitcher.h"

// Stands in for the keyboard and window services where they cannot work (no X11 display, or
// a Qt platform such as offscreen or Wayland): typing fails with the reason, switching and
// locks report failure.
class UnavailablePlatform : public KeySender, public WindowSwitcher, public KeyboardLocks
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

    QString reason() const { return m_reason; }

private:
    QString m_reason;
};
