#pragma once

#include "boxes/BoxManager.h"

#include <QFrame>

class Clipboard;
class ClipboardViewer;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// The viewer: a title and a read-only text showing whatever the mouse last pointed at, the
// clipboard commands beside the title, and the commands on the box on show in the row above.
// The box commands are announced for the main window, which knows the box.
class ViewerFrame : public QFrame
{
    Q_OBJECT
public:
    ViewerFrame(BoxManager& boxes, Clipboard& clipboard, QWidget* parent = nullptr);

    void display(const QString& title, const QString& text);
    void setText(const QString& text);
    void clearText();
    QString title() const;
    QString text() const { return m_text; }

    // The caption of the box on show, for the hints of the box commands.
    void setBoxCaption(const QString& caption) { m_boxCaption = caption; }
    // Shows "Undo clear" while the box on show has a backup.
    void setUndoClearShown(bool shown);

signals:
    void statusText(const QString& text);
    void titleChanged(const QString& title);
    void clearBoxRequested();
    void undoClearRequested();
    void moveBoxRequested(BoxManager::Direction direction);
    void renameBoxRequested();
    void searchAllRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildBoxCommands();
    void buildClipboardCommands();
    void clipboardHint(const QString& status);
    void clearClipboard();
    void editClipboard();

    BoxManager& m_boxes;
    Clipboard& m_clipboard;
    QString m_text;
    QString m_boxCaption;
    ClipboardViewer* m_clipboardViewer = nullptr;
    QLineEdit* m_title;
    QPlainTextEdit* m_view;
    QLabel* m_undoClear = nullptr;
    QList<QLabel*> m_boxRow; // the box commands, fitted into the first row
    int m_rowPixelSize = 0;
};
