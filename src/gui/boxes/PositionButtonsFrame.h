#pragma once

#include <QColor>
#include <QFrame>

#include <array>

class BoxStore;
class Clipboard;
class PositionActions;
class PositionButton;

// The frame of the 99 position buttons of the box on show (the box store's loaded box). Turns
// mouse releases into copy, paste, delete, cut and edit, an Alt+left drag into a move, and
// hovering into hints; it tells the main window what to show in the status line and the viewer.
class PositionButtonsFrame : public QFrame
{
    Q_OBJECT
public:
    PositionButtonsFrame(
        BoxStore& store, PositionActions& actions, Clipboard& clipboard, QWidget* parent = nullptr);

    PositionButton* button(int position) const;
    // The button under a point on the screen, or none.
    PositionButton* buttonAt(const QPointF& globalPosition) const;
    bool dragging() const { return m_dragSource != 0; }

    void setButtonColour(const QColor& colour);
    QColor buttonColour() const { return m_colour; }

    // Left edges of the 15 columns and tops of the 7 rows, in twips.
    static int columnLeft(int column);
    static int rowTop(int row);
    // Row and column (0-based) of a position: row 1 holds 1-9, the others 15 each.
    static std::pair<int, int> cellOf(int position);

    // What a screen reader announces for a position: "Position 07, holds: " and the start of
    // its text, or "Position 07, empty". shortened, when given, tells whether an ellipsis
    // stands for the rest.
    static QString accessibleName(int position, QStringView text, bool* shortened = nullptr);

    static QString occupiedHint();
    static QString emptyHint();

signals:
    void statusText(const QString& text);
    void viewerShows(const QString& title, const QString& text);
    void viewerTextShows(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshCaptions();
    void pressed(int position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void released(
        int position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPointF& global);
    void mouseUp(int position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void drop(int source, int target);
    void hover(int position);

    BoxStore& m_store;
    PositionActions& m_actions;
    Clipboard& m_clipboard;
    std::array<PositionButton*, 100> m_buttons {}; // index = position; 0 unused
    QColor m_colour;
    int m_dragSource = 0;
};
