#pragma once

#include "core/Result.h"

#include <QString>

#include <functional>

// Key combinations that reach this program whatever window has the focus. A combination is
// written as Qt writes it in portable text: "Ctrl+Alt+P", "Meta+F5", "Ctrl+Shift+1".
class GlobalShortcuts
{
public:
    virtual ~GlobalShortcuts() = default;

    // Takes a combination for id, whatever lock keys (Caps Lock, Num Lock, Scroll Lock) are on.
    // Fails with a reason that names the keys: another program holds them, or they are no
    // combination this keyboard can type. Taking a second combination for an id replaces it.
    virtual Result<> grab(int id, const QString& keys) = 0;
    virtual void release(int id) = 0;

    // Called with the id whenever a taken combination is pressed.
    void setHandler(std::function<void(int id)> handler) { m_handler = std::move(handler); }

    // Returns once no key of the combination pressed last is held any more (at most timeoutMs),
    // so that nothing typed afterwards mixes with it. False when the keys are still held.
    virtual bool waitForRelease(int timeoutMs) = 0;

protected:
    void pressed(int id)
    {
        if (m_handler)
            m_handler(id);
    }

private:
    std::function<void(int)> m_handler;
};
