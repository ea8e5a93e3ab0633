#include "core/WindowLock.h"

#include "core/Paths.h"
#include "core/TextFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString WindowLock::lockFile(const QString& folder)
{
    return Paths::withTrailingSlash(folder.isEmpty() ? Paths::configFolder() : folder)
        + QStringLiteral(".MoxenoTrellin.window.lock");
}

WindowLock::WindowLock(Mode mode, int timeoutMs, const QString& folder)
{
    const QString path = lockFile(folder);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = TextFile::describeFailure(QStringLiteral("open the lock file"), path, errno);
        return;
    }
    const int operation = (mode == Mode::Running ? LOCK_SH : LOCK_EX) | LOCK_NB;
    QElapsedTimer waited;
    waited.start();
    while (::flock(fd, operation) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            m_error = TextFile::describeFailure(QStringLiteral("lock"), path, errno);
        } else if (mode == Mode::Exclusive) {
            m_windowRuns = true;
            m_error = QStringLiteral("a Moxeno Trellin window is running");
        } else if (waited.elapsed() <= timeoutMs) {
            QThread::msleep(10);
            continue;
        } else {
            m_error = QStringLiteral("%1 stays locked: trellinctl is moving the data folder").arg(path);
        }
        ::close(fd);
        return;
    }
    m_fd = fd;
}

WindowLock::~WindowLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the only descriptor releases the flock
}
