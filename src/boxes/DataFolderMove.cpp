#include "boxes/DataFolderMove.h"

#include "core/DataContext.h"
#include "core/FolderLock.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "core/StatusLog.h"
#include "core/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <optional>
#include <utility>

namespace {

using Outcome = DataFolderMove::Outcome;

bool existsOrLink(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

DataFolderMove::FileSteps DataFolderMove::realSteps()
{
    return FileSteps {
        [](const QString& from, const QString& to, QString* error) {
            return SafeRename::rename(from, to, error);
        },
        &DataFolderMove::copyFile,
        [](const QString& path) { return QFile::remove(path); },
    };
}

DataFolderMove::DataFolderMove(DataContext& context)
    : DataFolderMove(context, realSteps())
{ }

DataFolderMove::DataFolderMove(DataContext& context, FileSteps steps)
    : m_context(context)
    , m_steps(std::move(steps))
{ }

QStringList DataFolderMove::dataFileNames(const QString& folder)
{
    // Files only (a link moves as the link): a folder named like a data file is none of ours.
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("MoxenoTrellin*.txt")});
    dir.setFilter(QDir::Files | QDir::CaseSensitive);
    dir.setSorting(QDir::Name);
    return dir.entryList();
}

bool DataFolderMove::sameFolder(const QString& a, const QString& b)
{
    const QString realA = QFileInfo(a).canonicalFilePath();
    const QString realB = QFileInfo(b).canonicalFilePath();
    if (!realA.isEmpty() && !realB.isEmpty())
        return realA == realB;
    return QDir::cleanPath(QDir(a).absolutePath()) == QDir::cleanPath(QDir(b).absolutePath());
}

Result<> DataFolderMove::copyFile(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return Result<>::failure(QStringLiteral("could not read %1 (%2)").arg(from, source.errorString()));
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return Result<>::failure(QStringLiteral("could not read %1 (%2)").arg(from, source.errorString()));

    const QByteArray target = QFile::encodeName(to);
    // Never through a link or over a file that is already there.
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return Result<>::failure(TextFile::describeFailure(QStringLiteral("create"), to, errno));
    QFile out;
    bool written = out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)
        && out.write(bytes) == bytes.size() && out.flush() && ::fsync(fd) == 0;
    const int writeErrno = errno;
    out.close();
    if (written) {
        QFile check(to);
        written = check.open(QIODevice::ReadOnly) && check.readAll() == bytes;
        if (!written) {
            ::unlink(target.constData());
            return Result<>::failure(QStringLiteral("the copy %1 does not hold what %2 holds").arg(to, from));
        }
        return Result<>::success();
    }
    ::unlink(target.constData());
    return Result<>::failure(TextFile::describeFailure(QStringLiteral("write"), to, writeErrno));
}

Result<Outcome> DataFolderMove::moveTo(const QString& folder)
{
    const QString from = m_context.dataFolder();
    const auto refuse = [&from](const QString& reason) {
        return Result<Outcome>::failure(
            QStringLiteral("%1\nNothing was moved; the data files stay in %2, which is still in use.")
                .arg(reason, from));
    };
    if (folder.trimmed().isEmpty() || !QDir::isAbsolutePath(folder))
        return refuse(QStringLiteral("The new data folder must be a full path, not \"%1\".").arg(folder));
    const QString to = Paths::withTrailingSlash(QDir::cleanPath(folder));
    if (sameFolder(from, to))
        return Outcome {from, 0, {}};

    const QFileInfo target(QDir::cleanPath(folder));
    if (target.exists() && !target.isDir())
        return refuse(QStringLiteral("%1 is not a folder.").arg(to));
    if (!target.exists() && !QDir().mkpath(to))
        return refuse(QStringLiteral("The folder %1 could not be created.").arg(to));

    // Always the same order, so two moves between the same folders cannot wait on each other.
    // A data folder that is gone (an unplugged drive) holds nothing to move or lock: the
    // switch alone makes the program usable again.
    const QString fromKey = QFileInfo(from).isDir() ? QDir(from).absolutePath() : QString();
    const QString toKey = QDir(to).absolutePath();
    const bool fromFirst = fromKey < toKey;
    std::optional<FolderLock> locks[2];
    for (const QString& key : {fromFirst ? fromKey : toKey, fromFirst ? toKey : fromKey}) {
        if (key.isEmpty())
            continue;
        // The new folder may be one the data once moved out of: its marker goes with this move.
        const FolderLock& lock = locks[key == toKey].emplace(
            key, 5000, key == toKey ? FolderLock::Use::AnyFiles : FolderLock::Use::DataFiles);
        if (!lock.isLocked())
            return refuse(QStringLiteral("The data files cannot be moved: %1.").arg(lock.errorString()));
    }
    if (!QFileInfo(to).isWritable())
        return refuse(QStringLiteral("The folder %1 cannot be written.").arg(to));

    const QStringList names = dataFileNames(from);
    QStringList conflicts;
    for (const QString& name : names) {
        if (existsOrLink(to + name))
            conflicts.append(name);
    }
    if (!conflicts.isEmpty())
        return refuse(QStringLiteral("The folder %1 already holds files of the same name, which must not be "
                                     "overwritten:\n%2")
                          .arg(to, conflicts.join(u'\n')));

    QList<Moved> moved;
    for (const QString& name : names) {
        QString error;
        const SafeRename::Result renamed = m_steps.rename(from + name, to + name, &error);
        if (renamed == SafeRename::Result::Renamed) {
            moved.append({name, false});
            continue;
        }
        if (renamed == SafeRename::Result::SourceMissing)
            continue; // deleted meanwhile: nothing to move
        if (renamed == SafeRename::Result::TargetExists)
            return failAfterMoving(
                QStringLiteral("%1 appeared in the new folder").arg(name), moved, from, to);
        // Most often another file system, where only a copy can move the file.
        const Result<> copied = m_steps.copy(from + name, to + name);
        if (!copied)
            return failAfterMoving(copied.error(), moved, from, to);
        moved.append({name, true});
    }
    TextFile::syncFolder(to);
    TextFile::syncFolder(from);

    const Result<> stored = m_context.settings().setText(Settings::Key::DataPath, to);
    if (!stored)
        return failAfterMoving(
            QStringLiteral("the new folder could not be stored in the settings (%1)").arg(stored.error()),
            moved, from, to);
    m_context.setDataFolder(to);
    // A program still working on the old folder must not write there any more (FolderLock).
    QFile::remove(to + FolderLock::movedMarkerName());
    if (!fromKey.isEmpty()) {
        const Result<> marked = TextFile::writeAtomically(from + FolderLock::movedMarkerName(), to.toUtf8());
        if (!marked)
            m_context.log().logStatus(
                QStringLiteral("The old data folder %1 could not be marked as moved: %2")
                    .arg(from, marked.error()));
    }

    Outcome outcome {to, int(moved.size()), {}};
    for (const Moved& file : std::as_const(moved)) {
        if (file.copied && !m_steps.remove(from + file.name))
            outcome.leftBehind.append(file.name);
    }
    m_context.log().logStatus(
        QStringLiteral("Data folder changed to %1, %2 data files moved").arg(to).arg(moved.size()));
    return outcome;
}

QStringList DataFolderMove::putBack(const QList<Moved>& moved, const QString& from, const QString& to)
{
    QStringList stuck;
    for (auto it = moved.crbegin(); it != moved.crend(); ++it) {
        if (it->copied) {
            // The source never left; a copy that cannot be removed is only a duplicate.
            m_steps.remove(to + it->name);
            continue;
        }
        if (m_steps.rename(to + it->name, from + it->name, nullptr) == SafeRename::Result::Renamed)
            continue;
        if (m_steps.copy(to + it->name, from + it->name) && m_steps.remove(to + it->name))
            continue;
        if (!existsOrLink(from + it->name))
            stuck.append(it->name);
    }
    TextFile::syncFolder(from);
    return stuck;
}

Result<Outcome> DataFolderMove::failAfterMoving(
    const QString& reason, const QList<Moved>& moved, const QString& from, const QString& to)
{
    const QStringList stuck = putBack(moved, from, to);
    QString message = QStringLiteral("The data files could not be moved to %1: %2.\n").arg(to, reason);
    if (stuck.isEmpty()) {
        message += QStringLiteral("Every file is back in %1, which is still in use.").arg(from);
    } else {
        message += QStringLiteral("These files could not be put back and are still in %1:\n%2\nEvery other "
                                  "data file is in %3, which is still in use. Move the listed files back to "
                                  "%3 by hand.")
                       .arg(to, stuck.join(u'\n'), from);
    }
    m_context.log().logStatus(QStringLiteral("Data folder not changed: %1").arg(reason));
    return Result<Outcome>::failure(message);
}
