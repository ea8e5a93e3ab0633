#include "app/PlatformServices.h"

#include "macros/TypingInserter.h"
#include "platform/ChoosingInserter.h"
#include "platform/PasteSender.h"
#include "platform/UnavailablePlatform.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtKeySender.h"
#include "platform/x11/X11GlobalShortcuts.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyboardLocks.h"
#include "platform/x11/X11Paster.h"
#include "platform/x11/X11WindowTracker.h"

#include <QGuiApplication>

namespace {

// Under another Qt platform (offscreen tests, native Wayland) the X server behind $DISPLAY,
// if any, is not where this program's windows or the user's focus are.
QString otherPlatformReason()
{
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!gui || QGuiApplication::platformName() == QLatin1String("xcb"))
        return QString();
    return QStringLiteral("keys are typed only on X11, this program runs on the Qt platform '%1'")
        .arg(QGuiApplication::platformName());
}

// Each X11 backend below works on an Xlib connection of its own, and opening one costs the
// start round trips, memory and page faults. The window tracker must follow the active window
// from the start; the others are made when first used: the key sender at the first typing, the
// paster at the first paste, the global shortcuts when a shortcut is set, the keyboard locks
// when Num Lock is to be switched on.
template<class Backend> class OnFirstUse
{
public:
    explicit OnFirstUse(
        std::function<std::unique_ptr<Backend>()> make = [] { return std::make_unique<Backend>(); })
        : m_make(std::move(make))
    { }

    Backend& get()
    {
        if (!m_made)
            m_made = m_make();
        return *m_made;
    }
    Backend* made() const { return m_made.get(); }

private:
    std::function<std::unique_ptr<Backend>()> m_make;
    std::unique_ptr<Backend> m_made;
};

class DeferredKeySender : public KeySender
{
public:
    Result sendActions(const QList<KeyAction>& actions, bool wait) override
    {
        return m_keys.get().sendActions(actions, wait);
    }

private:
    OnFirstUse<X11KeySender> m_keys;
};

class DeferredPaster : public PasteSender
{
public:
    explicit DeferredPaster(KeySender& keys)
        : m_paster([&keys] { return std::make_unique<X11Paster>(keys); })
    { }

    Result<> pasteText(const QString& text, InsertMethod method) override
    {
        return m_paster.get().pasteText(text, method);
    }

private:
    OnFirstUse<X11Paster> m_paster;
};

class DeferredShortcuts : public GlobalShortcuts
{
public:
    Result<> grab(int id, const QString& keys) override
    {
        if (!m_shortcuts.made())
            m_shortcuts.get().setHandler([this](int pressedId) { pressed(pressedId); });
        return m_shortcuts.get().grab(id, keys);
    }
    void release(int id) override
    {
        if (X11GlobalShortcuts* shortcuts = m_shortcuts.made())
            shortcuts->release(id);
    }
    // Nothing was grabbed before the first grab, so no key of a shortcut can be held.
    bool waitForRelease(int timeoutMs) override
    {
        X11GlobalShortcuts* shortcuts = m_shortcuts.made();
        return !shortcuts || shortcuts->waitForRelease(timeoutMs);
    }

private:
    OnFirstUse<X11GlobalShortcuts> m_shortcuts;
};

class DeferredLocks : public KeyboardLocks
{
public:
    bool setNumLockOn() override { return m_locks.get().setNumLockOn(); }

private:
    OnFirstUse<X11KeyboardLocks> m_locks;
};

} // namespace

PlatformServices::PlatformServices(Backend backend)
    : m_ownKeySender(std::make_unique<QtKeySender>())
    , m_clipboard(std::make_unique<QtClipboard>())
{
    if (backend == Backend::Automatic)
        m_unavailableReason = otherPlatformReason();
    else if (backend == Backend::Unavailable)
        m_unavailableReason = QStringLiteral("keys and window switching are switched off");

    if (m_unavailableReason.isEmpty()) {
        auto tracker = std::make_unique<X11WindowTracker>();
        // The tracker's connection answers for the key sender's, which is opened later.
        m_unavailableReason = tracker->connection().keysFailure();
        if (m_unavailableReason.isEmpty()) {
            X11WindowTracker* windows = tracker.get();
            m_windowSwitcher = std::move(tracker);
            m_keySender = std::make_unique<DeferredKeySender>();
            m_keyboardLocks = std::make_unique<DeferredLocks>();
            m_globalShortcuts = std::make_unique<DeferredShortcuts>();
            m_typingInserter = std::make_unique<TypingInserter>(*m_keySender);
            m_paster = std::make_unique<DeferredPaster>(*m_keySender);
            m_textInserter = std::make_unique<ChoosingInserter>(
                *m_typingInserter, m_paster.get(), [windows] { return windows->activeWindowClass(); });
            return;
        }
    }
    m_keySender = std::make_unique<UnavailablePlatform>(m_unavailableReason);
    m_windowSwitcher = std::make_unique<UnavailablePlatform>(m_unavailableReason);
    m_keyboardLocks = std::make_unique<UnavailablePlatform>(m_unavailableReason);
    m_globalShortcuts = std::make_unique<UnavailablePlatform>(m_unavailableReason);
    m_typingInserter = std::make_unique<TypingInserter>(*m_keySender);
    m_textInserter = std::make_unique<ChoosingInserter>(*m_typingInserter, nullptr, nullptr);
}

PlatformServices::~PlatformServices() = default;

TextInserter& PlatformServices::textInserter()
{
    return *m_textInserter;
}

void PlatformServices::setInsertRules(std::function<InsertRules()> rules)
{
    m_textInserter->setRules(std::move(rules));
}
