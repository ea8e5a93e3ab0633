#include "gui/widgets/CommandLabel.h"

#include <QMouseEvent>

CommandLabel::CommandLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

CommandLabel::CommandLabel(const QString& name, const QString& text, QWidget* parent, const QRect& geometry)
    : CommandLabel(text, parent)
{
    setObjectName(name);
    setGeometry(geometry);
}

CommandLabel* CommandLabel::button(
    const QString& name, const QString& text, QWidget* parent, const QRect& geometry)
{
    auto* label = new CommandLabel(name, text, parent, geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Raised);
    return label;
}

void CommandLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button();
    event->accept();
}

void CommandLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool inside = rect().contains(event->position().toPoint());
    const bool leftClick = event->button() == Qt::LeftButton && m_pressed == Qt::LeftButton && inside;
    m_pressed = Qt::NoButton;
    // The release is reported wherever it happens, as the mouse-up of a label is; a click
    // needs press and release on the label.
    emit released(event->button(), event->modifiers());
    if (leftClick)
        emit clicked();
}
