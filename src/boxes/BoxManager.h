#pragma once

#include "core/Result.h"
#include "core/SafeRename.h"

#include <QString>
#include <QStringList>

#include <functional>

class DataContext;
class BoxStore;
class Clipboard;

// Operations on whole boxes and on the clipboard around the position buttons: clear a box
// (keeping one backup), move a box one place left or right, rename a box, the deleted-text
// undo entries, clearing the clipboard and the clipboard refill. The window and trellinctl
// both go through here.
class BoxManager
{
public:
    enum class Direction
    {
        Right,
        Left
    };

    BoxManager(DataContext& context, BoxStore& store, Clipboard& clipboard);

    // Asks the three questions, then clears what the user chose. Returns whether anything
    // was cleared.
    bool askAndClearBox(int box);
    // Clears the texts and/or macros of a box, keeping the previous content as ".bak". Stops
    // at a file step that fails; the failure says which step it was, and is logged.
    Result<> clearBox(int box, bool texts, bool macros);

    // What a restore of a box would swap: the texts and the macros whose backup exists, with the
    // number of records now and in the backup.
    struct Backup
    {
        bool texts = false;
        bool macros = false;
        int currentTexts = 0, backupTexts = 0;
        int currentMacros = 0, backupMacros = 0;
        bool exists() const { return texts || macros; }
    };
    Backup backup(int box) const;
    bool hasBackup(int box) const;
    // Names what a restore replaces and asks; restores when the user agrees. Returns whether
    // the box was restored.
    bool askAndRestoreBox(int box);
    // Swaps the current files of a box with their backups, the texts and the macros whose backup
    // exists, so that a second restore undoes the first. A cleared file (none left) is restored
    // over an empty one, which then is the backup. When a step fails, every file is back in its
    // place and the failure says why.
    Result<> restoreBox(int box);

    // Swaps the box with its neighbour (files and names). Returns the box's new number. Fails
    // when it cannot move (box 1 left, box 99 right) or a file step failed; then every file is
    // back in its place, and the status log says which step failed.
    Result<int> moveBox(int box, Direction direction);

    // Asks for a new name until it fits (or the user cancels) and stores it.
    bool askAndRenameBox(int box);
    // Stores a new name; refuses names over 15 characters with "Only 15 characters allowed.".
    // Line breaks become blanks so the names file keeps one name a line.
    Result<> renameBox(int box, const QString& name);

    // The names as the tabs show them (first 15 characters of each line of the names file).
    QStringList captions() const;
    QString caption(int box) const;

    // Deleted-text undo entries (1 = last, 2 = previous).
    void copyUndoToClipboard(int level);
    void clearUndo(int level);

    // Asks first while the overwrite warning is on. Returns whether the clipboard was cleared.
    bool clearClipboard();
    // Puts the refill text back on the clipboard, when the feature is on.
    void refillClipboard();
    void copyToClipboard(const QString& text);

    // Swaps two files without ever replacing a file; a missing file is missing after. In one
    // step where it can (both files exchanged, or the one that exists renamed), so a crash never
    // leaves a box without its file; else through a temporary name, and when a step fails both
    // files go back in place. The steps can be replaced, so that a test can make any step fail.
    using Rename = std::function<SafeRename::Result(const QString&, const QString&, QString*)>;
    static bool swapFiles(const QString& a, const QString& b, const QString& temporary, QString* error,
        const Rename& rename = SafeRename::rename, const Rename& exchange = SafeRename::exchange);
    // Replaces the file steps of restoreBox(), so that a test can make any of them fail.
    void setRenameSteps(Rename rename, Rename exchange)
    {
        m_rename = std::move(rename);
        m_exchange = std::move(exchange);
    }

private:
    DataContext& m_context;
    BoxStore& m_store;
    Clipboard& m_clipboard;
    Rename m_rename = SafeRename::rename;
    Rename m_exchange = SafeRename::exchange;
};
