#include "core/TextFile.h"

#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

void setError(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Makes the rename itself durable: without this a power cut can bring back the old file.
void syncFolderOf(const QString& path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString TextFile::describeFailure(const QString& action, const QString& path, int errorNumber)
{
    return QStringLiteral("could not %1 %2 (%3)").arg(action, path, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

std::optional<QString> TextFile::read(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("could not read %1 (%2)").arg(path, file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, QStringLiteral("could not read %1 (%2)").arg(path, file.errorString()));
        return std::nullopt;
    }
    return TextCodec::decode(bytes);
}

bool TextFile::writeAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    const QString temporary = temporaryPath(path);
    const QByteArray tmpName = QFile::encodeName(temporary);
    // A leftover of an interrupted write goes first; a fresh file, never through a link that
    // something else put there, so no other file can be emptied by this write.
    if (::unlink(tmpName.constData()) != 0 && errno != ENOENT) {
        setError(error, describeFailure(QStringLiteral("remove the leftover"), temporary, errno));
        return false;
    }
    const int fd = ::open(tmpName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        setError(error, describeFailure(QStringLiteral("create"), temporary, errno));
        return false;
    }
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    ::close(fd);
    if (!written) {
        ::unlink(tmpName.constData());
        setError(error, describeFailure(QStringLiteral("write"), temporary, writeErrno));
        return false;
    }
    if (::rename(tmpName.constData(), QFile::encodeName(path).constData()) != 0) {
        const int renameErrno = errno;
        ::unlink(tmpName.constData());
        setError(error, describeFailure(QStringLiteral("replace"), path, renameErrno));
        return false;
    }
    syncFolderOf(path);
    return true;
}
