#include "boxes/BoxStore.h"

#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/LeadingNumber.h"
#include "core/Prompter.h"
#include "core/RecordFile.h"
#include "core/StatusLog.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>

BoxStore::BoxStore(DataContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
{ }

QString BoxStore::boxFile(int box) const
{
    return DataFiles::boxFile(m_context.dataFolder(), box);
}

void BoxStore::loadBox(int box)
{
    m_cache.fill(QString());
    m_loadedBox = box;
    const QString file = boxFile(box);
    const Result<QString> content = QFileInfo::exists(file) ? TextFile::read(file) : QString();
    if (!content)
        m_context.log().logStatus(QStringLiteral("Box %1 not loaded: %2").arg(box).arg(content.error()));
    if (content) {
        int key = 0;
        bool anyRecord = false;
        QString text;
        auto store = [&] {
            if (key >= 1 && key <= DataFiles::kPositionCount)
                m_cache[std::size_t(key)] = text;
        };
        for (const QString& line : TextCodec::splitLines(*content)) {
            if (RecordFile::isHeader(line)) {
                store();
                anyRecord = true;
                // A damaged key ("ab", "-3", key 00) reads as no position; its text is dropped
                // from the cache but stays in the file.
                const double number = leadingNumber(line.left(2));
                key = number == int(number) ? int(number) : 0;
                text = line.mid(5);
            } else {
                text += QStringLiteral("\r\n") + line;
            }
        }
        store();
        // A file that holds something but no record is no box file: say so rather than show
        // an empty box. The file is left as it is.
        if (!anyRecord && !content->trimmed().isEmpty())
            m_context.log().logStatus(
                QStringLiteral("Box %1: %2 holds no text the program can read; it is left unchanged")
                    .arg(box)
                    .arg(file));
    }
    emit boxLoaded(box);
}

QString BoxStore::readPosition(int position, int box) const
{
    return RecordFile::readRecord(boxFile(box), position, QString());
}

QString BoxStore::cached(int position) const
{
    if (position < 1 || position > DataFiles::kPositionCount)
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
    return m_context.confirmOverwrite(request);
}

Result<SaveOutcome> BoxStore::savePosition(const QString& text, int position, int box, bool force)
{
    const QString old = readPosition(position, box);
    StatusLog& log = m_context.log();
    const QString where = QStringLiteral("Box %1, position %2").arg(box).arg(position);

    if (text == old) {
        if (!text.isEmpty())
            log.logStatus(QStringLiteral("Already saved in box %1, position %2").arg(box).arg(position));
        return SaveOutcome::AlreadySaved;
    }
    if (!force && !old.isEmpty() && m_context.warnOverwrite() && !confirm(old, text, position)) {
        log.logStatus(where + QStringLiteral(" not updated"));
        return SaveOutcome::Declined;
    }
    if (text.size() > RecordFile::kMaxTextLength
        && !m_context.prompter().askYesNo(RecordFile::longTextQuestion(text), PromptIcon::Exclamation)) {
        log.logStatus(where + QStringLiteral(" not updated"));
        return SaveOutcome::Declined;
    }

    const Result<> written = RecordFile::writeRecord(boxFile(box), position, RecordFile::cutToLimit(text));
    if (!written) {
        log.logStatus(where + QStringLiteral(" not saved: ") + written.error());
        return Result<SaveOutcome>::failure(written.error());
    }

    m_undoPrevious = m_undoLast;
    m_undoLast = old;
    m_lastSaveDone = true;
    if (text.isEmpty()) {
        emit positionCleared(box, position);
        log.logStatus(where + QStringLiteral(" cleared"));
        return SaveOutcome::Cleared;
    }
    log.logStatus(where + QStringLiteral(" saved"));
    return SaveOutcome::Saved;
}
