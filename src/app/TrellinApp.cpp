#include "app/TrellinApp.h"

#include "app/Form1.h"
#include "app/ModalHook.h"
#include "app/Startup.h"

#include <QCoreApplication>
#include <QMessageBox>

TrellinApp::TrellinApp(Clipboard& clipboard, Platform platform)
    : m_clipboard(clipboard)
    , m_platform(std::move(platform))
    , m_settings(SettingsStore::fromEnvironment())
    , m_prompter(m_settings, clipboard)
    , m_state(m_settings, m_log, m_prompter)
    , m_store(m_state)
    , m_boxes(m_state, m_store, clipboard)
    , m_actions(m_state, m_store, clipboard)
{
    m_prompter.setSendKeys(m_platform.sendKeys);
}

TrellinApp::~TrellinApp() = default;

bool TrellinApp::start()
{
    Startup startup(m_state);
    if (startup.readShellSettings() && m_platform.setNumLockOn)
        m_platform.setNumLockOn();

    m_form = std::make_unique<Form1>(m_state, m_store, m_boxes, m_actions, m_clipboard, m_help);
    m_form->setSendKeys(m_platform.sendKeys);
    m_form->setMacroSource(m_platform.macros);
    m_prompter.setParentWindow(m_form.get());
    m_help.catchF1Everywhere();

    if (const std::optional<QString> error = startup.prepareDataFolder()) {
        fail(*error);
        return false;
    }
    m_form->setCaptions(startup.boxCaptions());
    m_form->selectBox(startup.storedBox());
    startup.readWarnOverwrite();
    m_form->emptyViewer();

    QObject::connect(m_form.get(), &Form1::unloaded, m_form.get(), [this] {
        // Every other window closes with the main window.
        m_help.close();
        QCoreApplication::quit();
    });
    m_form->show();
    return true;
}

void TrellinApp::fail(const QString& message)
{
    m_failure = message;
    m_form.reset();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Moxeno Trellin"),
        QStringLiteral("Moxeno Trellin could not start.\n\n%1").arg(message), QMessageBox::Ok);
    ModalHook::opened(box);
    box.exec();
}
