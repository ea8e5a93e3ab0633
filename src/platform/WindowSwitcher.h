#pragma once

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

    // Activates the window the user left before one of this program's windows became active
    // (for playback: the window the user worked in before clicking Play).
    virtual bool switchPastProgressWindow() = 0;
};
