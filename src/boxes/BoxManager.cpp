#include "boxes/BoxManager.h"

#include "app/AppState.h"
#include "app/Prompter.h"
#include "app/StatusLog.h"
#include "boxes/BoxStore.h"
#include "boxes/DataFiles.h"
#include "boxes/NamesFile.h"
#include "core/FolderLock.h"
#include "core/SafeRename.h"
#include "platform/Clipboard.h"

#include <QFile>
#include <QFileInfo>

BoxManager::BoxManager(AppState& state, BoxStore& store, Clipboard& clipboard)
    : m_state(state)
    , m_store(store)
    , m_clipboard(clipboard)
{
}

QStringList BoxManager::captions() const
{
    return NamesFile::captions(m_state.dataFolder());
}

QString BoxManager::caption(int box) const
{
    return AppState::isValidBox(box) ? captions().at(box - 1) : QString();
}

bool BoxManager::askAndClearBox(int box)
{
    Prompter& ask = m_state.prompter();
    if (!ask.askYesNo(QStringLiteral("Are you sure you wish to clear data in box %1: %2 ?").arg(box).arg(caption(box)),
                      PromptIcon::Question))
        return false;
    const bool texts = ask.askYesNo(QStringLiteral("Do you wish to clear the clipboard data?"), PromptIcon::None);
    const bool macros = ask.askYesNo(QStringLiteral("Do you wish to clear the macros?"), PromptIcon::None);
    if (!texts && !macros)
        return false;
    return clearBox(box, texts, macros);
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

bool BoxManager::clearBox(int box, bool texts, bool macros)
{
    const QString folder = m_state.dataFolder();
    FolderLock lock(folder);
    QString error = lock.errorString();
    bool ok = lock.isLocked();
    if (ok && texts) {
        ok = moveToBackup(DataFiles::boxFile(folder, box), DataFiles::boxBackup(folder, box), &error);
        if (box == m_state.currentBox())
            m_store.LoadBox();
    }
    if (ok && macros)
        ok = moveToBackup(DataFiles::macroFile(folder, box), DataFiles::macroBackup(folder, box), &error);
    if (!ok) {
        m_state.log().LogStatus(QStringLiteral("Box '%1' not cleared: %2").arg(caption(box), error));
        return false;
    }
    if (texts || macros)
        m_state.log().LogStatus(QStringLiteral("Box '%1' cleared successfully.").arg(caption(box)));
    return true;
}

bool BoxManager::swapFiles(
    const QString& a, const QString& b, const QString& temporary, QString* error, const Rename& rename)
{
    using R = SafeRename::Result;
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

std::optional<int> BoxManager::moveBox(int box, Direction direction)
{
    if (!AppState::isValidBox(box))
        return std::nullopt;
    const int other = direction == Direction::Right ? box + 1 : box - 1;
    if (!AppState::isValidBox(other))
        return std::nullopt;

    const QString folder = m_state.dataFolder();
    FolderLock lock(folder);
    QString error = lock.errorString();
    bool ok = lock.isLocked();
    const QString boxTemporary = DataFiles::boxFile(folder, 0);
    const QString macroTemporary = DataFiles::macroFile(folder, 0);
    // A temporary left over from an interrupted move holds a box's texts: never overwrite it.
    for (const QString& leftover : { boxTemporary, macroTemporary }) {
        if (ok && QFileInfo::exists(leftover)) {
            error = QStringLiteral("%1 is in the way; it holds texts from an interrupted move").arg(leftover);
            ok = false;
        }
    }
    if (ok)
        ok = swapFiles(DataFiles::boxFile(folder, other), DataFiles::boxFile(folder, box), boxTemporary, &error);
    if (ok) {
        ok = swapFiles(DataFiles::macroFile(folder, other), DataFiles::macroFile(folder, box), macroTemporary, &error);
        if (!ok)
            swapFiles(DataFiles::boxFile(folder, other), DataFiles::boxFile(folder, box), boxTemporary, nullptr);
    }
    if (ok) {
        const QStringList names = NamesFile::readOrDefaults(folder);
        ok = NamesFile::replace(folder, { { box, NamesFile::caption(names.at(other - 1)) },
                                          { other, NamesFile::caption(names.at(box - 1)) } },
                                &error);
        if (!ok) {
            swapFiles(DataFiles::macroFile(folder, other), DataFiles::macroFile(folder, box), macroTemporary, nullptr);
            swapFiles(DataFiles::boxFile(folder, other), DataFiles::boxFile(folder, box), boxTemporary, nullptr);
        }
    }
    if (!ok) {
        m_state.log().LogStatus(QStringLiteral("Box %1 not moved: %2").arg(box).arg(error));
        return std::nullopt;
    }
    return other;
}

bool BoxManager::renameBox(int box, const QString& name, QString* error)
{
    QString clean = name;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    if (clean.size() > NamesFile::kMaxNameLength) {
        if (error)
            *error = QStringLiteral("Only 15 characters allowed.");
        return false;
    }
    QString reason;
    if (!NamesFile::replace(m_state.dataFolder(), { { box, clean } }, &reason)) {
        m_state.log().LogStatus(QStringLiteral("Box %1 not renamed: %2").arg(box).arg(reason));
        if (error)
            *error = reason;
        return false;
    }
    return true;
}

bool BoxManager::askAndRenameBox(int box)
{
    const QString current = caption(box);
    for (;;) {
        const std::optional<QString> answer = m_state.prompter().askText(
            QStringLiteral("Rename box %1").arg(box),
            QStringLiteral("Enter a name for this box of data (max 15 characters)."), current);
        if (!answer || answer->isEmpty())
            return false;
        QString error;
        if (renameBox(box, *answer, &error))
            return true;
        if (answer->size() <= NamesFile::kMaxNameLength)
            return false; // the names file could not be written; the log says why
        m_state.prompter().tell(error, PromptIcon::None);
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
    if (m_state.warnOverwrite()
        && !m_state.prompter().askYesNo(QStringLiteral("Clear the clipboard?"), PromptIcon::Question))
        return false;
    m_clipboard.ClipboardClear();
    m_state.log().LogStatus(QStringLiteral("Clipboard cleared"));
    return true;
}

void BoxManager::refillClipboard()
{
    if (!m_state.refillText().isEmpty())
        m_clipboard.replaceText(m_state.refillText());
}

void BoxManager::copyToClipboard(const QString& text)
{
    m_clipboard.replaceText(text);
}
