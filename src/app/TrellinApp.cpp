#include "app/TrellinApp.h"

#include "boxes/Startup.h"
#include "gui/macros/MacroPlayer.h"
#include "gui/main/MainWindow.h"
#include "gui/widgets/MessageBox.h"

#include <QCoreApplication>

TrellinApp::TrellinApp(Clipboard& clipboard, Platform platform)
    : m_clipboard(clipboard)
    , m_platform(std::move(platform))
    , m_settingsStore(SettingsStore::fromEnvironment())
    , m_settings(m_settingsStore)
    , m_prompter(m_settings, clipboard)
    , m_context(m_settings, m_log, m_prompter)
    , m_store(m_context)
    , m_macros(m_context)
    , m_macroActions(m_context, m_macros, clipboard)
    , m_boxes(m_context, m_store, clipboard)
    , m_actions(m_context, m_store, clipboard)
{
    m_prompter.setSendKeys(m_platform.sendKeys);
}

TrellinApp::~TrellinApp() = default;

bool TrellinApp::start()
{
    // Taken before the data folder is read: a move by trellinctl under way finishes first.
    m_windowLock.emplace(WindowLock::Mode::Running, 10000);
    if (!m_windowLock->isLocked())
        m_log.logStatus(QStringLiteral("trellinctl cannot tell that this window runs: %1")
                            .arg(m_windowLock->errorString()));
    Startup startup(m_context);
    if (startup.readShellSettings() && m_platform.setNumLockOn)
        m_platform.setNumLockOn();

    m_window = std::make_unique<MainWindow>(m_context, m_store, m_boxes, m_actions, m_clipboard, m_help);
    m_window->setMacros(&m_macros, &m_macroActions);
    m_window->setCalculatorSender(m_platform.textInserter, m_platform.windowSwitcher);
    if (m_platform.keySender && m_platform.windowSwitcher) {
        m_player = std::make_unique<MacroPlayer>(m_context, m_macros, *m_platform.keySender,
            *m_platform.windowSwitcher, m_window.get(), m_formats);
        m_player->setInserter(m_platform.textInserter);
        m_window->setMacroPlayer(m_player.get());
    }
    m_prompter.setParentWindow(m_window.get());
    m_help.catchF1Everywhere();

    if (const Result<> prepared = startup.prepareDataFolder(); !prepared) {
        fail(prepared.error());
        return false;
    }
    m_window->setCaptions(startup.boxCaptions());
    m_window->selectBox(startup.storedBox());
    startup.readWarnOverwrite();
    m_window->emptyViewer();

    QObject::connect(m_window.get(), &MainWindow::unloaded, m_window.get(), [this] {
        // Every other window closes with the main window.
        m_help.close();
        QCoreApplication::quit();
    });
    m_window->show();
    return true;
}

void TrellinApp::fail(const QString& message)
{
    m_failure = message;
    if (m_window)
        m_window->setMacroPlayer(nullptr);
    m_player.reset();
    m_window.reset();
    showMessageBox(nullptr, QMessageBox::Critical, QStringLiteral("Moxeno Trellin"),
        QStringLiteral("Moxeno Trellin could not start.\n\n%1").arg(message));
}
