#pragma once

#include "core/RecordFile.h"
#include "core/RecordSave.h"
#include "core/Result.h"

#include <QObject>
#include <QString>

class DataContext;

// The texts of the boxes: the cache of the box on show, the single path through which every
// stored text changes (savePosition), and the two-level undo of replaced and deleted texts.
class BoxStore : public QObject
{
    Q_OBJECT
public:
    explicit BoxStore(DataContext& context, QObject* parent = nullptr);

    // Reloads the cache from the box's file and announces it with boxLoaded(). A file that
    // exists but cannot be read leaves the cache empty and fails: the failure is logged, and
    // told to the user the first time it happens to the box, as an empty box would look as if
    // its texts were lost.
    Result<> loadBox(int box);
    // Reads the loaded box's file again and reloads the cache when what it holds differs from
    // the cache (or the file became readable or unreadable): another program changed it. True
    // when the cache was reloaded; the box's own saves, already reloaded, give false.
    bool reloadIfChanged();
    // The box in the cache; 0 before the first load.
    int loadedBox() const { return m_loadedBox; }
    // Why the loaded box's file could not be read; empty when it was read.
    const QString& loadError() const { return m_loadError; }

    // The stored text of a position, read from the file ("" when it is missing).
    Result<QString> readPosition(int position, int box) const;

    // Stores text in a position ("" clears it). Unless force is set, replacing or clearing a
    // stored text asks first while the overwrite warning is on, and a text over the length
    // limit is cut only after the user agrees. Does not reload the cache. Every outcome is
    // logged; a failure carries the reason and changes nothing.
    Result<SaveOutcome> savePosition(const QString& text, int position, int box, bool force);

    // Entry of the cache, 1..99 ("" outside that range).
    QString cached(int position) const;
    // Its first units UTF-16 units (all of it when shorter): decodes no more of the text.
    QString cachedStart(int position, qsizetype units) const;
    bool isOccupied(int position) const;

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
    DataContext& m_context;
    // The loaded box's file as read: a text is decoded when it is asked for, so that showing a
    // box holds its bytes only.
    RecordFile::Parsed m_file;
    int m_loadedBox = 0;
    QString m_loadError;
    // The boxes whose unreadable file the user was told about; a box leaves it once it is read.
    QList<int> m_toldUnreadable;
    QString m_undoLast;
    QString m_undoPrevious;
    bool m_lastSaveDone = false;
};
