#include "boxes/BoxManager.h"

#include "boxes/BoxStore.h"
#include "boxes/NamesFile.h"
#include "core/Clipboard.h"
#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/FolderLock.h"
#include "core/Prompter.h"
#include "core/RecordFile.h"
#include "core/SafeRename.h"
#include "core/StatusLog.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

BoxManager::BoxManager(DataContext& context, BoxStore& store, Clipboard& clipboard)
    : m_context(context)
    , m_store(store)
    , m_clipboard(clipboard)
{ }

QStringList BoxManager::captions() const
{
    return NamesFile::captions(m_context.dataFolder());
}

QString BoxManager::caption(int box) const
{
    return DataFiles::isValidBox(box) ? captions().at(box - 1) : QString();
}

bool BoxManager::askAndClearBox(int box)
{
    Prompter& ask = m_context.prompter();
    if (!ask.askYesNo(
            QStringLiteral("Are you sure you wish to clear data in box %1: %2 ?").arg(box).arg(caption(box)),
            PromptIcon::Question))
        return false;
    const bool texts
        = ask.askYesNo(QStringLiteral("Do you wish to clear the clipboard data?"), PromptIcon::None);
    const bool macros = ask.askYesNo(QStringLiteral("Do you wish to clear the macros?"), PromptIcon::None);
    if (!texts && !macros)
        return false;
    const Result<> cleared = clearBox(box, texts, macros);
    if (!cleared)
        ask.tell(QStringLiteral("Box %1 could not be cleared:\n%2").arg(box).arg(cleared.error()),
            PromptIcon::Critical);
    return cleared.ok();
}

namespace {

// Keeps the file's current content as its one backup level. A missing file is nothing to do.
bool moveToBackup(const QString& file, const QString& backup, QString* error)
{
    if (QFileInfo::exists(backup) && !QFile::remove(backup)) {
        if (error)
            *error = QStringLiteral("could not delete %1").arg(backup);
        return false;
    }
    const SafeRename::Result result = SafeRename::rename(file, backup, error);
    return result == SafeRename::Result::Renamed || result == SafeRename::Result::SourceMissing;
}

} // namespace

Result<> BoxManager::clearBox(int box, bool texts, bool macros)
{
    const QString folder = m_context.dataFolder();
    FolderLock lock(folder);
    QString error = lock.errorString();
    bool ok = lock.isLocked();
    if (ok && texts) {
        ok = moveToBackup(DataFiles::boxFile(folder, box), DataFiles::boxBackup(folder, box), &error);
        if (box == m_store.loadedBox())
            (void)m_store.loadBox(box);
    }
    if (ok && macros)
        ok = moveToBackup(DataFiles::macroFile(folder, box), DataFiles::macroBackup(folder, box), &error);
    if (!ok) {
        m_context.log().logStatus(QStringLiteral("Box '%1' not cleared: %2").arg(caption(box), error));
        return Result<>::failure(error);
    }
    if (texts || macros)
        m_context.log().logStatus(QStringLiteral("Box '%1' cleared successfully.").arg(caption(box)));
    return Result<>::success();
}

namespace {

// The records a file holds; 0 for a missing or unreadable file.
int recordCount(const QString& file)
{
    const Result<RecordFile::Parsed> parsed = RecordFile::readFile(file);
    if (!parsed)
        return 0;
    return int(
        std::count_if(parsed->shown.begin() + 1, parsed->shown.end(), [](qsizetype b) { return b >= 0; }));
}

QString counted(int count, const QString& one, const QString& many)
{
    return count == 1 ? QStringLiteral("1 ") + one : QStringLiteral("%1 ").arg(count) + many;
}

} // namespace

BoxManager::Backup BoxManager::backup(int box) const
{
    const QString folder = m_context.dataFolder();
    Backup b;
    b.texts = QFileInfo::exists(DataFiles::boxBackup(folder, box));
    b.macros = QFileInfo::exists(DataFiles::macroBackup(folder, box));
    if (b.texts) {
        b.currentTexts = recordCount(DataFiles::boxFile(folder, box));
        b.backupTexts = recordCount(DataFiles::boxBackup(folder, box));
    }
    if (b.macros) {
        b.currentMacros = recordCount(DataFiles::macroFile(folder, box));
        b.backupMacros = recordCount(DataFiles::macroBackup(folder, box));
    }
    return b;
}

bool BoxManager::hasBackup(int box) const
{
    const QString folder = m_context.dataFolder();
    return QFileInfo::exists(DataFiles::boxBackup(folder, box))
        || QFileInfo::exists(DataFiles::macroBackup(folder, box));
}

bool BoxManager::askAndRestoreBox(int box)
{
    const Backup b = backup(box);
    Prompter& ask = m_context.prompter();
    if (!b.exists()) {
        ask.tell(QStringLiteral("Box %1: %2 has no backup to restore.").arg(box).arg(caption(box)),
            PromptIcon::Information);
        return false;
    }
    QStringList swaps;
    if (b.texts)
        swaps << QStringLiteral("the %1 now in the box with the %2 of the backup")
                     .arg(counted(b.currentTexts, QStringLiteral("text"), QStringLiteral("texts")),
                         counted(b.backupTexts, QStringLiteral("text"), QStringLiteral("texts")));
    if (b.macros)
        swaps << QStringLiteral("the %1 now in the box with the %2 of the backup")
                     .arg(counted(b.currentMacros, QStringLiteral("macro"), QStringLiteral("macros")),
                         counted(b.backupMacros, QStringLiteral("macro"), QStringLiteral("macros")));
    if (!ask.askYesNo(QStringLiteral("Undo the clear of box %1: %2?\n\nThis replaces %3. What it replaces "
                                     "becomes the backup, so Undo clear again brings it back.")
                          .arg(box)
                          .arg(caption(box), swaps.join(QStringLiteral(", and "))),
            PromptIcon::Question))
        return false;
    const Result<> restored = restoreBox(box);
    if (!restored)
        ask.tell(QStringLiteral("Box %1 could not be restored:\n%2\n\nEvery file is back in its place.")
                     .arg(box)
                     .arg(restored.error()),
            PromptIcon::Critical);
    return restored.ok();
}

Result<> BoxManager::restoreBox(int box)
{
    const QString folder = m_context.dataFolder();
    FolderLock lock(folder);
    QString error = lock.errorString();
    bool ok = lock.isLocked();
    // A leftover of an interrupted move there makes the swap fail: renames never replace.
    const QString temporary = DataFiles::boxFile(folder, 0);
    struct Pair
    {
        QString current, backup;
    };
    QList<Pair> pairs;
    if (QFileInfo::exists(DataFiles::boxBackup(folder, box)))
        pairs.append({DataFiles::boxFile(folder, box), DataFiles::boxBackup(folder, box)});
    if (QFileInfo::exists(DataFiles::macroBackup(folder, box)))
        pairs.append({DataFiles::macroFile(folder, box), DataFiles::macroBackup(folder, box)});
    if (ok && pairs.isEmpty()) {
        error = QStringLiteral("box %1 has no backup").arg(box);
        ok = false;
    }
    QList<bool> created; // an empty file was made for the pair's cleared file
    qsizetype swapped = 0;
    for (; ok && swapped < pairs.size(); ++swapped) {
        const Pair& pair = pairs.at(swapped);
        // An empty file stands for the cleared one, so that the backup exists after the swap
        // and a second restore brings the cleared state back.
        QFile empty(pair.current);
        created.append(
            !QFileInfo::exists(pair.current) && empty.open(QIODevice::WriteOnly | QIODevice::NewOnly));
        empty.close();
        ok = swapFiles(pair.current, pair.backup, temporary, &error, m_rename, m_exchange);
        if (!ok && created.last())
            QFile::remove(pair.current);
        if (!ok)
            break;
    }
    if (!ok) {
        // Swap back what was swapped: every file goes back in its place.
        for (qsizetype i = 0; i < swapped; ++i) {
            swapFiles(pairs.at(i).current, pairs.at(i).backup, temporary, nullptr);
            if (created.at(i))
                QFile::remove(pairs.at(i).current);
        }
        m_context.log().logStatus(QStringLiteral("Box '%1' not restored: %2").arg(caption(box), error));
        return Result<>::failure(error);
    }
    if (box == m_store.loadedBox())
        (void)m_store.loadBox(box);
    m_context.log().logStatus(QStringLiteral("Box '%1' restored from its backup.").arg(caption(box)));
    return Result<>::success();
}

bool BoxManager::swapFiles(const QString& a, const QString& b, const QString& temporary, QString* error,
    const Rename& rename, const Rename& exchange)
{
    using R = SafeRename::Result;
    const bool hasA = QFileInfo::exists(a);
    const bool hasB = QFileInfo::exists(b);
    if (hasA != hasB)
        return (hasA ? rename(a, b, error) : rename(b, a, error)) == R::Renamed;
    if (hasA && exchange(a, b, nullptr) == R::Renamed)
        return true;
    const R first = rename(a, temporary, error);
    if (first != R::Renamed && first != R::SourceMissing)
        return false;
    const R second = rename(b, a, error);
    if (second != R::Renamed && second != R::SourceMissing) {
        if (first == R::Renamed)
            rename(temporary, a, nullptr);
        return false;
    }
    if (first == R::Renamed && rename(temporary, b, error) != R::Renamed) {
        // Put both files back where they were.
        if (second == R::Renamed)
            rename(a, b, nullptr);
        rename(temporary, a, nullptr);
        return false;
    }
    return true;
}

Result<int> BoxManager::moveBox(int box, Direction direction)
{
    const int other = direction == Direction::Right ? box + 1 : box - 1;
    if (!DataFiles::isValidBox(box) || !DataFiles::isValidBox(other))
        return Result<int>::failure(
            QStringLiteral("box %1 cannot move %2")
                .arg(box)
                .arg(direction == Direction::Right ? QStringLiteral("right") : QStringLiteral("left")));

    const QString folder = m_context.dataFolder();
    FolderLock lock(folder);
    QString error = lock.errorString();
    bool ok = lock.isLocked();
    const QString boxTemporary = DataFiles::boxFile(folder, 0);
    const QString macroTemporary = DataFiles::macroFile(folder, 0);
    // A temporary left over from an interrupted move holds a box's texts: never overwrite it.
    for (const QString& leftover : {boxTemporary, macroTemporary}) {
        if (ok && QFileInfo::exists(leftover)) {
            error = QStringLiteral("%1 is in the way; it holds texts from an interrupted move").arg(leftover);
            ok = false;
        }
    }
    if (ok)
        ok = swapFiles(
            DataFiles::boxFile(folder, other), DataFiles::boxFile(folder, box), boxTemporary, &error);
    if (ok) {
        ok = swapFiles(
            DataFiles::macroFile(folder, other), DataFiles::macroFile(folder, box), macroTemporary, &error);
        if (!ok)
            swapFiles(
                DataFiles::boxFile(folder, other), DataFiles::boxFile(folder, box), boxTemporary, nullptr);
    }
    if (ok) {
        const QStringList names = NamesFile::readOrDefaults(folder);
        const Result<> renamed = NamesFile::replace(folder,
            {{box, NamesFile::caption(names.at(other - 1))}, {other, NamesFile::caption(names.at(box - 1))}});
        ok = renamed.ok();
        if (!ok) {
            error = renamed.error();
            swapFiles(DataFiles::macroFile(folder, other), DataFiles::macroFile(folder, box), macroTemporary,
                nullptr);
            swapFiles(
                DataFiles::boxFile(folder, other), DataFiles::boxFile(folder, box), boxTemporary, nullptr);
        }
    }
    if (!ok) {
        m_context.log().logStatus(QStringLiteral("Box %1 not moved: %2").arg(box).arg(error));
        return Result<int>::failure(error);
    }
    return other;
}

Result<> BoxManager::renameBox(int box, const QString& name)
{
    QString clean = name;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    if (clean.size() > NamesFile::kMaxNameLength)
        return Result<>::failure(QStringLiteral("Only 15 characters allowed."));
    const Result<> renamed = NamesFile::replace(m_context.dataFolder(), {{box, clean}});
    if (!renamed)
        m_context.log().logStatus(QStringLiteral("Box %1 not renamed: %2").arg(box).arg(renamed.error()));
    return renamed;
}

bool BoxManager::askAndRenameBox(int box)
{
    // After a refusal the field offers what the user typed, so a long name can be shortened.
    QString offered = caption(box);
    for (;;) {
        const std::optional<QString> answer
            = m_context.prompter().askText(QStringLiteral("Rename box %1").arg(box),
                QStringLiteral("Enter a name for this box of data (max 15 characters)."), offered);
        if (!answer || answer->isEmpty())
            return false;
        const Result<> renamed = renameBox(box, *answer);
        if (renamed)
            return true;
        if (answer->size() <= NamesFile::kMaxNameLength) {
            m_context.prompter().tell(
                QStringLiteral("Box %1 could not be renamed:\n%2").arg(box).arg(renamed.error()),
                PromptIcon::Critical);
            return false;
        }
        m_context.prompter().tell(renamed.error(), PromptIcon::None);
        offered = *answer;
    }
}

void BoxManager::copyUndoToClipboard(int level)
{
    m_clipboard.replaceText(m_store.undoText(level));
}

void BoxManager::clearUndo(int level)
{
    m_store.setUndoText(level, QString());
}

bool BoxManager::clearClipboard()
{
    if (m_context.warnOverwrite()
        && !m_context.prompter().askYesNo(QStringLiteral("Clear the clipboard?"), PromptIcon::Question))
        return false;
    m_clipboard.clear();
    m_context.log().logStatus(QStringLiteral("Clipboard cleared"));
    return true;
}

void BoxManager::refillClipboard()
{
    if (!m_context.refillText().isEmpty())
        m_clipboard.replaceText(m_context.refillText());
}

void BoxManager::copyToClipboard(const QString& text)
{
    m_clipboard.replaceText(text);
}
