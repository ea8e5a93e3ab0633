#pragma once

#include "core/Clipboard.h"
#include "platform/GlobalShortcuts.h"
#include "platform/InsertRules.h"
#include "platform/KeySender.h"
#include "platform/KeyboardLocks.h"
#include "platform/TextInserter.h"
#include "platform/WindowSwitcher.h"

#include <QString>

#include <functional>
#include <memory>

class ChoosingInserter;
class PasteSender;
class X11WindowTracker;

// The platform services the program passes around: built once at start, on X11 when an X
// display can be reached from a program running on it (or with no windows at all, as the
// command-line companion), otherwise as services that fail with a reason.
class PlatformServices
{
public:
    enum class Backend
    {
        Automatic, // X11 when the Qt platform is xcb (or there is no GUI) and $DISPLAY answers
        X11,
        Unavailable,
    };

    explicit PlatformServices(Backend backend = Backend::Automatic);
    ~PlatformServices();
    PlatformServices(const PlatformServices&) = delete;
    PlatformServices& operator=(const PlatformServices&) = delete;

    // Types into whichever window has the keyboard focus, any program's.
    KeySender& keySender() { return *m_keySender; }
    // Types into this program's own focused widget ({F1}, {END}, +{END}).
    KeySender& ownKeySender() { return *m_ownKeySender; }
    // Puts a literal text into whichever window has the keyboard focus, typed or pasted.
    TextInserter& textInserter();
    // Where the inserter reads its rules (the settings of the run); until set, it types.
    void setInsertRules(std::function<InsertRules()> rules);
    WindowSwitcher& windowSwitcher() { return *m_windowSwitcher; }
    KeyboardLocks& keyboardLocks() { return *m_keyboardLocks; }
    // Key combinations that reach the program from every window.
    GlobalShortcuts& globalShortcuts() { return *m_globalShortcuts; }
    Clipboard& clipboard() { return *m_clipboard; }

    bool usesX11() const { return m_unavailableReason.isEmpty(); }
    // Why keys and window switching are not available; empty on X11.
    QString unavailableReason() const { return m_unavailableReason; }

private:
    std::unique_ptr<KeySender> m_keySender;
    std::unique_ptr<KeySender> m_ownKeySender;
    std::unique_ptr<TextInserter> m_typingInserter;
    std::unique_ptr<PasteSender> m_paster;
    std::unique_ptr<ChoosingInserter> m_textInserter;
    std::unique_ptr<WindowSwitcher> m_windowSwitcher;
    std::unique_ptr<KeyboardLocks> m_keyboardLocks;
    std::unique_ptr<GlobalShortcuts> m_globalShortcuts;
    std::unique_ptr<Clipboard> m_clipboard;
    QString m_unavailableReason;
};
