#pragma once

#include "core/Result.h"

#include <QString>

// How a caller asks for a text to go in: the way the rules choose for the focused window, or
// typed or pasted whatever the rules say (a macro's own choice).
enum class InsertChoice
{
    Rules,
    Type,
    Paste,
};

// Puts a literal text into the window that has the keyboard focus, the way the user chose for
// that window: typed key by key, or pasted through the clipboard. Every caller that inserts a
// text into another program's window (macro playback, the calculator's Send, the quick pick)
// goes through this one interface, so the choice holds everywhere.
class TextInserter
{
public:
    virtual ~TextInserter() = default;

    // The text is literal: no keystroke notation is read in it. Returns once the target has
    // the text (typed keys have arrived, or the target has read the pasted clipboard). An empty
    // text inserts nothing and needs no window.
    virtual Result<> insertText(const QString& text) = 0;
    // The same with a choice that overrides the rules; an inserter that only types ignores it.
    virtual Result<> insertText(const QString& text, InsertChoice choice)
    {
        (void)choice;
        return insertText(text);
    }
};
