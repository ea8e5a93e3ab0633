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

} // namespace

void TextFile::syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString TextFile::describeFailure(const QString& action, const QString& path, int errorNumber)
{
    return QStringLiteral("could not %1 %2 (%3)")
        .arg(action, path, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

Result<QString> TextFile::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(
            QStringLiteral("could not read %1 (%2)").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QString>::failure(
            QStringLiteral("could not read %1 (%2)").arg(path, file.errorString()));
    return TextCodec::decode(bytes);
}

Result<QString> TextFile::readForRewrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return QString();
    return read(path);
}

Result<> TextFile::writeAtomically(const QString& path, const QByteArray& bytes)
{
    const QString temporary = temporaryPath(path);
    const QByteArray tmpName = QFile::encodeName(temporary);
    // A leftover of an interrupted write goes first; a fresh file, never through a link that
    // something else put there, so no other file can be emptied by this write.
    if (::unlink(tmpName.constData()) != 0 && errno != ENOENT)
        return Result<>::failure(describeFailure(QStringLiteral("remove the leftover"), temporary, errno));
    const int fd = ::open(tmpName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return Result<>::failure(describeFailure(QStringLiteral("create"), temporary, errno));
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    ::close(fd);
    if (!written) {
        ::unlink(tmpName.constData());
        return Result<>::failure(describeFailure(QStringLiteral("write"), temporary, writeErrno));
    }
    if (::rename(tmpName.constData(), QFile::encodeName(path).constData()) != 0) {
        const int renameErrno = errno;
        ::unlink(tmpName.constData());
        return Result<>::failure(describeFailure(QStringLiteral("replace"), path, renameErrno));
    }
    syncFolder(QFileInfo(path).absolutePath());
    return Result<>::success();
}
