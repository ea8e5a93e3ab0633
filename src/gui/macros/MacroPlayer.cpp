#include "gui/macros/MacroPlayer.h"

#include "core/DataContext.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/StatusLog.h"
#include "gui/macros/MacroProgressWindow.h"
#include "gui/macros/MacroStepDialog.h"
#include "macros/MacroInterpreter.h"
#include "macros/MacroSource.h"
#include "macros/TypeNotation.h"
#include "platform/KeySender.h"
#include "platform/WindowSwitcher.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

// The pace step's delay in seconds, kept within what the options allow at most, so that a
// hand-edited value cannot stall a playback for hours between two keys.
constexpr double kMaxDelaySeconds = 10.0;

void sleepMs(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(milliseconds);
}

} // namespace

MacroPlayer::MacroPlayer(DataContext& context, const MacroSource& macros, KeySender& keys,
    WindowSwitcher& windows, QWidget* mainWindow, MacroFormats& formats)
    : m_context(context)
    , m_macros(macros)
    , m_keys(keys)
    , m_windows(windows)
    , m_mainWindow(mainWindow)
    , m_formats(formats)
{ }

MacroPlayer::~MacroPlayer() = default;

bool MacroPlayer::play(int box, int number, const QString& name, const QString& boxCaption, bool targetActive)
{
    // Events are processed while a macro plays; a second Play meanwhile is ignored.
    if (m_playing)
        return true;
    const Result<QString> body = m_macros.readMacroBody(number, box);
    if (!body) {
        // An unreadable file is no empty macro: playing nothing would look like success.
        const QString reason
            = QStringLiteral("Macro '%1' not played: the macros of box %2 cannot be read: %3")
                  .arg(name)
                  .arg(box)
                  .arg(body.error());
        m_context.log().logStatus(reason);
        m_context.prompter().tell(reason, PromptIcon::Critical);
        return true;
    }
    const QString text = MacroInterpreter::playedText(*body);
    if (text.isEmpty())
        return true;
    Settings& settings = m_context.settings();
    if (settings.flag(Settings::Key::MacroPromptBefore)) {
        if (!m_context.prompter().askYesNo(QStringLiteral("Play macro %1?").arg(name), PromptIcon::None))
            return false;
        // The question took the focus from the user's window: switch back to it, as after Play.
        targetActive = false;
    }

    m_playing = true;
    Status status = Status::Error;
    try {
        status = run(text, name, targetActive);
    } catch (const std::exception&) {
        status = Status::Error;
    }
    // Started over the user's window, which still has the focus: the main window comes back
    // behind it. Activating it and switching back would only race the window manager's own
    // idea of which window was last.
    const bool keepFocus = targetActive && m_windows.otherProgramActive();
    finish(keepFocus);
    if (m_progress && m_progress->abortRequested())
        status = Status::Aborted;
    // The report says that it failed; the status log keeps why, just before it.
    if (status == Status::Error && !m_failure.isEmpty())
        m_context.log().logStatus(QStringLiteral("Macro '%1' stopped: %2").arg(name, m_failure));
    m_lastFailure = status == Status::Finished ? QString()
        : status == Status::Aborted            ? QStringLiteral("aborted by user")
        : m_failure.isEmpty()                  ? QStringLiteral("an error was encountered")
                                               : m_failure;
    report(status, name, boxCaption);
    if (!(keepFocus && m_windows.otherProgramActive()) && activate(m_mainWindow)) {
        (void)m_windows.switchToLastWindow();
        sleepMs(kSwitchPauseMs);
    }
    m_progress.reset();
    m_playing = false;
    return true;
}

MacroPlayer::Status MacroPlayer::run(const QString& text, const QString& name, bool targetActive)
{
    m_failure.clear();
    m_mainHidden = false;
    // Played from a shortcut or trellinctl, the program may not have taken in yet that the
    // user's window became active; once the progress window is, it could no longer tell.
    m_windows.noteActiveWindow();
    m_progress = std::make_unique<MacroProgressWindow>(name);
    // The target keeps the focus: there is nothing to switch or wait for.
    m_progress->setAttribute(Qt::WA_ShowWithoutActivating, targetActive);
    m_progress->show();
    // A switch asked for before the progress window is active would go one window too far back.
    if (!targetActive && !activate(m_progress.get())) {
        m_failure = QStringLiteral("the progress window did not become active");
        return Status::Error;
    }
    if (!targetActive && !m_windows.switchPastProgressWindow()) {
        m_failure = QStringLiteral("the window left last could not be activated");
        return Status::Error;
    }
    if (m_mainWindow) {
        m_savedGeometry = m_mainWindow->geometry();
        m_mainWindow->hide();
        m_mainHidden = true;
    }
    if (!targetActive)
        sleepMs(kSwitchPauseMs);
    const double delay = m_context.settings().number(Settings::Key::MacroDelay);
    m_delayMs = int(std::lround(std::clamp(delay, 0.0, kMaxDelaySeconds) * 1000));

    m_choice = InsertChoice::Rules; // each macro starts with the rules; {INSERT ...} changes it
    const MacroOutcome outcome = MacroInterpreter::run(text, *this, m_formats);
    if (m_failure.isEmpty() && outcome.kind == MacroOutcome::Kind::Error)
        m_failure = outcome.reason;
    if (!m_failure.isEmpty())
        return Status::Error;
    return outcome.kind == MacroOutcome::Kind::Aborted ? Status::Aborted : Status::Finished;
}

void MacroPlayer::finish(bool withoutActivating)
{
    if (m_progress)
        m_progress->hide();
    if (m_mainWindow && m_mainHidden) {
        // Once the native window exists, Qt reads its window's property at show(), not the
        // widget's attribute; shown with a user time of 0, the window manager leaves the focus.
        QWindow* handle = m_mainWindow->windowHandle();
        if (handle && withoutActivating)
            handle->setProperty("_q_showWithoutActivating", true);
        m_mainWindow->show();
        if (handle && withoutActivating)
            handle->setProperty("_q_showWithoutActivating", QVariant());
        if (m_mainWindow->geometry() != m_savedGeometry)
            m_mainWindow->setGeometry(m_savedGeometry);
    }
    m_mainHidden = false;
}

void MacroPlayer::report(Status status, const QString& name, const QString& boxCaption)
{
    const QString which = QStringLiteral("Macro '%1' from box '%2'").arg(name, boxCaption);
    QString text;
    bool tell = true;
    switch (status) {
    case Status::Finished:
        text = which + QStringLiteral(" finished playing correctly");
        tell = m_context.settings().flag(Settings::Key::MacroInformAfter);
        break;
    case Status::Error:
        text = QStringLiteral("An error was encountered playing macro '%1' from box '%2'")
                   .arg(name, boxCaption);
        break;
    case Status::Aborted:
        text = which + QStringLiteral(" aborted by user");
        break;
    }
    m_context.log().logStatus(text);
    if (tell)
        m_context.prompter().tell(text + u'.', PromptIcon::Information);
}

bool MacroPlayer::activate(QWidget* window)
{
    if (!window || !window->isVisible())
        return false;
    window->raise();
    window->activateWindow();
    QElapsedTimer waited;
    waited.start();
    bool asked = false;
    while (!window->isActiveWindow()) {
        // A dialog answered meanwhile (by a script) is gone: nothing to wait for.
        if (!window->isVisible() || waited.elapsed() >= m_activationTimeoutMs)
            return false;
        // While another program's window has the focus, the window manager may refuse our own
        // request as focus stealing; the switcher asks as a pager does, once the window manager
        // has mapped the window.
        const QWindow* handle = window->windowHandle();
        if (!asked && handle && handle->isExposed()) {
            asked = true;
            (void)m_windows.activateOwnWindow(window->winId());
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return true;
}

QWidget* MacroPlayer::ownWindow() const
{
    // While the main window is hidden the progress window stands for the program.
    if (m_mainHidden && m_progress)
        return m_progress.get();
    return m_mainWindow;
}

StepAnswer MacroPlayer::fail(const QString& reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
    return StepAnswer::Abort;
}

bool MacroPlayer::switchToLast()
{
    if (!m_windows.switchToLastWindow())
        return false;
    sleepMs(kSwitchPauseMs);
    return true;
}

Result<> MacroPlayer::sendKeystrokes(const QString& piece)
{
    if (m_inserter)
        return insertNotation(m_keys, *m_inserter, piece, m_choice);
    return typeNotation(m_keys, piece, true);
}

StepAnswer MacroPlayer::paceStep()
{
    sleepMs(m_delayMs);
    QCoreApplication::processEvents();
    // The finish goes back to the last window; a switch here, from wherever the click on Cancel
    // left the focus, could reach a window before it.
    if (m_progress && m_progress->abortRequested())
        return StepAnswer::Abort;
    return StepAnswer::Continue;
}

void MacroPlayer::waitMilliseconds(int milliseconds)
{
    sleepMs(milliseconds);
}

StepAnswer MacroPlayer::askStep(MacroStepDialog& dialog)
{
    // The dialog takes the focus from the last window while it is open; it is active before the
    // user is expected to type into it.
    QTimer::singleShot(0, &dialog, [this, &dialog] { (void)activate(&dialog); });
    return dialog.ask();
}

bool MacroPlayer::returnToLast()
{
    // From one of our windows the last window is the one the keys went to before the dialog,
    // whichever window the window manager gave the focus to when the dialog closed.
    return activate(ownWindow()) && switchToLast();
}

StepAnswer MacroPlayer::messageStep(const QString& text)
{
    MacroStepDialog dialog(m_mainWindow);
    dialog.setMessage(text);
    if (askStep(dialog) == StepAnswer::Abort)
        return StepAnswer::Abort;
    if (!returnToLast())
        return fail(QStringLiteral("the window left last could not be activated after the message"));
    return paceStep();
}

StepAnswer MacroPlayer::inputStep(const QString& prompt, const QString& defaultText)
{
    MacroStepDialog dialog(m_mainWindow);
    dialog.setInput(prompt, defaultText);
    const StepAnswer answer = askStep(dialog);
    if (answer == StepAnswer::Abort)
        return StepAnswer::Abort;
    if (!returnToLast())
        return fail(QStringLiteral("the window left last could not be activated after the input"));
    if (answer == StepAnswer::Continue) {
        if (paceStep() == StepAnswer::Abort)
            return StepAnswer::Abort;
        if (const Result<> typed = typeNotation(m_keys, dialog.answerText(), true); !typed)
            return fail(typed.error());
    }
    const StepAnswer paced = paceStep();
    return paced == StepAnswer::Abort ? StepAnswer::Abort : answer;
}
