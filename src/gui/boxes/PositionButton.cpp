#include "gui/boxes/PositionButton.h"

#include <QMouseEvent>

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
