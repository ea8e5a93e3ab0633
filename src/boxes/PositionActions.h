#pragma once

#include "boxes/BoxStore.h"

#include <Qt>

#include <optional>

class Clipboard;
class DataContext;

// What the mouse does to a position button: copy, paste, delete, cut, edit and drag-move. The
// window turns mouse events into these calls and refreshes itself from the BoxStore after.
// Each call that changes the box on show reloads the store's cache; a read or a save that fails
// is told to the user with its reason.
class PositionActions
{
public:
    enum class Operation
    {
        None,
        Copy,
        Paste,
        Delete,
        Cut,
        Edit
    };

    PositionActions(DataContext& context, BoxStore& store, Clipboard& clipboard);

    // Left button with any modifiers copies. Right button: no modifier pastes, Shift edits,
    // Ctrl deletes, Alt cuts; two or more modifiers do nothing. Other buttons do nothing.
    static Operation operationFor(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    // Puts the stored text on the clipboard; false when the position is empty or the clipboard
    // could not be written.
    bool copy(int box, int position);
    // Stores the clipboard text; nothing happens (and nullopt returns) when it holds no text.
    std::optional<Result<SaveOutcome>> paste(int box, int position);
    // Stores a text, asking first while the overwrite warning is on (a paste of that text).
    Result<SaveOutcome> store(int box, int position, const QString& text);
    Result<SaveOutcome> remove(int box, int position, bool force);
    // Copy, then clear the position without asking.
    void cut(int box, int position);
    // Opens the edit dialog on the stored text and saves what the user saved. Returns whether
    // the user saved (the window then shows "Ready" again).
    bool edit(int box, int position);
    // Drops the text of source onto target: target is written (asking when it holds another
    // text), then the source is cleared, without asking when the target was written.
    void move(int box, int source, int target);

private:
    void refresh(int box);
    // The stored text, or the reason it cannot be read told to the user ("cannot be <action>").
    Result<QString> read(int box, int position, const QString& action);
    Result<SaveOutcome> save(const QString& text, int position, int box, bool force);

    DataContext& m_context;
    BoxStore& m_store;
    Clipboard& m_clipboard;
};
