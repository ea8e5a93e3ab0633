#pragma once

#include <QColor>
#include <QPushButton>

// One of the 99 position buttons. It reports presses and releases of every mouse button with
// the modifiers held; what they do is decided by the frame that holds the buttons. It paints
// itself flat in the button colour, darker while pressed, with a thin border that is black
// while it has the focus.
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

private:
    int m_position;
    QColor m_colour;
};
