#pragma once

#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/PositionActions.h"
#include "core/DataContext.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/StatusLog.h"
#include "core/WindowLock.h"
#include "gui/dialogs/GuiPrompter.h"
#include "gui/main/HelpWindow.h"
#include "macros/ClockFormats.h"
#include "macros/MacroActions.h"
#include "macros/MacroStore.h"
#include "remote/InstanceChannel.h"

#include <functional>
#include <memory>
#include <optional>

class Clipboard;
class GlobalShortcuts;
class ShortcutBinder;
class KeySender;
class MacroPlayer;
class MainWindow;
class QuickPick;
struct SearchHit;
class TextInserter;
class WindowSwitcher;

// Everything one run of the program holds, and its start procedure: the settings, the shared
// context, the box store and its commands, the dialogs' prompter, the help and the main window.
class TrellinApp
{
public:
    // The platform's services; each may be missing (then that step does nothing).
    struct Platform
    {
        std::function<void(const QString& keys)> sendKeys;
        std::function<void()> setNumLockOn;
        // Macros play only with both.
        KeySender* keySender = nullptr;
        WindowSwitcher* windowSwitcher = nullptr;
        // How a literal text goes into another program's window (typed or pasted).
        TextInserter* textInserter = nullptr;
        // Key combinations that reach the program from every window.
        GlobalShortcuts* shortcuts = nullptr;
    };

    TrellinApp(Clipboard& clipboard, Platform platform);
    ~TrellinApp();

    // Keeps the memory of freed buffers of a few MiB (a box file, its decoded text, the text
    // of a rewrite) in the process for the next ones, instead of the C library handing it back
    // to the system at every free: each new page would cost a page fault again, which made a
    // save into a full box several times slower than its write. Called first thing in main().
    static void keepFreedMemory();

    // Reads the settings, prepares the data folder, builds and shows the main window with the
    // stored box. A failure is shown in a message box that says what failed and where; then
    // false is returned and the program ends.
    bool start();
    QString failure() const { return m_failure; }

    // Answers a request that came through the instance socket: "show", "pick", "play BOX N",
    // "copy BOX POS". The outcome is what trellinctl prints and its exit status.
    InstanceChannel::Reply answer(const QStringList& words);
    // Raises the main window and makes it the active one; false when it did not become active.
    bool showWindow();
    // Unminimises, raises and activates one of the program's windows; false when it did not
    // become active.
    bool bringForward(QWidget* window);
    // Plays macro number of box through the player, progress window and all.
    InstanceChannel::Reply playMacro(int box, int number);
    // Opens the quick pick on the box on show; answered once it is shown, not when a row is
    // chosen.
    InstanceChannel::Reply openPick();

    // What a global shortcut does.
    void shortcutPressed(Settings::Key key);

    MainWindow* window() const { return m_window.get(); }
    DataContext& context() { return m_context; }
    BoxStore& store() { return m_store; }
    MacroStore& macros() { return m_macros; }
    HelpWindow& help() { return m_help; }

private:
    void fail(const QString& message);
    // Inserts or plays what the quick pick chose, or puts it on the clipboard.
    void pickChosen(const SearchHit& hit, bool copyOnly);
    // How long a shortcut's keys may stay down before its macro is given up.
    static constexpr int kReleaseWaitMs = 3000;

    Clipboard& m_clipboard;
    Platform m_platform;
    SettingsStore m_settingsStore;
    Settings m_settings;
    StatusLog m_log;
    GuiPrompter m_prompter;
    DataContext m_context;
    BoxStore m_store;
    MacroStore m_macros;
    MacroActions m_macroActions;
    BoxManager m_boxes;
    PositionActions m_actions;
    HelpWindow m_help;
    ClockFormats m_formats;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<MacroPlayer> m_player;
    std::unique_ptr<ShortcutBinder> m_shortcuts;
    std::unique_ptr<QuickPick> m_pick;
    // The quick pick was opened while a window of this program was active: a chosen text goes
    // to the window the user left before it.
    bool m_pickFromOwnWindow = false;
    QString m_failure;
    // Held while the window runs, so that trellinctl does not move the data folder under it.
    std::optional<WindowLock> m_windowLock;
};
