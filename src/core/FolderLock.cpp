#include "core/FolderLock.h"

#include "core/TextFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

struct HeldLock
{
    int fd = -1;
    int depth = 0;
};

QMutex& registryMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<QString, HeldLock>& registry()
{
    static QHash<QString, HeldLock> held;
    return held;
}

} // namespace

FolderLock::FolderLock(const QString& folder, int timeoutMs, Use use)
    : m_key(QDir(folder).absolutePath())
{
    QMutexLocker guard(&registryMutex());
    auto it = registry().find(m_key);
    if (it != registry().end()) {
        ++it->depth;
        m_locked = true;
        return;
    }

    const QString path = QDir(m_key).filePath(lockFileName());
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = TextFile::describeFailure(QStringLiteral("open the lock file"), path, errno);
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_error = TextFile::describeFailure(QStringLiteral("lock"), path, errno);
            ::close(fd);
            return;
        }
        if (waited.elapsed() > timeoutMs) {
            m_error = QStringLiteral("the data folder %1 is busy: another program holds %2").arg(m_key, path);
            ::close(fd);
            return;
        }
        QThread::msleep(10);
    }
    // Checked under the lock, which the move holds while it leaves the marker.
    QFile marker(QDir(m_key).filePath(movedMarkerName()));
    if (use == Use::DataFiles && marker.exists()) {
        const QString movedTo = marker.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(marker.readAll()).trimmed()
            : QStringLiteral("another folder");
        m_error
            = QStringLiteral("the data files of %1 were moved to %2, so nothing is written here any more; "
                             "restart Moxeno Trellin to work on them there")
                  .arg(m_key, movedTo);
        ::close(fd);
        return;
    }
    registry().insert(m_key, HeldLock {fd, 1});
    m_locked = true;
}

FolderLock::~FolderLock()
{
    if (!m_locked)
        return;
    QMutexLocker guard(&registryMutex());
    auto it = registry().find(m_key);
    if (it == registry().end() || --it->depth > 0)
        return;
    ::flock(it->fd, LOCK_UN);
    ::close(it->fd);
    registry().erase(it);
}
