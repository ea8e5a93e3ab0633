#pragma once

#include "core/Result.h"
#include "macros/MacroStore.h"

#include <optional>

class Clipboard;
class DataContext;

// What the macro list's commands do to the selected macro of a box: edit it, delete it, replace
// its body with the clipboard text, move it one place, and copy or empty the deleted-macro undo.
// The frame calls these and reloads its list after; a save that fails is told to the user with
// its reason.
class MacroActions
{
public:
    enum class Direction
    {
        Up,
        Down
    };

    MacroActions(DataContext& context, MacroStore& store, Clipboard& clipboard);

    // Opens the edit dialog on the macro's body and its name as the list shows it, and stores
    // what the user saved when the body or the name changed (">" in a name becomes ":", as it
    // separates the name from the body). Returns whether the user saved.
    bool edit(int box, int number, const QString& currentName);
    // Deletes the macro, asking first while the overwrite warning is on.
    Result<MacroSaveOutcome> remove(int box, int number);
    // The macro keeps its stored name ("Macro n" when it has none) and gets body, even an empty
    // one, asking first while the overwrite warning is on.
    Result<MacroSaveOutcome> replaceBody(int box, int number, const QString& body);
    // replaceBody with the clipboard text.
    Result<MacroSaveOutcome> overwriteFromClipboard(int box, int number);

    // Exchanges the numbers of macro number and its neighbour in the direction, without asking
    // and without touching the order of the records, the undo or the status log. Returns the
    // number the macro has now; nothing when it cannot move (macro 1 up, macro 99 down) or when
    // neither number holds a record (also a box without a macro file), as then nothing would
    // change. A failure is told to the user and leaves the file as it was.
    Result<std::optional<int>> move(int box, int number, Direction direction);

    // The undo entry (1 = last, 2 = previous) onto the clipboard, the clipboard emptied first.
    bool copyDeleted(int level);
    void clearDeleted(int level);

private:
    Result<MacroSaveOutcome> save(const QString& record, int number, int box);

    DataContext& m_context;
    MacroStore& m_store;
    Clipboard& m_clipboard;
};
