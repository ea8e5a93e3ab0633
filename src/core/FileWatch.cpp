#include "core/FileWatch.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace {

// Long enough to gather the events of one save, short enough that a change shows at once.
constexpr int kSettleMs = 60;

} // namespace

FileWatch::FileWatch(QObject* parent)
    : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &FileWatch::check);
    const auto later = [this] { m_settle.start(); };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, later);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, later);
}

void FileWatch::setFiles(const QStringList& files)
{
    m_files = files;
    m_stamps.clear();
    for (const QString& file : files)
        m_stamps.insert(file, stampOf(file));
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    arm();
}

FileWatch::Stamp FileWatch::stampOf(const QString& file)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return {};
    return {true, quint64(info.st_ino), qint64(info.st_size),
        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

void FileWatch::arm()
{
    for (const QString& file : std::as_const(m_files)) {
        // A folder yet to be made is noticed by the nearest one that exists.
        QString folder = QFileInfo(file).absolutePath();
        while (!QFileInfo(folder).isDir() && QFileInfo(folder).absolutePath() != folder)
            folder = QFileInfo(folder).absolutePath();
        if (!m_watcher.directories().contains(folder))
            m_watcher.addPath(folder);
        // A renamed-over file is a new file: the watch on the old one is gone.
        if (QFileInfo::exists(file) && !m_watcher.files().contains(file))
            m_watcher.addPath(file);
    }
}

void FileWatch::check()
{
    arm();
    for (const QString& file : std::as_const(m_files)) {
        const Stamp now = stampOf(file);
        if (now == m_stamps.value(file))
            continue;
        m_stamps.insert(file, now);
        emit changed(file);
    }
}
