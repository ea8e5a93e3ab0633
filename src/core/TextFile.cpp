#include "core/TextFile.h"

#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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

Result<QByteArray> TextFile::readBytes(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(
            QStringLiteral("could not read %1 (%2)").arg(path, file.errorString()));
    if (file.size() > maxBytes)
        return Result<QByteArray>::failure(QStringLiteral("could not read %1 (it is larger than %2 MiB)")
                                               .arg(path)
                                               .arg(maxBytes / (1024 * 1024)));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QByteArray>::failure(
            QStringLiteral("could not read %1 (%2)").arg(path, file.errorString()));
    return bytes;
}

Result<QByteArray> TextFile::readBytesForRewrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return QByteArray();
    return readBytes(path);
}

Result<QString> TextFile::read(const QString& path, qint64 maxBytes)
{
    const Result<QByteArray> bytes = readBytes(path, maxBytes);
    if (!bytes)
        return Result<QString>::failure(bytes.error());
    return TextCodec::decode(*bytes);
}

Result<QString> TextFile::readForRewrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return QString();
    return read(path);
}

namespace {

// Fills the open temporary, syncs it to disk and renames it over path; the temporary is gone
// afterwards whatever happened. Every step is checked: a write cut short by a full disk or a
// file size limit, or a failed sync, leaves the file at path as it was. A failed write names
// writtenName.
Result<> completeReplace(int fd, const QByteArray& tmpName, const QString& path, const QByteArray& bytes,
    const QString& writtenName)
{
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int reason = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (!written) {
        ::unlink(tmpName.constData());
        return Result<>::failure(TextFile::describeFailure(QStringLiteral("write"), writtenName, reason));
    }
    if (::rename(tmpName.constData(), QFile::encodeName(path).constData()) != 0) {
        reason = errno;
        ::unlink(tmpName.constData());
        return Result<>::failure(TextFile::describeFailure(QStringLiteral("replace"), path, reason));
    }
    TextFile::syncFolder(QFileInfo(path).absolutePath());
    return Result<>::success();
}

} // namespace

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
    return completeReplace(fd, tmpName, path, bytes, temporary);
}

Result<> TextFile::replaceUserFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    const QFileInfo targetInfo(target);
    struct stat existing
    {
    };
    const bool exists = ::stat(QFile::encodeName(target).constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return Result<>::failure(QStringLiteral("could not write %1 (it is not a file)").arg(path));
    const QString stem = targetInfo.absolutePath() + QStringLiteral("/.") + targetInfo.fileName() + u'.';
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray tmpName = QFile::encodeName(
            stem + QString::number(QRandomGenerator::global()->generate64(), 36) + QStringLiteral(".tmp"));
        // O_EXCL: a name that exists, whatever it is, is never opened; the next attempt draws again.
        const int fd
            = ::open(tmpName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return Result<>::failure(describeFailure(QStringLiteral("create a temporary file for"), path, errno));
        if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0) {
            const int reason = errno;
            ::close(fd);
            ::unlink(tmpName.constData());
            return Result<>::failure(
                describeFailure(QStringLiteral("keep the permissions of"), path, reason));
        }
        return completeReplace(fd, tmpName, target, bytes, path);
    }
    return Result<>::failure(describeFailure(QStringLiteral("create a temporary file for"), path, EEXIST));
}
