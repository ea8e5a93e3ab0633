#include "boxes/BoxStore.h"

#include "app/AppState.h"
#include "app/Prompter.h"
#include "app/StatusLog.h"
#include "boxes/DataFiles.h"
#include "boxes/RecordFile.h"
#include "core/LeadingNumber.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>

BoxStore::BoxStore(AppState& state, QObject* parent)
    : QObject(parent)
    , m_state(state)
{
}

QString BoxStore::boxFile(int box) const
{
    return DataFiles::boxFile(m_state.dataFolder(), box);
}

void BoxStore::LoadBox()
{
    m_cache.fill(QString());
    const QString file = boxFile(m_state.currentBox());
    QString error;
    const std::optional<QString> content = QFileInfo::exists(file) ? TextFile::read(file, &error) : std::nullopt;
    if (!error.isEmpty())
        m_state.log().LogStatus(QStringLiteral("Box %1 not loaded: %2").arg(m_state.currentBox()).arg(error));
    if (content) {
        int key = 0;
        QString text;
        auto store = [&] {
            if (key >= 1 && key <= AppState::kPositionCount)
                m_cache[std::size_t(key)] = text;
        };
        for (const QString& line : TextCodec::splitLines(*content)) {
            if (RecordFile::isHeader(line)) {
                store();
                // A damaged key ("ab", "-3", key 00) reads as no position; its text is dropped
                // from the cache but stays in the file.
                const double number = LeadingNumber(line.left(2));
                key = number == int(number) ? int(number) : 0;
                text = line.mid(5);
            } else {
                text += QStringLiteral("\r\n") + line;
            }
        }
        store();
    }
    emit boxLoaded();
}

QString BoxStore::ReadPosition(int position, int& box) const
{
    if (box == 0)
        box = m_state.currentBox();
    return RecordFile::ReadRecord(boxFile(box), position, QString());
}

QString BoxStore::ReadPosition(int position) const
{
    int box = 0;
    return ReadPosition(position, box);
}

QString BoxStore::cached(int position) const
{
    if (position < 1 || position > AppState::kPositionCount)
        return QString();
    return m_cache[std::size_t(position)];
}

QString BoxStore::undoText(int level) const
{
    return level == 1 ? m_undoLast : m_undoPrevious;
}

void BoxStore::setUndoText(int level, const QString& text)
{
    (level == 1 ? m_undoLast : m_undoPrevious) = text;
}

bool BoxStore::confirm(const QString& old, const QString& text, int position)
{
    const QString nn = RecordFile::keyText(position);
    OverwriteRequest request;
    request.storedText = old;
    if (text.isEmpty()) {
        request.caption = QStringLiteral("Delete text");
        request.question = QStringLiteral("Clear position %1?").arg(nn);
        request.deletion = true;
    } else {
        request.caption = QStringLiteral("Overwrite text");
        request.question = QStringLiteral("Overwrite position %1").arg(nn);
        request.newText = text;
    }
    const OverwriteAnswer answer = m_state.prompter().confirmOverwrite(request);
    // The dialog's "don't ask" box takes effect whatever the answer.
    m_state.storeWarnOverwrite(!answer.dontAskAgain);
    return answer.yes;
}

SaveOutcome BoxStore::SavePosition(const QString& text, int position, int box, bool force)
{
    const QString old = ReadPosition(position, box);
    StatusLog& log = m_state.log();
    const QString where = QStringLiteral("Box %1, position %2").arg(box).arg(position);

    if (text == old) {
        if (!text.isEmpty())
            log.LogStatus(QStringLiteral("Already saved in box %1, position %2").arg(box).arg(position));
        return SaveOutcome::AlreadySaved;
    }
    if (!force && !old.isEmpty() && m_state.warnOverwrite() && !confirm(old, text, position)) {
        log.LogStatus(where + QStringLiteral(" not updated"));
        return SaveOutcome::Declined;
    }

    const WriteResult result = RecordFile::WriteRecord(boxFile(box), position, text, m_state.prompter());
    if (result.outcome == WriteOutcome::Declined) {
        log.LogStatus(where + QStringLiteral(" not updated"));
        return SaveOutcome::Declined;
    }
    if (result.outcome == WriteOutcome::Failed) {
        log.LogStatus(where + QStringLiteral(" not saved: ") + result.error);
        return SaveOutcome::Failed;
    }

    m_undoPrevious = m_undoLast;
    m_undoLast = old;
    m_lastSaveDone = true;
    if (text.isEmpty()) {
        emit positionCleared(box, position);
        log.LogStatus(where + QStringLiteral(" cleared"));
        return SaveOutcome::Cleared;
    }
    log.LogStatus(where + QStringLiteral(" saved"));
    return SaveOutcome::Saved;
}
