#pragma once

#include <QColor>
#include <QPushButton>

// One of the 99 position buttons. It reports presses and releases of every mouse button with
// the modifiers held; what they do is decided by the frame that holds the buttons. It paints
// itself flat in the button colour, darker while pressed, with a thin border that is black
// while it has the focus. The keyboard reports the same releases: Enter or Space (and a screen
// reader's press) as the left button, the menu key (or Shift+F10) as the right one, with the
// modifiers held; Left and Right move the focus to the neighbouring position, Home and End to
// the first and the last.
class PositionButton : public QPushButton
{
    Q_OBJECT
public:
    PositionButton(int position, QWidget* parent = nullptr);

    int position() const { return m_position; }
    void setColour(const QColor& colour);

signals:
    void pressedWith(int position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void releasedWith(
        int position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A release that came from the keyboard, reported at the button's centre.
    void keyReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    int m_position;
    QColor m_colour;
    // The click of a mouse release is reported by the release itself, not by clicked().
    bool m_mouseRelease = false;
};
