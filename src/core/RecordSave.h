#pragma once

#include "core/Result.h"

#include <QString>

#include <functional>

class DataContext;

// What one save did when it did not fail.
enum class SaveOutcome
{
    Saved, // a text was stored
    Cleared, // the record was removed
    AlreadySaved, // the file already held the text; nothing written
    Declined, // the user said No; nothing written
};

// The one path through which a position's text or a macro reaches its record file. The two
// differ only in their words, which the caller passes.
namespace RecordSave {

// The status log lines and the overwrite question of one kind of record.
struct Wording
{
    QString saved; // "Box 1, position 3 saved"
    QString cleared;
    QString alreadySaved;
    QString notUpdated; // the user said No
    QString notSaved; // followed by ": " and the reason
    QString overwriteCaption;
    QString overwriteQuestion;
    QString deleteCaption;
    QString deleteQuestion;
};

struct Request
{
    QString file;
    int key = 0;
    QString text; // "" removes the record
    // Ask before a stored text is replaced or removed (while the overwrite warning is on).
    bool confirm = true;
    // The part of a record the overwrite question and the undo deal with: the whole record
    // unless given (a macro's body).
    std::function<QString(const QString& record)> shownPart;
};

struct Saved
{
    SaveOutcome outcome = SaveOutcome::AlreadySaved;
    // The shown part of the record before the save: what the undo keeps once it was written.
    QString replaced;
};

// Stores the text with CR LF line ends, however it came in, so that every way into the store
// saves the same record. Unchanged text writes nothing. Replacing or removing a stored text
// asks first when request.confirm is set and the overwrite warning is on; a text over the
// length limit is cut only after the user agrees. Every outcome is logged with the wording; a
// record file that cannot be read or written fails with the reason and changes nothing.
Result<Saved> save(DataContext& context, const Request& request, const Wording& wording);

} // namespace RecordSave
