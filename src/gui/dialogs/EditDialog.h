#pragma once

#include "core/Prompter.h"

#include <QDialog>

#include <functional>

class Clipboard;
class CommandLabel;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class Settings;

// The modal dialog in which the user edits a position's text or a macro's body and name. It
// stores nothing itself; any way of closing it other than Save is a cancel.
class EditDialog : public QDialog
{
    Q_OBJECT
public:
    // Sends keys to the program's own focused widget ("{F1}" opens the help).
    using SendKeys = std::function<void(const QString& keys)>;

    EditDialog(Settings& settings, Clipboard& clipboard, SendKeys sendKeys, QWidget* parent = nullptr);

    // Shows the request modally and returns what the user saved; the dialog then stores its
    // position.
    EditResult edit(const EditRequest& request);

    void prepare(const EditRequest& request);
    bool saved() const { return m_saved; }
    EditResult result() const;

    static QString tipsText();

private:
    void save();
    void cancel();
    void paste();
    void copySelection();
    void clearAll();
    void toggleSelectAll();
    void tipsReleased(Qt::MouseButton button);
    void storePosition();

    Settings& m_settings;
    Clipboard& m_clipboard;
    SendKeys m_sendKeys;
    bool m_saved = false;
    QString m_initialText;
    int m_macroNumber = 0;

    QPlainTextEdit* m_text;
    QFrame* m_macroFields;
    QLabel* m_nameLabel;
    QLineEdit* m_macroName;
    QLabel* m_positionLabel;
    QLineEdit* m_macroPosition;
    CommandLabel* m_tips;
    CommandLabel* m_paste;
    CommandLabel* m_copySelection;
    CommandLabel* m_clearAll;
    CommandLabel* m_selectAll;
    CommandLabel* m_cancel;
    CommandLabel* m_save;
};
