#include "boxes/BoxStore.h"

#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/Prompter.h"
#include "core/RecordFile.h"
#include "core/StatusLog.h"

BoxStore::BoxStore(DataContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
{ }

QString BoxStore::boxFile(int box) const
{
    return DataFiles::boxFile(m_context.dataFolder(), box);
}

Result<> BoxStore::loadBox(int box)
{
    m_file = {};
    m_loadedBox = box;
    const QString file = boxFile(box);
    Result<RecordFile::Parsed> parsed = RecordFile::readFile(file);
    m_loadError = parsed ? QString() : parsed.error();
    if (!parsed) {
        m_context.log().logStatus(QStringLiteral("Box %1 not loaded: %2").arg(box).arg(parsed.error()));
        if (!m_toldUnreadable.contains(box)) {
            m_toldUnreadable.append(box);
            m_context.prompter().tell(QStringLiteral("The texts of box %1 cannot be read:\n%2\n\n"
                                                     "The box shows no texts and takes none until the file "
                                                     "can be read; its file is left as it is.")
                                          .arg(box)
                                          .arg(parsed.error()),
                PromptIcon::Critical);
        }
        emit boxLoaded(box);
        return Result<>::failure(parsed.error());
    }
    m_toldUnreadable.removeAll(box);
    m_file = std::move(*parsed);
    // Lines that show in no position (a damaged key, a second record of a key, or no record at
    // all) are said once per load, so the user knows the file holds more than the box shows.
    if (const qsizetype unshown = m_file.unshownLines())
        m_context.log().logStatus(QStringLiteral("Box %1: %2 holds %3 line%4 that no position shows (a "
                                                 "damaged key or a second record of a key); they are kept")
                                      .arg(box)
                                      .arg(file)
                                      .arg(unshown)
                                      .arg(unshown == 1 ? QString() : QStringLiteral("s")));
    emit boxLoaded(box);
    return Result<>::success();
}

bool BoxStore::reloadIfChanged()
{
    if (!DataFiles::isValidBox(m_loadedBox))
        return false;
    const Result<RecordFile::Parsed> parsed = RecordFile::readFile(boxFile(m_loadedBox));
    if (!parsed && parsed.error() == m_loadError)
        return false;
    if (parsed && m_loadError.isEmpty()) {
        // Other bytes may still hold the same texts: a line end written another way, or a line
        // that shows in no position.
        bool same = true;
        if (parsed->bytes != m_file.bytes) {
            for (int position = 1; same && position <= DataFiles::kPositionCount; ++position)
                same = m_file.sameText(*parsed, position);
        }
        if (same)
            return false;
    }
    (void)loadBox(m_loadedBox);
    return true;
}

Result<QString> BoxStore::readPosition(int position, int box) const
{
    return RecordFile::readRecord(boxFile(box), position);
}

QString BoxStore::cached(int position) const
{
    return m_file.text(position);
}

QString BoxStore::cachedStart(int position, qsizetype units) const
{
    return m_file.textStart(position, units);
}

bool BoxStore::isOccupied(int position) const
{
    return m_file.hasText(position);
}

QString BoxStore::undoText(int level) const
{
    return level == 1 ? m_undoLast : m_undoPrevious;
}

void BoxStore::setUndoText(int level, const QString& text)
{
    (level == 1 ? m_undoLast : m_undoPrevious) = text;
}

Result<SaveOutcome> BoxStore::savePosition(const QString& text, int position, int box, bool force)
{
    const QString where = QStringLiteral("Box %1, position %2").arg(box).arg(position);
    const QString nn = RecordFile::keyText(position);
    RecordSave::Wording wording;
    wording.saved = where + QStringLiteral(" saved");
    wording.cleared = where + QStringLiteral(" cleared");
    wording.alreadySaved = QStringLiteral("Already saved in box %1, position %2").arg(box).arg(position);
    wording.notUpdated = where + QStringLiteral(" not updated");
    wording.notSaved = where + QStringLiteral(" not saved");
    wording.overwriteCaption = QStringLiteral("Overwrite text");
    wording.overwriteQuestion = QStringLiteral("Overwrite position %1").arg(nn);
    wording.deleteCaption = QStringLiteral("Delete text");
    wording.deleteQuestion = QStringLiteral("Clear position %1?").arg(nn);
    const Result<RecordSave::Saved> saved
        = RecordSave::save(m_context, {boxFile(box), position, text, !force, {}}, wording);
    if (!saved)
        return Result<SaveOutcome>::failure(saved.error());
    if (saved->outcome == SaveOutcome::Saved || saved->outcome == SaveOutcome::Cleared) {
        m_undoPrevious = m_undoLast;
        m_undoLast = saved->replaced;
        m_lastSaveDone = true;
    }
    if (saved->outcome == SaveOutcome::Cleared)
        emit positionCleared(box, position);
    return saved->outcome;
}
