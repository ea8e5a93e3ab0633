#pragma once

#include "core/Result.h"

#include <QObject>
#include <QString>

#include <array>

class DataContext;

// What one savePosition call did when it did not fail.
enum class SaveOutcome
{
    Saved, // a text was stored
    Cleared, // the position was emptied
    AlreadySaved, // the position already held the text; nothing written
    Declined, // the user said No; nothing written
};

// The texts of the boxes: the cache of the box on show, the single path through which every
// stored text changes (savePosition), and the two-level undo of replaced and deleted texts.
class BoxStore : public QObject
{
    Q_OBJECT
public:
    explicit BoxStore(DataContext& context, QObject* parent = nullptr);

    // Reloads the cache from the box's file and announces it with boxLoaded().
    void loadBox(int box);
    // The box in the cache; 0 before the first load.
    int loadedBox() const { return m_loadedBox; }

    // The stored text of a position, read from the file.
    QString readPosition(int position, int box) const;

    // Stores text in a position ("" clears it). Unless force is set, replacing or clearing a
    // stored text asks first while the overwrite warning is on, and a text over the length
    // limit is cut only after the user agrees. Does not reload the cache. Every outcome is
    // logged; a failure carries the reason and changes nothing.
    Result<SaveOutcome> savePosition(const QString& text, int position, int box, bool force);

    // Entry of the cache, 1..99 ("" outside that range).
    QString cached(int position) const;
    bool isOccupied(int position) const { return !cached(position).isEmpty(); }

    // The deleted-text undo: 1 = last, 2 = previous.
    QString undoText(int level) const;
    void setUndoText(int level, const QString& text);

    bool lastSaveDone() const { return m_lastSaveDone; }
    void setLastSaveDone(bool done) { m_lastSaveDone = done; }

    QString boxFile(int box) const;

signals:
    void boxLoaded(int box);
    // savePosition emptied a position: the viewer no longer shows a stored text.
    void positionCleared(int box, int position);

private:
    bool confirm(const QString& old, const QString& text, int position);

    DataContext& m_context;
    std::array<QString, 100> m_cache; // index = position; 0 unused
    int m_loadedBox = 0;
    QString m_undoLast;
    QString m_undoPrevious;
    bool m_lastSaveDone = false;
};
