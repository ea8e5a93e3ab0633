#pragma once

#include <QObject>
#include <QString>

#include <array>

class AppState;

// What one SavePosition call did.
enum class SaveOutcome {
    Saved,        // a text was stored
    Cleared,      // the position was emptied
    AlreadySaved, // the position already held the text; nothing written
    Declined,     // the user said No; nothing written
    Failed,       // the file could not be written; nothing changed
};

// The texts of the boxes: the cache of the current box, the single path through which every
// stored text changes (SavePosition), and the two-level undo of replaced and deleted texts.
class BoxStore : public QObject
{
    Q_OBJECT
public:
    explicit BoxStore(AppState& state, QObject* parent = nullptr);

    // Reloads the cache from the current box's file and tells the window to refresh.
    void LoadBox();

    // The stored text of a position; box 0 means the current box, and is set to its number.
    QString ReadPosition(int position, int& box) const;
    QString ReadPosition(int position) const;

    // Stores text in a position ("" clears it). Unless force is set, replacing or clearing a
    // stored text asks first while the overwrite warning is on. Does not reload the cache.
    SaveOutcome SavePosition(const QString& text, int position, int box, bool force);

    // Entry of the current box's cache, 1..99 ("" outside that range).
    QString cached(int position) const;
    bool isOccupied(int position) const { return !cached(position).isEmpty(); }

    // The deleted-text undo: 1 = last, 2 = previous.
    QString undoText(int level) const;
    void setUndoText(int level, const QString& text);

    bool lastSaveDone() const { return m_lastSaveDone; }
    void setLastSaveDone(bool done) { m_lastSaveDone = done; }

    QString boxFile(int box) const;

signals:
    void boxLoaded();
    // SavePosition emptied a position: the viewer no longer shows a stored text.
    void positionCleared(int box, int position);

private:
    bool confirm(const QString& old, const QString& text, int position);

    AppState& m_state;
    std::array<QString, 100> m_cache; // index = position; 0 unused
    QString m_undoLast;
    QString m_undoPrevious;
    bool m_lastSaveDone = false;
};
