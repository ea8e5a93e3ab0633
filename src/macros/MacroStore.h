#pragma once

#include "core/Result.h"
#include "macros/MacroSource.h"

#include <QString>
#include <QStringList>

class DataContext;

// What one saveMacro call did when it did not fail.
enum class MacroSaveOutcome
{
    Saved, // a macro was stored
    Cleared, // the macro was deleted
    AlreadySaved, // the macro file already held the record; nothing written
    Declined, // the user said No; nothing written
};

// The macros of the boxes, stored in one macro file per box: the keyed record file whose key n
// holds macro n as its name, ">", and its body (which may hold ">" and line breaks). saveMacro
// is the single path through which a macro is stored, replaced or deleted; it keeps the two
// bodies the last writes replaced (the deleted-macro undo, never written to disk).
//
// Damaged macro files never stop the program. In the macro list a header line whose key is not
// a whole number from 1 to 99 (key 00, "ab") is skipped; a header line without ">" lists under
// the default name "Macro n", and its body is still read by readMacroBody; of two records under
// one key the first counts, as for readMacroBody. A file that cannot be read lists the 99
// default names and says so in the status log.
class MacroStore : public MacroSource
{
public:
    explicit MacroStore(DataContext& context);

    QString macroFile(int box) const;

    // Everything after the record's first ">", or the whole record when it has none; "" when
    // the file or the record is missing.
    QString readMacroBody(int number, int box) const;
    // The text before the record's first ">" (possibly ""), or "Macro n" when it has none.
    QString readMacroName(int number, int box) const;

    // MacroSource: the 99 names of the macro list, read from the header lines of the file; a
    // missing or nameless macro shows as "Macro n".
    QStringList macroNames(int box) const override;
    QString macroBody(int number, int box) const override { return readMacroBody(number, box); }
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
    bool confirm(const QString& oldBody, const QString& record, int number);

    DataContext& m_context;
    QString m_deletedLast;
    QString m_deletedPrevious;
};
