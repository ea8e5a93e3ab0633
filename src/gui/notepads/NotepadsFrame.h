#pragma once

#include <QGroupBox>

#include <memory>

class Clipboard;
class NotepadDialogs;
class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QStackedWidget;
class QTabBar;

// The "Notepads" frame: ten scratch texts behind a strip of tabs "1" to "10", the commands that
// act on the notepad whose tab is selected, and the find and replace bar. The texts live only
// while the program runs. Editors hold LF line breaks; a notepad's text as files and the find
// rules see it uses CR LF.
class NotepadsFrame : public QGroupBox
{
    Q_OBJECT
public:
    static constexpr int kCount = 10;

    NotepadsFrame(Clipboard& clipboard, QWidget* parent = nullptr);
    ~NotepadsFrame() override;

    // Replaces the system's file and print dialogs (for tests); the frame does not own them.
    void setDialogs(NotepadDialogs* dialogs);

    int selectedNotepad() const;
    void selectNotepad(int index);
    QPlainTextEdit* notepad(int index);
    // A notepad's text with CR LF line breaks.
    QString notepadText(int index) const;

    void open();
    void save();
    void print();
    void copyAll();
    void copySelection();
    void paste();
    void toggleSelectAll();
    void clear();
    void clearAll();
    void findNext();
    void replaceSelection();
    void replaceAll();

signals:
    void statusText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* current();
    QPlainTextEdit* editor(int index);
    void rememberFindReplace();
    void tell(const QString& text);
    QWidget* buildFindReplace();

    Clipboard& m_clipboard;
    std::unique_ptr<NotepadDialogs> m_systemDialogs;
    NotepadDialogs* m_dialogs;
    QTabBar* m_tabs;
    QStackedWidget* m_pages;
    QList<QPlainTextEdit*> m_notepads; // by index; null until the notepad is first used
    QComboBox* m_find;
    QComboBox* m_replace;
    QCheckBox* m_matchCase;
};
