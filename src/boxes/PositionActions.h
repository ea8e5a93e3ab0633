#pragma once

#include "boxes/BoxStore.h"

#include <Qt>

#include <optional>

class AppState;
class Clipboard;

// What the mouse does to a position button of the current box: copy, paste, delete, cut,
// edit and drag-move. The window turns mouse events into these calls and refreshes itself
// from the BoxStore afterwards.
class PositionActions
{
public:
    enum class Operation { None, Copy, Paste, Delete, Cut, Edit };

    PositionActions(AppState& state, BoxStore& store, Clipboard& clipboard);

    // Left button with any modifiers copies. Right button: no modifier pastes, Shift edits,
    // Ctrl deletes, Alt cuts; two or more modifiers do nothing. Other buttons do nothing.
    static Operation operationFor(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    // Puts the stored text on the clipboard; false when the position is empty or the clipboard
    // could not be written.
    bool Copy(int position);
    // Stores the clipboard text; nothing happens (and nullopt returns) when it holds no text.
    std::optional<SaveOutcome> Paste(int position);
    SaveOutcome Delete(int position, bool force);
    // Copy, then clear the position without asking.
    void Cut(int position);
    // Opens the edit dialog on the stored text and saves what the user saved. Returns whether
    // the user saved (the window then shows "Ready" again).
    bool Edit(int position);
    // Drops the text of source onto target: target is written (asking when it holds another
    // text), then the source is cleared, without asking when the target was written.
    void Move(int source, int target);

private:
    AppState& m_state;
    BoxStore& m_store;
    Clipboard& m_clipboard;
};
