#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

// What the main window shows of the macros of a box: the 99 entries of its macro list, a
// macro's body for the viewer and the player, and the two deleted-macro undo entries. The macro
// store provides it; without one the window shows every box as a box without macros. A macro
// file that cannot be read fails the reads with the reason, so that it never passes for a box
// without macros.
class MacroSource
{
public:
    virtual ~MacroSource() = default;

    // 99 entries; entry n - 1 is the name of macro n, or "Macro " + n.
    virtual Result<QStringList> readMacroNames(int box) const = 0;
    // "" when the macro is missing.
    virtual Result<QString> readMacroBody(int number, int box) const = 0;
    // The list's entries and the body of macro number (none for 0) from one read of the box's
    // macro file: what showing a box needs.
    struct Listing
    {
        QStringList names;
        QString body;
    };
    virtual Result<Listing> readMacroListing(int box, int number) const = 0;
    // 1 = last, 2 = previous.
    virtual QString deletedMacro(int level) const = 0;
};
