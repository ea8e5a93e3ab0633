#pragma once

#include <QWidget>

class Clipboard;
class QPlainTextEdit;
class QPushButton;

// A small window that shows the clipboard's text and lets the user change it and put it back.
class ClipboardViewer : public QWidget
{
    Q_OBJECT
public:
    explicit ClipboardViewer(Clipboard& clipboard, QWidget* parent = nullptr);

    // Shows the window with the clipboard's current text.
    void open();
    void reload();
    void putBack();

private:
    Clipboard& m_clipboard;
    QPlainTextEdit* m_text;
    QPushButton* m_reload;
    QPushButton* m_putBack;
    QPushButton* m_close;
};
