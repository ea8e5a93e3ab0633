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
class FolderLock
{
public:
    explicit FolderLock(const QString& folder, int timeoutMs = 5000);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool isLocked() const { return m_locked; }
    QString errorString() const { return m_error; }

    static QString lockFileName() { return QStringLiteral(".MoxenoTrellin.lock"); }

private:
    QString m_key;
    QString m_error;
    bool m_locked = false;
};
