#include "gui/boxes/PositionButton.h"

#include <QMouseEvent>
#include <QPainter>

PositionButton::PositionButton(int position, QWidget* parent)
    : QPushButton(parent)
    , m_position(position)
{
    setObjectName(QStringLiteral("CommandClipText%1").arg(position));
    setMouseTracking(true);
}

void PositionButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        QPushButton::mousePressEvent(event);
    event->accept();
    emit pressedWith(m_position, event->button(), event->modifiers());
}

void PositionButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        QPushButton::mouseReleaseEvent(event);
    event->accept();
    emit releasedWith(m_position, event->button(), event->modifiers(), event->globalPosition());
}

void PositionButton::setColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

void PositionButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), isDown() ? m_colour.darker(125) : m_colour);
    painter.setPen(hasFocus() ? QColor(Qt::black) : QColor(0x6d, 0x6d, 0x8f));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    painter.drawText(rect(), Qt::AlignCenter, text());
}
