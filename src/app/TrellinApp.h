#pragma once

#include "app/AppState.h"
#include "app/GuiPrompter.h"
#include "app/HelpWindow.h"
#include "app/SettingsStore.h"
#include "app/StatusLog.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/PositionActions.h"

#include <functional>
#include <memory>

class Clipboard;
class Form1;
class MacroSource;

// Everything one run of the program holds, and its start procedure: the settings, the shared
// state, the box store and its commands, the dialogs' prompter, the help and the main window.
class TrellinApp
{
public:
    // The platform's services; each may be missing (then that step does nothing).
    struct Platform
    {
        std::function<void(const QString& keys)> sendKeys;
        std::function<void()> setNumLockOn;
        const MacroSource* macros = nullptr;
    };

    TrellinApp(Clipboard& clipboard, Platform platform);
    ~TrellinApp();

    // Reads the settings, prepares the data folder, builds and shows the main window with the
    // stored box. A failure is shown in a message box that says what failed and where; then
    // false is returned and the program ends.
    bool start();
    QString failure() const { return m_failure; }

    Form1* form() const { return m_form.get(); }
    AppState& state() { return m_state; }
    BoxStore& store() { return m_store; }
    HelpWindow& help() { return m_help; }

private:
    void fail(const QString& message);

    Clipboard& m_clipboard;
    Platform m_platform;
    SettingsStore m_settings;
    StatusLog m_log;
    GuiPrompter m_prompter;
    AppState m_state;
    BoxStore m_store;
    BoxManager m_boxes;
    PositionActions m_actions;
    HelpWindow m_help;
    std::unique_ptr<Form1> m_form;
    QString m_failure;
};
