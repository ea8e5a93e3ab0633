#pragma once

#include "core/Result.h"
#include "core/SafeRename.h"

#include <QString>
#include <QStringList>

#include <functional>

class DataContext;

// Moves the program's data files ("MoxenoTrellin*.txt": box texts, macros, box names) from the
// data folder in use to another folder, then makes that folder the data folder.
//
// The data must never be split or lost: everything is checked before the first file moves; a
// file moves by rename, or by a verified copy when the folders are on different file systems;
// when any step fails every moved file goes back, so the old folder stays complete and in use.
// The data folder setting is written only after every file is in the new folder, and the
// sources of copies are removed only after that. Both folders stay locked throughout, so no
// other copy of the program or trellinctl writes a file half way through the move.
class DataFolderMove
{
public:
    // The file steps, replaceable so that a test can make any one of them fail.
    struct FileSteps
    {
        std::function<SafeRename::Result(const QString& from, const QString& to, QString* error)> rename;
        std::function<Result<>(const QString& from, const QString& to)> copy;
        std::function<bool(const QString& path)> remove;
    };
    static FileSteps realSteps();

    struct Outcome
    {
        QString folder; // the new data folder, ending with "/"
        int moved = 0; // files now in the new folder
        // Sources of copied files that could not be removed from the old folder; the new
        // folder holds them too, so this is untidy but loses nothing.
        QStringList leftBehind;
    };

    explicit DataFolderMove(DataContext& context);
    DataFolderMove(DataContext& context, FileSteps steps);

    // Moves the data files to the folder (an absolute path; created when missing) and switches
    // the data folder to it. The same folder, however spelled, moves nothing and changes
    // nothing. A failure says what went wrong and which folder is in use.
    Result<Outcome> moveTo(const QString& folder);

    // The names of the data files in a folder, sorted.
    static QStringList dataFileNames(const QString& folder);
    // The same folder, however spelled ("/a/b/", "/a//b", a link to it).
    static bool sameFolder(const QString& a, const QString& b);
    // Copies a file to a path where nothing may exist yet, flushes it to disk and reads it back
    // to make sure the copy holds the same bytes.
    static Result<> copyFile(const QString& from, const QString& to);

private:
    struct Moved
    {
        QString name;
        bool copied; // the source is still in the old folder
    };
    // Moves every file back (renamed ones) or removes its copy; returns the names that could
    // not be put back.
    QStringList putBack(const QList<Moved>& moved, const QString& from, const QString& to);
    Result<Outcome> failAfterMoving(
        const QString& reason, const QList<Moved>& moved, const QString& from, const QString& to);

    DataContext& m_context;
    FileSteps m_steps;
};
