#include "gui/widgets/UpDownControl.h"

#include <QMouseEvent>
#include <QStyleOption>
#include <QStylePainter>

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
}

QRect UpDownControl::rectOf(Half half) const
{
    const int middle = height() / 2;
    return half == Half::Up ? QRect(0, 0, width(), middle) : QRect(0, middle, width(), height() - middle);
}

UpDownControl::Half UpDownControl::halfAt(const QPoint& point) const
{
    if (!rect().contains(point))
        return Half::None;
    return point.y() < height() / 2 ? Half::Up : Half::Down;
}

void UpDownControl::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    for (Half half : {Half::Up, Half::Down}) {
        QStyleOption option;
        option.initFrom(this);
        option.rect = rectOf(half);
        option.state |= m_pressed == half ? QStyle::State_Sunken : QStyle::State_Raised;
        painter.drawPrimitive(QStyle::PE_PanelButtonTool, option);
        option.rect = option.rect.adjusted(3, 2, -3, -2);
        painter.drawPrimitive(
            half == Half::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, option);
    }
}

void UpDownControl::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = halfAt(event->position().toPoint());
    update();
    if (m_pressed == Half::Up)
        emit upClicked();
    else if (m_pressed == Half::Down)
        emit downClicked();
}

void UpDownControl::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (m_pressed != Half::None) {
        m_pressed = Half::None;
        update();
    }
    if (event->button() == Qt::RightButton)
        emit rightReleased();
}
