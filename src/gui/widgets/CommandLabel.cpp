#include "gui/widgets/CommandLabel.h"

#include <QMouseEvent>
#include <QPalette>

CommandLabel::CommandLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    // Colours of their own rather than a style sheet: a style sheet restyles every widget of the
    // window it is set on, which made the main window's start several times slower.
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::WindowText, QColor(0x00, 0x00, 0x7f));
    colours.setColor(QPalette::Inactive, QPalette::WindowText, QColor(0x00, 0x00, 0x7f));
    colours.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0xa0, 0xa0, 0xa0));
    setPalette(colours);
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

void CommandLabel::enterEvent(QEnterEvent* event)
{
    underline(isEnabled());
    QLabel::enterEvent(event);
}

void CommandLabel::leaveEvent(QEvent* event)
{
    underline(false);
    QLabel::leaveEvent(event);
}

void CommandLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        underline(isEnabled() && underMouse());
    QLabel::changeEvent(event);
}

void CommandLabel::underline(bool on)
{
    if (font().underline() == on)
        return;
    QFont underlined = font();
    underlined.setUnderline(on);
    setFont(underlined);
}
