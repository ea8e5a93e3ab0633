#pragma once

#include "core/Prompter.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class Clipboard;
class Settings;

// Answers the program's questions with its dialogs: OverwriteDialog, EditDialog, message boxes with
// the title "Moxeno Trellin" and the input box, all modal over the main window.
class GuiPrompter : public Prompter
{
public:
    using SendKeys = std::function<void(const QString& keys)>;

    GuiPrompter(Settings& settings, Clipboard& clipboard);

    // The main window exists only after the shared state that holds this prompter.
    void setParentWindow(QWidget* window) { m_parent = window; }
    void setSendKeys(SendKeys sendKeys) { m_sendKeys = std::move(sendKeys); }

    OverwriteAnswer confirmOverwrite(const OverwriteRequest& request) override;
    bool askYesNo(const QString& text, PromptIcon icon) override;
    void tell(const QString& text, PromptIcon icon) override;
    std::optional<QString> askText(
        const QString& title, const QString& prompt, const QString& defaultAnswer) override;
    EditResult editText(const EditRequest& request) override;

    static QString title() { return QStringLiteral("Moxeno Trellin"); }

private:
    Settings& m_settings;
    Clipboard& m_clipboard;
    SendKeys m_sendKeys;
    QPointer<QWidget> m_parent;
};
