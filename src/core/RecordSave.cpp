#include "core/RecordSave.h"

#include "core/DataContext.h"
#include "core/Prompter.h"
#include "core/RecordFile.h"
#include "core/StatusLog.h"

Result<RecordSave::Saved> RecordSave::save(
    DataContext& context, const Request& request, const Wording& wording)
{
    StatusLog& log = context.log();
    const auto shown = [&request](const QString& record) {
        return request.shownPart ? request.shownPart(record) : record;
    };
    // The file is read once: the rewrite reuses these records when the file has not changed.
    const Result<RecordFile::Parsed> read = RecordFile::readFile(request.file);
    if (!read) {
        log.logStatus(wording.notSaved + QStringLiteral(": ") + read.error());
        return Result<Saved>::failure(read.error());
    }
    const QString stored = read->text(request.key);
    const QString text = RecordFile::withFileLineEnds(request.text);
    if (text == stored) {
        if (!text.isEmpty())
            log.logStatus(wording.alreadySaved);
        return Saved {SaveOutcome::AlreadySaved, QString()};
    }
    const QString old = shown(stored);
    if (request.confirm && !old.isEmpty() && context.warnOverwrite()) {
        OverwriteRequest question;
        question.storedText = old;
        question.deletion = text.isEmpty();
        question.caption = question.deletion ? wording.deleteCaption : wording.overwriteCaption;
        question.question = question.deletion ? wording.deleteQuestion : wording.overwriteQuestion;
        if (!question.deletion)
            question.newText = shown(text);
        if (!context.confirmOverwrite(question)) {
            log.logStatus(wording.notUpdated);
            return Saved {SaveOutcome::Declined, QString()};
        }
    }
    if (text.size() > RecordFile::kMaxTextLength
        && !context.prompter().askYesNo(RecordFile::longTextQuestion(text), PromptIcon::Exclamation)) {
        log.logStatus(wording.notUpdated);
        return Saved {SaveOutcome::Declined, QString()};
    }

    const Result<> written
        = RecordFile::writeRecord(request.file, request.key, RecordFile::cutToLimit(text), &*read);
    if (!written) {
        log.logStatus(wording.notSaved + QStringLiteral(": ") + written.error());
        return Result<Saved>::failure(written.error());
    }
    log.logStatus(text.isEmpty() ? wording.cleared : wording.saved);
    return Saved {text.isEmpty() ? SaveOutcome::Cleared : SaveOutcome::Saved, old};
}
