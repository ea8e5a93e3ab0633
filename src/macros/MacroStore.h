#pragma once

#include "core/RecordSave.h"
#include "core/Result.h"
#include "macros/MacroSource.h"

#include <QString>
#include <QStringList>

class DataContext;

// What one saveMacro call did when it did not fail: the outcome of any record save.
using MacroSaveOutcome = SaveOutcome;

// The macros of the boxes, stored in one macro file per box: the keyed record file whose key n
// holds macro n as its name, ">", and its body (which may hold ">" and line breaks). saveMacro
// is the single path through which a macro is stored, replaced or deleted; it keeps the two
// bodies the last writes replaced (the deleted-macro undo, never written to disk).
//
// The records are read as RecordFile reads them, the same for the list, the viewer, the player
// and the search. A record's name is the part of its first line before the first ">"; a record
// whose first line has no ">" has the default name "Macro n" and is all body. A file that cannot
// be read fails the reads with the reason.
class MacroStore : public MacroSource
{
public:
    explicit MacroStore(DataContext& context);

    QString macroFile(int box) const;

    // The name and the body of a record, as every reader splits it.
    static QString nameOf(QStringView record, int number);
    static QString bodyOf(const QString& record);

    // The body of the stored macro ("" when the file or the record is missing), or why the
    // file could not be read.
    Result<QString> readMacroBody(int number, int box) const override;
    // The name of the stored macro, "Macro n" when it has none.
    Result<QString> readMacroName(int number, int box) const;
    // The 99 names of the macro list; a missing or nameless macro shows as "Macro n".
    Result<QStringList> readMacroNames(int box) const override;
    Result<Listing> readMacroListing(int box, int number) const override;

    QString deletedMacro(int level) const override;
    // Replaces an undo entry (1 = last, 2 = previous), as emptying one from the list does.
    void setDeletedMacro(int level, const QString& text);

    // Stores record (name, ">", body) as macro number of box, or deletes the macro when record
    // is "". Replacing or deleting a macro with a body asks first while the overwrite warning is
    // on, and a record over the length limit is cut only after the user agrees. Every write
    // shifts the deleted-macro undo. Does not refresh any list. Every outcome is logged; a
    // failure carries the reason and changes nothing.
    Result<MacroSaveOutcome> saveMacro(const QString& record, int number, int box);

private:
    DataContext& m_context;
    QString m_deletedLast;
    QString m_deletedPrevious;
};
