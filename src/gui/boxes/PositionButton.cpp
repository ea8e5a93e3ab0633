#include "gui/boxes/PositionButton.h"

#include "gui/widgets/KeyClick.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

PositionButton::PositionButton(int position, QWidget* parent)
    : QPushButton(parent)
    , m_position(position)
{
    setObjectName(QStringLiteral("CommandClipText%1").arg(position));
    setMouseTracking(true);
    // Space and the accessible press click the button; a mouse click is reported on its own.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (!m_mouseRelease)
            keyReleased(Qt::LeftButton, QGuiApplication::keyboardModifiers());
    });
}

void PositionButton::keyReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    emit releasedWith(
        m_position, button, modifiers & ~Qt::KeypadModifier, mapToGlobal(rect().center()).toPointF());
}

void PositionButton::keyPressEvent(QKeyEvent* event)
{
    // Space clicks the button itself.
    if (const std::optional<KeyClick> click = KeyClick::of(*event, false)) {
        if (click->button != Qt::NoButton)
            keyReleased(click->button, click->modifiers);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End: {
        const int next = event->key() == Qt::Key_Home ? 1
            : event->key() == Qt::Key_End             ? 99
            : event->key() == Qt::Key_Left            ? m_position - 1
                                                      : m_position + 1;
        if (auto* button
            = parentWidget()->findChild<PositionButton*>(QStringLiteral("CommandClipText%1").arg(next)))
            button->setFocus(Qt::TabFocusReason);
        return;
    }
    default:
        break;
    }
    QPushButton::keyPressEvent(event);
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
    if (event->button() == Qt::LeftButton) {
        m_mouseRelease = true;
        QPushButton::mouseReleaseEvent(event);
        m_mouseRelease = false;
    }
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
