#include "macros/MacroStore.h"

#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/LeadingNumber.h"
#include "core/Prompter.h"
#include "core/RecordFile.h"
#include "core/StatusLog.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>

namespace {

constexpr int kMacroCount = 99;
constexpr QChar kSeparator = u'>';

QString defaultName(int number)
{
    return QStringLiteral("Macro %1").arg(number);
}

} // namespace

MacroStore::MacroStore(DataContext& context)
    : m_context(context)
{ }

QString MacroStore::macroFile(int box) const
{
    return DataFiles::macroFile(m_context.dataFolder(), box);
}

QString MacroStore::readMacroBody(int number, int box) const
{
    const QString record = RecordFile::readRecord(macroFile(box), number, QString());
    return record.mid(record.indexOf(kSeparator) + 1);
}

QString MacroStore::readMacroName(int number, int box) const
{
    const QString record = RecordFile::readRecord(macroFile(box), number, QString());
    const qsizetype separator = record.indexOf(kSeparator);
    return separator < 0 ? defaultName(number) : record.left(separator);
}

QStringList MacroStore::macroNames(int box) const
{
    QStringList names(kMacroCount);
    const QString file = macroFile(box);
    const Result<QString> content = QFileInfo::exists(file) ? TextFile::read(file) : QString();
    if (!content) {
        m_context.log().logStatus(
            QStringLiteral("Box %1 macros not loaded: %2").arg(box).arg(content.error()));
    } else {
        // Only header lines name a macro. Of two records under one key the first counts, as it
        // is the one readMacroBody reads.
        QList<bool> named(kMacroCount, false);
        for (const QString& line : TextCodec::splitLines(*content)) {
            if (!RecordFile::isHeader(line))
                continue;
            const double key = leadingNumber(line.left(2));
            if (key < 1 || key > kMacroCount || key != int(key) || named[qsizetype(key) - 1])
                continue;
            const qsizetype separator = line.indexOf(kSeparator, 5);
            named[qsizetype(key) - 1] = true;
            if (separator >= 0)
                names[qsizetype(key) - 1] = line.mid(5, separator - 5);
        }
    }
    for (int number = 1; number <= kMacroCount; ++number) {
        if (names[number - 1].isEmpty())
            names[number - 1] = defaultName(number);
    }
    return names;
}

QString MacroStore::deletedMacro(int level) const
{
    return level == 1 ? m_deletedLast : m_deletedPrevious;
}

void MacroStore::setDeletedMacro(int level, const QString& text)
{
    (level == 1 ? m_deletedLast : m_deletedPrevious) = text;
}

bool MacroStore::confirm(const QString& oldBody, const QString& record, int number)
{
    const QString nn = RecordFile::keyText(number);
    OverwriteRequest request;
    request.storedText = oldBody;
    if (record.isEmpty()) {
        request.caption = QStringLiteral("Delete macro");
        request.question = QStringLiteral("Clear position %1?").arg(nn);
        request.deletion = true;
    } else {
        request.caption = QStringLiteral("Overwrite macro");
        request.question = QStringLiteral("Overwrite position %1?").arg(nn);
        request.newText = record.mid(record.indexOf(kSeparator) + 1);
    }
    return m_context.confirmOverwrite(request);
}

Result<MacroSaveOutcome> MacroStore::saveMacro(const QString& record, int number, int box)
{
    if (number < 1 || number > kMacroCount || !DataFiles::isValidBox(box))
        return Result<MacroSaveOutcome>::failure(
            QStringLiteral("there is no macro %1 in box %2: both run from 1 to 99").arg(number).arg(box));

    const QString file = macroFile(box);
    // The whole stored record decides whether anything changes: comparing the body alone would
    // take a record without a name for the named one, and never delete a name with no body.
    const QString stored = RecordFile::readRecord(file, number, QString());
    const QString oldBody = stored.mid(stored.indexOf(kSeparator) + 1);
    StatusLog& log = m_context.log();
    const QString what = QStringLiteral("Macro %1").arg(number);
    const QString inBox = QStringLiteral(" in box %1").arg(box);

    if (record == stored) {
        if (!record.isEmpty())
            log.logStatus(what + QStringLiteral(" already saved") + inBox);
        return MacroSaveOutcome::AlreadySaved;
    }
    if (!oldBody.isEmpty() && m_context.warnOverwrite() && !confirm(oldBody, record, number)) {
        log.logStatus(what + QStringLiteral(" not updated") + inBox);
        return MacroSaveOutcome::Declined;
    }
    if (record.size() > RecordFile::kMaxTextLength
        && !m_context.prompter().askYesNo(RecordFile::longTextQuestion(record), PromptIcon::Exclamation)) {
        log.logStatus(what + QStringLiteral(" not updated") + inBox);
        return MacroSaveOutcome::Declined;
    }

    const Result<> written = RecordFile::writeRecord(file, number, RecordFile::cutToLimit(record));
    if (!written) {
        log.logStatus(what + QStringLiteral(" not saved") + inBox + QStringLiteral(": ") + written.error());
        return Result<MacroSaveOutcome>::failure(written.error());
    }

    m_deletedPrevious = m_deletedLast;
    m_deletedLast = oldBody;
    if (record.isEmpty()) {
        log.logStatus(what + QStringLiteral(" cleared") + inBox);
        return MacroSaveOutcome::Cleared;
    }
    log.logStatus(what + QStringLiteral(" saved") + inBox);
    return MacroSaveOutcome::Saved;
}
