#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Tells when other programs change a few files. Every save replaces a file by renaming a new
// one over it, which drops the old file from the watcher's list, so the folders are watched as
// well and every file is armed again after each event. The events of one save (temporary file,
// rename) are gathered for a moment, and a file is reported only when its identity, size or
// time changed since it was last seen.
class FileWatch : public QObject
{
    Q_OBJECT
public:
    explicit FileWatch(QObject* parent = nullptr);

    // The files to follow; a missing file is followed until it appears.
    void setFiles(const QStringList& files);
    QStringList files() const { return m_files; }

signals:
    void changed(const QString& file);

private:
    // What tells one version of a file from another: inode, size and time to the nanosecond.
    struct Stamp
    {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& file);
    void arm();
    void check();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QStringList m_files;
    QHash<QString, Stamp> m_stamps;
};
