#include "app/TrellinApp.h"

#include "app/ShortcutBinder.h"
#include "boxes/Startup.h"
#include "core/Clipboard.h"
#include "gui/macros/MacroPlayer.h"
#include "gui/main/MainWindow.h"
#include "gui/pick/QuickPick.h"
#include "gui/widgets/MessageBox.h"
#include "macros/MacroInterpreter.h"
#include "platform/GlobalShortcuts.h"
#include "platform/TextInserter.h"
#include "platform/WindowSwitcher.h"

#include <QApplication>
#include <QScopeGuard>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

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

void TrellinApp::keepFreedMemory()
{
#if defined(__GLIBC__)
    // Blocks up to 16 MiB come from the heap, and up to 32 MiB of free heap is kept.
    mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}

bool TrellinApp::start()
{
    // The window reads its settings while it is built, with no event in between.
    m_settingsStore.holdContent(true);
    const auto release = qScopeGuard([this] { m_settingsStore.holdContent(false); });
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
    if (m_platform.shortcuts) {
        m_shortcuts = std::make_unique<ShortcutBinder>(
            m_context, *m_platform.shortcuts, [this](Settings::Key key) { shortcutPressed(key); });
        m_shortcuts->grabAll();
    }
    return true;
}

void TrellinApp::shortcutPressed(Settings::Key key)
{
    if (!m_window)
        return;
    if (key == Settings::Key::ShortcutShow) {
        if (!(m_player && m_player->isPlaying()))
            (void)showWindow();
        return;
    }
    const int macro = int(key) - int(Settings::Key::ShortcutMacro1) + 1;
    if (key != Settings::Key::ShortcutPick && (macro < 1 || macro > 10))
        return;
    // Keys typed while the shortcut's own keys are down would carry its modifiers, and the
    // grab holds the keyboard until its key goes up, so the popup could not take it either.
    if (!m_platform.shortcuts->waitForRelease(kReleaseWaitMs)) {
        m_log.logStatus(QStringLiteral("Shortcut to %1 not followed: its keys were held too long")
                            .arg(ShortcutBinder::purpose(key)));
        return;
    }
    if (key == Settings::Key::ShortcutPick) {
        if (const InstanceChannel::Reply opened = openPick(); opened.status != 0)
            m_log.logStatus(QStringLiteral("Quick pick not opened: %1").arg(opened.err));
        return;
    }
    const InstanceChannel::Reply played = playMacro(m_window->selectedBox(), macro);
    if (played.status != 0)
        m_log.logStatus(QStringLiteral("Macro %1 not played: %2").arg(macro).arg(played.err));
}

void TrellinApp::fail(const QString& message)
{
    m_failure = message;
    if (m_window)
        m_window->setMacroPlayer(nullptr);
    m_shortcuts.reset();
    m_pick.reset();
    m_player.reset();
    m_window.reset();
    showMessageBox(nullptr, QMessageBox::Critical, QStringLiteral("Moxeno Trellin"),
        QStringLiteral("Moxeno Trellin could not start.\n\n%1").arg(message));
}

namespace {

InstanceChannel::Reply failed(const QString& reason)
{
    return {1, {}, reason};
}

// A BOX, POS or N word: 1..99; 0 otherwise.
int number(const QString& word)
{
    bool ok = false;
    const int value = word.toInt(&ok);
    return ok && value >= 1 && value <= 99 ? value : 0;
}

} // namespace

InstanceChannel::Reply TrellinApp::answer(const QStringList& words)
{
    if (!m_window)
        return failed(QStringLiteral("Moxeno Trellin is not ready yet"));
    const QString command = words.value(0);
    const int first = number(words.value(1));
    const int second = number(words.value(2));
    if (command == QLatin1String("show") && words.size() == 1) {
        if (m_player && m_player->isPlaying())
            return failed(QStringLiteral("a macro is playing"));
        return showWindow() ? InstanceChannel::Reply {}
                            : failed(QStringLiteral("the window manager did not make the window active"));
    }
    if (command == QLatin1String("pick") && words.size() == 1)
        return openPick();
    if (command == QLatin1String("play") && words.size() == 3 && first && second)
        return playMacro(first, second);
    if (command == QLatin1String("copy") && words.size() == 3 && first && second) {
        const Result<QString> text = m_store.readPosition(second, first);
        if (!text)
            return failed(text.error());
        if (text->isEmpty())
            return failed(QStringLiteral("box %1, position %2 is empty").arg(first).arg(second));
        if (!m_actions.copy(first, second))
            return failed(QStringLiteral("the clipboard could not be written"));
        return {0, QStringLiteral("Box %1, position %2 copied to clipboard\n").arg(first).arg(second), {}};
    }
    return {
        2, {}, QStringLiteral("the running Moxeno Trellin does not understand '%1'").arg(words.join(u' '))};
}

bool TrellinApp::showWindow()
{
    return bringForward(m_window.get());
}

bool TrellinApp::bringForward(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    // The window manager may refuse the program's own request while another program's window is
    // active; the switcher asks as a pager does.
    return !m_platform.windowSwitcher || m_platform.windowSwitcher->activateOwnWindow(window->winId());
}

InstanceChannel::Reply TrellinApp::playMacro(int box, int number)
{
    if (!m_player)
        return failed(QStringLiteral("keys cannot be typed here"));
    if (m_player->isPlaying())
        return failed(QStringLiteral("a macro is playing"));
    // A dialog that waits for an answer blocks the program's other windows: the progress window
    // could not become active, and the macro would fail after a wait. The dialog comes forward
    // instead, so the user sees what to answer first.
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        (void)bringForward(dialog);
        return failed(
            QStringLiteral("the dialog \"%1\" is open: answer it first").arg(dialog->windowTitle()));
    }
    // The name and the body from one read of the macro file (a full one holds a megabyte).
    const Result<MacroSource::Listing> listing = m_macros.readMacroListing(box, number);
    if (!listing)
        return failed(listing.error());
    if (MacroInterpreter::playedText(listing->body).isEmpty())
        return failed(QStringLiteral("macro %1 of box %2 is empty").arg(number).arg(box));
    const QString name = listing->names.value(number - 1);
    // Asked from another program's window, that window is the target and has the focus.
    if (!m_player->play(box, number, name, m_window->boxCaption(box),
            m_platform.windowSwitcher && m_platform.windowSwitcher->otherProgramActive()))
        return failed(QStringLiteral("playing macro %1 was declined").arg(name));
    if (!m_player->lastFailure().isEmpty())
        return failed(
            QStringLiteral("macro %1 of box %2: %3").arg(number).arg(box).arg(m_player->lastFailure()));
    return {};
}

InstanceChannel::Reply TrellinApp::openPick()
{
    if (m_player && m_player->isPlaying())
        return failed(QStringLiteral("a macro is playing"));
    if (!m_pick) {
        m_pick = std::make_unique<QuickPick>(m_context);
        QObject::connect(m_pick.get(), &QuickPick::chosen, m_pick.get(),
            [this](const SearchHit& hit, bool copyOnly) { pickChosen(hit, copyOnly); });
    }
    m_pickFromOwnWindow = m_platform.windowSwitcher ? !m_platform.windowSwitcher->otherProgramActive()
                                                    : QApplication::activeWindow() != nullptr;
    if (!m_pick->open(m_window->selectedBox()))
        return failed(QStringLiteral("another program holds the keyboard"));
    return {};
}

void TrellinApp::pickChosen(const SearchHit& hit, bool copyOnly)
{
    const bool macro = hit.kind == SearchHit::Kind::Macro;
    const QString what = macro ? QStringLiteral("Macro %1 of box %2").arg(hit.number).arg(hit.box)
                               : QStringLiteral("Box %1, position %2").arg(hit.box).arg(hit.number);
    QString failure;
    if (copyOnly) {
        if (macro) {
            const Result<QString> body = m_macros.readMacroBody(hit.number, hit.box);
            failure = !body                       ? body.error()
                : body->isEmpty()                 ? QStringLiteral("it was emptied meanwhile")
                : !m_clipboard.replaceText(*body) ? QStringLiteral("the clipboard could not be written")
                                                  : QString();
            if (failure.isEmpty())
                m_log.logStatus(what + QStringLiteral(" copied to clipboard"));
        } else if (!m_actions.copy(hit.box, hit.number)) {
            failure = QStringLiteral("it is empty, or the clipboard could not be written");
        }
    } else if (macro) {
        failure = playMacro(hit.box, hit.number).err;
    } else {
        const Result<QString> text = m_store.readPosition(hit.number, hit.box);
        failure = !text                ? text.error()
            : text->isEmpty()          ? QStringLiteral("it was emptied meanwhile")
            : !m_platform.textInserter ? QStringLiteral("keys cannot be typed here")
            // Opened from this program's window: the text goes to the window the user left before.
            : m_pickFromOwnWindow && m_platform.windowSwitcher
                && !m_platform.windowSwitcher->switchToLastWindow()
            ? QStringLiteral("there is no window to switch back to")
            : m_platform.textInserter->insertText(*text).error();
    }
    if (failure.isEmpty())
        return;
    const QString message = QStringLiteral("%1 not %2: %3")
                                .arg(what,
                                    copyOnly    ? QStringLiteral("copied")
                                        : macro ? QStringLiteral("played")
                                                : QStringLiteral("inserted"),
                                    failure);
    m_log.logStatus(message);
    m_prompter.tell(message, PromptIcon::Exclamation);
}
