#include "gui/dialogs/GuiPrompter.h"

#include "gui/dialogs/EditDialog.h"
#include "gui/dialogs/OverwriteDialog.h"
#include "gui/widgets/MessageBox.h"

#include <QInputDialog>

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

GuiPrompter::GuiPrompter(Settings& settings, Clipboard& clipboard)
    : m_settings(settings)
    , m_clipboard(clipboard)
{ }

OverwriteAnswer GuiPrompter::confirmOverwrite(const OverwriteRequest& request)
{
    OverwriteDialog dialog(m_settings, m_parent);
    return dialog.ask(request);
}

bool GuiPrompter::askYesNo(const QString& text, PromptIcon icon)
{
    return showMessageBox(m_parent, boxIcon(icon), title(), text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void GuiPrompter::tell(const QString& text, PromptIcon icon)
{
    showMessageBox(m_parent, boxIcon(icon), title(), text);
}

std::optional<QString> GuiPrompter::askText(
    const QString& title, const QString& prompt, const QString& defaultAnswer)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultAnswer);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

EditResult GuiPrompter::editText(const EditRequest& request)
{
    EditDialog dialog(m_settings, m_clipboard, m_sendKeys, m_parent);
    return dialog.edit(request);
}
