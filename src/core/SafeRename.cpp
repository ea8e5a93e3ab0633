#include "core/SafeRename.h"

#include "core/TextFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

SafeRename::Result SafeRename::rename(const QString& from, const QString& to, QString* error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int result = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // The file system cannot rename atomically without replacing; check first instead.
        if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
            errno = EEXIST;
        } else {
            result = ::rename(source.constData(), target.constData());
        }
    }
    if (result == 0)
        return Result::Renamed;
    const int reason = errno;
    if (reason == ENOENT && !QFileInfo::exists(from))
        return Result::SourceMissing;
    if (error)
        *error = TextFile::describeFailure(QStringLiteral("rename %1 to").arg(from), to, reason);
    return reason == EEXIST ? Result::TargetExists : Result::Failed;
}

SafeRename::Result SafeRename::exchange(const QString& a, const QString& b, QString* error)
{
    if (::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD, QFile::encodeName(b).constData(),
            RENAME_EXCHANGE)
        == 0)
        return Result::Renamed;
    if (error)
        *error = TextFile::describeFailure(QStringLiteral("swap %1 with").arg(a), b, errno);
    return Result::Failed;
}
