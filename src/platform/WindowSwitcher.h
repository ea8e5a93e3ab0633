#pragma once

#include <QtGlobal>

// Gives the keyboard focus back to another program's window, the way Alt+Tab would.
// Windows of this program are never targets: only the windows the user worked in count.
class WindowSwitcher
{
public:
    virtual ~WindowSwitcher() = default;

    // Activates the window that was active before the current one: from a window of this
    // program, the other program's window used last; from another program's window, the one
    // used before it. Returns once the window manager reports it active, or false when there
    // is no such window or it did not become active in time. Activating a window of this
    // program is asynchronous: wait until it is active before switching away from it.
    virtual bool switchToLastWindow() = 0;

    // Takes in the window active now, before a window of this program takes its place: a
    // program kept busy may not yet have seen it become active, and could then no longer tell.
    virtual void noteActiveWindow() { }

    // True when the window manager reports another program's window as the active one now.
    // Qt's own idea of the active window lags behind a switch away from it (it waits for a
    // moment in case the focus comes back), so it cannot tell this.
    virtual bool otherProgramActive() { return false; }

    // Activates the window the user left before one of this program's windows became active
    // (for playback: the window the user worked in before clicking Play).
    virtual bool switchPastProgressWindow() = 0;

    // Makes a window of this program (by its native id) the active one the way a pager would,
    // so that it may take the focus from another program's window: the window manager can
    // refuse the program's own request as focus stealing. The window must be shown and mapped.
    // Returns once the window manager reports it active, or false when it did not become so.
    virtual bool activateOwnWindow(quintptr window) = 0;
};
