#include "boxes/PositionActions.h"

#include "core/Clipboard.h"
#include "core/DataContext.h"
#include "core/Prompter.h"
#include "core/StatusLog.h"

PositionActions::PositionActions(DataContext& context, BoxStore& store, Clipboard& clipboard)
    : m_context(context)
    , m_store(store)
    , m_clipboard(clipboard)
{ }

PositionActions::Operation PositionActions::operationFor(
    Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (button == Qt::LeftButton)
        return Operation::Copy;
    if (button != Qt::RightButton)
        return Operation::None;
    const Qt::KeyboardModifiers relevant
        = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (relevant == Qt::NoModifier)
        return Operation::Paste;
    if (relevant == Qt::ShiftModifier)
        return Operation::Edit;
    if (relevant == Qt::ControlModifier)
        return Operation::Delete;
    if (relevant == Qt::AltModifier)
        return Operation::Cut;
    return Operation::None;
}

Result<SaveOutcome> PositionActions::save(const QString& text, int position, int box, bool force)
{
    Result<SaveOutcome> outcome = m_store.savePosition(text, position, box, force);
    if (!outcome)
        m_context.tellNotSaved(QStringLiteral("Box %1, position %2").arg(box).arg(position), outcome.error(),
            QStringLiteral("texts"));
    return outcome;
}

void PositionActions::refresh(int box)
{
    // Another box (a hit of the search) leaves the box on show as it is.
    if (box == m_store.loadedBox() || m_store.loadedBox() == 0)
        (void)m_store.loadBox(box);
}

Result<QString> PositionActions::read(int box, int position, const QString& action)
{
    Result<QString> text = m_store.readPosition(position, box);
    if (!text)
        m_context.prompter().tell(QStringLiteral("Box %1, position %2 cannot be %3:\n%4")
                                      .arg(box)
                                      .arg(position)
                                      .arg(action, text.error()),
            PromptIcon::Critical);
    return text;
}

bool PositionActions::copy(int box, int position)
{
    const Result<QString> text = m_store.readPosition(position, box);
    if (!text) {
        m_context.log().logStatus(
            QStringLiteral("Box %1, position %2 not copied: %3").arg(box).arg(position).arg(text.error()));
        return false;
    }
    if (text->isEmpty())
        return false;
    if (!m_clipboard.replaceText(*text))
        return false;
    if (!m_context.refillText().isEmpty())
        m_context.setRefillText(m_clipboard.text());
    m_context.log().logStatus(
        QStringLiteral("Box %1, position %2 copied to clipboard").arg(box).arg(position));
    return true;
}

std::optional<Result<SaveOutcome>> PositionActions::paste(int box, int position)
{
    const QString text = m_clipboard.text();
    if (text.isEmpty())
        return std::nullopt;
    return store(box, position, text);
}

Result<SaveOutcome> PositionActions::store(int box, int position, const QString& text)
{
    Result<SaveOutcome> outcome = save(text, position, box, false);
    refresh(box);
    return outcome;
}

Result<SaveOutcome> PositionActions::remove(int box, int position, bool force)
{
    Result<SaveOutcome> outcome = save(QString(), position, box, force);
    refresh(box);
    return outcome;
}

void PositionActions::cut(int box, int position)
{
    // Only a text that reached the clipboard is cleared, so a failed copy loses nothing.
    if (copy(box, position))
        (void)remove(box, position, true);
}

bool PositionActions::edit(int box, int position)
{
    const Result<QString> old = read(box, position, QStringLiteral("edited"));
    if (!old)
        return false;
    EditRequest request;
    request.caption = QStringLiteral("Moxeno Trellin - edit text");
    request.text = *old;
    for (;;) {
        const EditResult result = m_context.prompter().editText(request);
        if (!result.saved) {
            m_context.log().logStatus(QStringLiteral("Box %1, %2 not updated").arg(box).arg(position));
            return false;
        }
        if (result.text == *old) {
            if (!old->isEmpty())
                m_context.log().logStatus(
                    QStringLiteral("Box %1, %2 already saved in this location").arg(box).arg(position));
            return true;
        }
        const bool saved = save(result.text, position, box, true).ok();
        refresh(box);
        if (saved)
            return true;
        // The failure was told; the dialog opens again on what the user wrote, so that it is not
        // lost: saved again once the cause is mended, or copied out, or given up by Cancel.
        request.text = result.text;
    }
}

void PositionActions::move(int box, int source, int target)
{
    if (source == target)
        return;
    m_store.setLastSaveDone(false);
    const Result<QString> text = read(box, source, QStringLiteral("moved"));
    // A target that could not be written keeps the source as it is: clearing it would lose the text.
    if (text && save(*text, target, box, false))
        (void)save(QString(), source, box, m_store.lastSaveDone());
    refresh(box);
}
