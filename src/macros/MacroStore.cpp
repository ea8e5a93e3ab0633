#include "macros/MacroStore.h"

#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/RecordFile.h"

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

QString MacroStore::nameOf(QStringView record, int number)
{
    const qsizetype lineEnd = record.indexOf(u'\r');
    const qsizetype separator = record.left(lineEnd).indexOf(kSeparator);
    return separator < 0 ? defaultName(number) : record.left(separator).toString();
}

QString MacroStore::bodyOf(const QString& record)
{
    const qsizetype lineEnd = record.indexOf(u'\r');
    return record.mid(record.left(lineEnd).indexOf(kSeparator) + 1);
}

Result<QString> MacroStore::readMacroBody(int number, int box) const
{
    const Result<QString> record = RecordFile::readRecord(macroFile(box), number);
    return record ? Result<QString>(bodyOf(*record)) : record;
}

Result<QString> MacroStore::readMacroName(int number, int box) const
{
    const Result<QString> record = RecordFile::readRecord(macroFile(box), number);
    return record ? Result<QString>(nameOf(*record, number)) : record;
}

Result<QStringList> MacroStore::readMacroNames(int box) const
{
    const Result<Listing> listing = readMacroListing(box, 0);
    return listing ? Result<QStringList>(listing->names) : Result<QStringList>::failure(listing.error());
}

Result<MacroSource::Listing> MacroStore::readMacroListing(int box, int number) const
{
    const Result<RecordFile::Parsed> parsed = RecordFile::readFile(macroFile(box));
    if (!parsed)
        return Result<Listing>::failure(parsed.error());
    Listing listing;
    for (int n = 1; n <= kMacroCount; ++n) {
        // The name is on the record's first line: only that line is decoded, and of the whole
        // file only the body asked for.
        const QString name = nameOf(parsed->firstLine(n), n);
        listing.names.append(name.isEmpty() ? defaultName(n) : name);
    }
    if (number >= 1 && number <= kMacroCount)
        listing.body = bodyOf(parsed->text(number));
    return listing;
}

QString MacroStore::deletedMacro(int level) const
{
    return level == 1 ? m_deletedLast : m_deletedPrevious;
}

void MacroStore::setDeletedMacro(int level, const QString& text)
{
    (level == 1 ? m_deletedLast : m_deletedPrevious) = text;
}

Result<MacroSaveOutcome> MacroStore::saveMacro(const QString& record, int number, int box)
{
    if (number < 1 || number > kMacroCount || !DataFiles::isValidBox(box))
        return Result<MacroSaveOutcome>::failure(
            QStringLiteral("there is no macro %1 in box %2: both run from 1 to 99").arg(number).arg(box));

    const QString what = QStringLiteral("Macro %1").arg(number);
    const QString inBox = QStringLiteral(" in box %1").arg(box);
    const QString nn = RecordFile::keyText(number);
    RecordSave::Wording wording;
    wording.saved = what + QStringLiteral(" saved") + inBox;
    wording.cleared = what + QStringLiteral(" cleared") + inBox;
    wording.alreadySaved = what + QStringLiteral(" already saved") + inBox;
    wording.notUpdated = what + QStringLiteral(" not updated") + inBox;
    wording.notSaved = what + QStringLiteral(" not saved") + inBox;
    wording.overwriteCaption = QStringLiteral("Overwrite macro");
    wording.overwriteQuestion = QStringLiteral("Overwrite position %1?").arg(nn);
    wording.deleteCaption = QStringLiteral("Delete macro");
    wording.deleteQuestion = QStringLiteral("Clear position %1?").arg(nn);
    // The whole stored record decides whether anything changes: comparing the body alone would
    // take a record without a name for the named one, and never delete a name with no body.
    // The question and the undo deal with the body.
    const Result<RecordSave::Saved> saved
        = RecordSave::save(m_context, {macroFile(box), number, record, true, &MacroStore::bodyOf}, wording);
    if (!saved)
        return Result<MacroSaveOutcome>::failure(saved.error());
    if (saved->outcome == SaveOutcome::Saved || saved->outcome == SaveOutcome::Cleared) {
        m_deletedPrevious = m_deletedLast;
        m_deletedLast = saved->replaced;
    }
    return saved->outcome;
}
