#include "app/PlatformServices.h"

#include "macros/TypingInserter.h"
#include "platform/ChoosingInserter.h"
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
        auto keySender = std::make_unique<X11KeySender>();
        if (keySender->isAvailable()) {
            m_keySender = std::move(keySender);
            auto tracker = std::make_unique<X11WindowTracker>();
            X11WindowTracker* windows = tracker.get();
            m_windowSwitcher = std::move(tracker);
            m_keyboardLocks = std::make_unique<X11KeyboardLocks>();
            m_globalShortcuts = std::make_unique<X11GlobalShortcuts>();
            m_typingInserter = std::make_unique<TypingInserter>(*m_keySender);
            auto paster = std::make_unique<X11Paster>(*m_keySender);
            if (paster->isAvailable())
                m_paster = std::move(paster);
            m_textInserter = std::make_unique<ChoosingInserter>(
                *m_typingInserter, m_paster.get(), [windows] { return windows->activeWindowClass(); });
            return;
        }
        m_unavailableReason = keySender->unavailableReason();
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
