#include "gui/widgets/GroupFrameStyle.h"

#include <QGroupBox>
#include <QPainter>
#include <QStyleOption>

GroupFrameStyle::GroupFrameStyle()
    : m_fusion(baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0)
{ }

void GroupFrameStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    if (element != PE_FrameGroupBox || !m_fusion) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion leaves room for the title (or only its margin of 3 pixels when there is none).
    constexpr int kTitleMargin = 3;
    const auto* box = qobject_cast<const QGroupBox*>(widget);
    const int top = box && !box->isCheckable() && box->title().isEmpty()
        ? kTitleMargin
        : qMax(pixelMetric(PM_ExclusiveIndicatorHeight), option->fontMetrics.height()) + kTitleMargin;
    const QRect frame = option->rect.adjusted(0, top, -1, -1);
    // Straight lines and corner points without antialiasing: an antialiased outline of a box this
    // size goes through the path rasterizer, which also starts the thread pool.
    const int l = frame.left(), t = frame.top(), r = frame.right(), b = frame.bottom();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    // Fusion's grey at a fifth of its strength over the window, mixed here: a translucent pen
    // blends every row of a vertical line on its own and hands that work to the thread pool.
    const QColor ground = option->palette.window().color();
    const auto mix = [](int under, int over) { return (under * 4 + over) / 5; };
    painter->setPen(QColor(mix(ground.red(), 0x75), mix(ground.green(), 0x75), mix(ground.blue(), 0x75)));
    const QLine edges[]
        = {{l + 2, t, r - 2, t}, {l + 2, b, r - 2, b}, {l, t + 2, l, b - 2}, {r, t + 2, r, b - 2}};
    painter->drawLines(edges, 4);
    const QPoint corners[] = {{l + 1, t + 1}, {r - 1, t + 1}, {l + 1, b - 1}, {r - 1, b - 1}};
    painter->drawPoints(corners, 4);
    painter->restore();
}
