#pragma once

#include <QString>

// An advisory lock over the data files of one folder, held for the length of one
// read-modify-write. Two running copies of the program (or the program and trellinctl) each
// rewrite whole files; the lock makes the second wait until the first has finished, so that
// it reads the first one's result instead of overwriting it.
//
// The lock lives on a hidden file in the folder, not on the data files, because rewrites
// replace the data files by renaming. Nested locks on the same folder within one process are
// counted, so an operation may call another that locks too.
//
// A folder the data files were moved out of holds a marker naming the new folder. A lock for
// data files is refused there, so a program that still works on the old folder (a second
// window started before the move) never writes a data file where the program no longer looks.
class FolderLock
{
public:
    enum class Use
    {
        DataFiles, // refused in a folder the data files moved out of
        AnyFiles, // the settings file, or the target of a data folder move
    };

    explicit FolderLock(const QString& folder, int timeoutMs = 5000, Use use = Use::DataFiles);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool isLocked() const { return m_locked; }
    QString errorString() const { return m_error; }

    static QString lockFileName() { return QStringLiteral(".MoxenoTrellin.lock"); }
    // The marker a data folder move leaves in the old folder; it holds the new folder's path.
    static QString movedMarkerName() { return QStringLiteral(".MoxenoTrellin.moved"); }

private:
    QString m_key;
    QString m_error;
    bool m_locked = false;
};
