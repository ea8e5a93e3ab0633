#pragma once

#include "core/Clipboard.h"
#include "platform/KeySender.h"
#include "platform/KeyboardLocks.h"
#include "platform/WindowSwitcher.h"

#include <QStringList>

// A platform that does nothing but remember what it was asked, for tests: every key action
// typed, every window switch and every clipboard call, one line each in calls(), in order. It
// reads keystroke notation exactly as the real sender does, so a text the real one would
// refuse fails here too. Any call can be made to fail.
class RecordingPlatform : public KeySender, public WindowSwitcher, public KeyboardLocks, public Clipboard
{
public:
    Result sendActions(const QList<KeyAction>& actions, bool wait) override;
    bool switchToLastWindow() override;
    bool switchPastProgressWindow() override;
    // Not recorded: it only helps the window manager along, the window system does the rest.
    bool activateOwnWindow(quintptr) override { return !failing; }
    bool setNumLockOn() override;
    bool clear() override;
    bool setText(const QString& text) override;
    QString text() override;

    // "keys <action>", "switch last", "switch past progress", "numlock on", "clipboard clear",
    // "clipboard set <text>", "clipboard get".
    QStringList calls;
    QList<KeyAction> actions;
    // The clipboard's content.
    QString content;
    // Every call fails while set, as when another program holds the clipboard or no window
    // is left to switch to.
    bool failing = false;
};
