#pragma once

#include <QGroupBox>

class BoxManager;
class BoxStore;
class Clipboard;
class PositionActions;
class PositionButtonsFrame;

// The "Text" frame of the box on show: its 99 position buttons, the two deleted-text undo
// entries and the text search. It tells the main window what to show in the status line and
// the viewer.
class ClipboardTextFrame : public QGroupBox
{
    Q_OBJECT
public:
    ClipboardTextFrame(BoxStore& store, BoxManager& boxes, PositionActions& actions, Clipboard& clipboard,
        QWidget* parent = nullptr);

    PositionButtonsFrame* positionButtons() const { return m_buttons; }

signals:
    void statusText(const QString& text);
    void viewerShows(const QString& title, const QString& text);
    void viewerTextShows(const QString& text);
    void searchTextRequested();

private:
    void undoHint(int level);

    BoxStore& m_store;
    BoxManager& m_boxes;
    PositionButtonsFrame* m_buttons;
};
