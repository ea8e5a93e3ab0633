#include "macros/MacroActions.h"

#include "core/Clipboard.h"
#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/Prompter.h"
#include "core/RecordFile.h"
#include "core/StatusLog.h"

namespace {

constexpr int kMacroCount = 99;

} // namespace

MacroActions::MacroActions(DataContext& context, MacroStore& store, Clipboard& clipboard)
    : m_context(context)
    , m_store(store)
    , m_clipboard(clipboard)
{ }

Result<MacroSaveOutcome> MacroActions::save(const QString& record, int number, int box)
{
    Result<MacroSaveOutcome> outcome = m_store.saveMacro(record, number, box);
    if (!outcome)
        m_context.tellNotSaved(QStringLiteral("Macro %1 of box %2").arg(number).arg(box), outcome.error(),
            QStringLiteral("macros"));
    return outcome;
}

bool MacroActions::edit(int box, int number, const QString& currentName)
{
    const Result<QString> oldBody = m_store.readMacroBody(number, box);
    if (!oldBody) {
        m_context.prompter().tell(QStringLiteral("Macro %1 of box %2 cannot be edited:\n%3")
                                      .arg(number)
                                      .arg(box)
                                      .arg(oldBody.error()),
            PromptIcon::Critical);
        return false;
    }
    EditRequest request;
    request.caption = QStringLiteral("Moxeno Trellin - edit macro");
    request.text = *oldBody;
    request.macro = true;
    request.macroName = currentName;
    request.macroNumber = number;
    for (;;) {
        const EditResult result = m_context.prompter().editText(request);
        if (!result.saved) {
            m_context.log().logStatus(QStringLiteral("Macro %1 not updated in box %2").arg(number).arg(box));
            return false;
        }
        QString name = result.macroName;
        name.replace(u'>', u':');
        if (result.text == *oldBody && name == currentName) {
            if (!oldBody->isEmpty())
                m_context.log().logStatus(
                    QStringLiteral("Macro %1 already saved in box %2").arg(number).arg(box));
            return true;
        }
        if (save(name + u'>' + result.text, number, box))
            return true;
        // The failure was told; the editor opens again on what the user wrote.
        request.text = result.text;
        request.macroName = result.macroName;
    }
}

Result<MacroSaveOutcome> MacroActions::remove(int box, int number)
{
    return save(QString(), number, box);
}

Result<MacroSaveOutcome> MacroActions::replaceBody(int box, int number, const QString& body)
{
    const Result<QString> name = m_store.readMacroName(number, box);
    if (!name) {
        m_context.tellNotSaved(QStringLiteral("Macro %1 of box %2").arg(number).arg(box), name.error(),
            QStringLiteral("macros"));
        return Result<MacroSaveOutcome>::failure(name.error());
    }
    return save(*name + u'>' + body, number, box);
}

Result<MacroSaveOutcome> MacroActions::overwriteFromClipboard(int box, int number)
{
    return replaceBody(box, number, m_clipboard.text());
}

Result<std::optional<int>> MacroActions::move(int box, int number, Direction direction)
{
    const int other = direction == Direction::Down ? number + 1 : number - 1;
    if (number < 1 || number > kMacroCount || other < 1 || other > kMacroCount || !DataFiles::isValidBox(box))
        return std::optional<int>();
    const Result<bool> moved = RecordFile::exchangeKeys(m_store.macroFile(box), number, other);
    if (!moved) {
        m_context.prompter().tell(QStringLiteral("Macro %1 of box %2 could not be moved:\n%3\n\n"
                                                 "The stored macros are unchanged.")
                                      .arg(number)
                                      .arg(box)
                                      .arg(moved.error()),
            PromptIcon::Critical);
        return Result<std::optional<int>>::failure(moved.error());
    }
    return *moved ? std::optional<int>(other) : std::optional<int>();
}

bool MacroActions::copyDeleted(int level)
{
    return m_clipboard.replaceText(m_store.deletedMacro(level));
}

void MacroActions::clearDeleted(int level)
{
    m_store.setDeletedMacro(level, QString());
}
