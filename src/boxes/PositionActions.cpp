#include "boxes/PositionActions.h"

#include "app/AppState.h"
#include "app/Prompter.h"
#include "app/StatusLog.h"
#include "boxes/RecordFile.h"
#include "platform/Clipboard.h"

PositionActions::PositionActions(AppState& state, BoxStore& store, Clipboard& clipboard)
    : m_state(state)
    , m_store(store)
    , m_clipboard(clipboard)
{
}

PositionActions::Operation PositionActions::operationFor(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (button == Qt::LeftButton)
        return Operation::Copy;
    if (button != Qt::RightButton)
        return Operation::None;
    const Qt::KeyboardModifiers relevant = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
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

bool PositionActions::Copy(int position)
{
    const QString text = m_store.ReadPosition(position);
    if (text.isEmpty())
        return false;
    if (!m_clipboard.replaceText(text))
        return false;
    if (!m_state.refillText().isEmpty())
        m_state.setRefillText(m_clipboard.ClipboardGetText());
    m_state.log().LogStatus(
        QStringLiteral("Box %1, position %2 copied to clipboard").arg(m_state.currentBox()).arg(position));
    return true;
}

std::optional<SaveOutcome> PositionActions::Paste(int position)
{
    const QString text = m_clipboard.ClipboardGetText();
    if (text.isEmpty())
        return std::nullopt;
    const SaveOutcome outcome = m_store.SavePosition(text, position, m_state.currentBox(), false);
    m_store.LoadBox();
    return outcome;
}

SaveOutcome PositionActions::Delete(int position, bool force)
{
    const SaveOutcome outcome = m_store.SavePosition(QString(), position, m_state.currentBox(), force);
    m_store.LoadBox();
    return outcome;
}

void PositionActions::Cut(int position)
{
    // Only a text that reached the clipboard is cleared, so a failed copy loses nothing.
    if (Copy(position))
        Delete(position, true);
}

bool PositionActions::Edit(int position)
{
    const int box = m_state.currentBox();
    const QString old = RecordFile::ReadRecord(m_store.boxFile(box), position, QString());
    EditRequest request;
    request.caption = QStringLiteral("Moxeno Trellin - edit text");
    request.text = old;
    const EditResult result = m_state.prompter().editText(request);
    if (!result.saved) {
        m_state.log().LogStatus(QStringLiteral("Box %1, %2 not updated").arg(box).arg(position));
        return false;
    }
    if (result.text != old) {
        m_store.SavePosition(result.text, position, box, true);
        m_store.LoadBox();
    } else if (!old.isEmpty()) {
        m_state.log().LogStatus(QStringLiteral("Box %1, %2 already saved in this location").arg(box).arg(position));
    }
    return true;
}

void PositionActions::Move(int source, int target)
{
    if (source == target)
        return;
    const int box = m_state.currentBox();
    m_store.setLastSaveDone(false);
    const QString text = m_store.ReadPosition(source);
    // A target that could not be written keeps the source as it is: clearing it would lose the text.
    if (m_store.SavePosition(text, target, box, false) != SaveOutcome::Failed)
        m_store.SavePosition(QString(), source, box, m_store.lastSaveDone());
    m_store.LoadBox();
}
