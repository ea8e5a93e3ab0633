#pragma once

#include "macros/PlaybackHost.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <memory>

class DataContext;
class KeySender;
class MacroFormats;
class MacroProgressWindow;
class MacroSource;
class MacroStepDialog;
class QWidget;
class TextInserter;
class WindowSwitcher;

// Plays a stored macro into the window the user left last: asks first (when the settings say
// so), shows the progress window, gives the focus to the last window, hides the main window,
// runs the interpreter with itself as the playback host, then always restores the main window
// and removes the progress window before it reports how the playback ended and gives the focus
// back to the last window. Everything runs on the user-interface thread.
class MacroPlayer : public PlaybackHost
{
public:
    MacroPlayer(DataContext& context, const MacroSource& macros, KeySender& keys, WindowSwitcher& windows,
        QWidget* mainWindow, MacroFormats& formats);
    ~MacroPlayer() override;

    // Plays macro number of box; name and boxCaption are as the window shows them. False
    // when the user declined the question (the window then shows "Ready"), true otherwise,
    // including when the macro is empty and nothing happened. targetActive: the target is the
    // active window already (a global shortcut, trellinctl, the quick pick over another
    // program): it keeps the focus, and the progress window shows without taking it.
    bool play(int box, int number, const QString& name, const QString& boxCaption, bool targetActive = false);

    bool isPlaying() const { return m_playing; }
    // Why the last playback did not finish ("aborted by user", or the error); empty when it
    // finished.
    QString lastFailure() const { return m_lastFailure; }

    // How long a window of this program may take to become active before a switch away from
    // it is given up, in milliseconds.
    void setActivationTimeoutMs(int milliseconds) { m_activationTimeoutMs = milliseconds; }
    // Plain text goes in through the inserter (typed or pasted); without one it is typed.
    void setInserter(TextInserter* inserter) { m_inserter = inserter; }

    Result<> sendKeystrokes(const QString& piece) override;
    StepAnswer paceStep() override;
    void waitMilliseconds(int milliseconds) override;
    StepAnswer messageStep(const QString& text) override;
    StepAnswer inputStep(const QString& prompt, const QString& defaultText) override;
    void setInsertChoice(InsertChoice choice) override { m_choice = choice; }

    static constexpr int kSwitchPauseMs = 90;

private:
    enum class Status
    {
        Finished,
        Error,
        Aborted
    };

    Status run(const QString& text, const QString& name, bool targetActive);
    // Hides the progress window and shows the main window again (without taking the focus).
    void finish(bool withoutActivating);
    void report(Status status, const QString& name, const QString& boxCaption);
    // Notes the first failure and returns Abort, which ends the interpretation.
    StepAnswer fail(const QString& reason);
    // Makes a window of this program the active one and waits, boundedly, until it is.
    bool activate(QWidget* window);
    QWidget* ownWindow() const;
    // Switches to the last window and gives it time to take the focus.
    bool switchToLast();
    // Shows a step dialog, makes it the active window and waits for the answer.
    StepAnswer askStep(MacroStepDialog& dialog);
    // After a step dialog: makes one of our windows active, then switches to the last window.
    bool returnToLast();

    DataContext& m_context;
    const MacroSource& m_macros;
    KeySender& m_keys;
    WindowSwitcher& m_windows;
    QPointer<QWidget> m_mainWindow;
    MacroFormats& m_formats;
    TextInserter* m_inserter = nullptr;
    InsertChoice m_choice = InsertChoice::Rules;
    // Generous for a loaded machine: the wait ends as soon as the window is active.
    int m_activationTimeoutMs = 10000;

    // The state of the playback under way.
    std::unique_ptr<MacroProgressWindow> m_progress;
    bool m_playing = false;
    bool m_mainHidden = false;
    QRect m_savedGeometry;
    int m_delayMs = 10;
    QString m_failure;
    QString m_lastFailure;
};
