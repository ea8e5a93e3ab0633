#include "gui/widgets/ScreenTwips.h"

#include "core/Twips.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

ScreenTwips::ScreenTwips(const QWidget* widget)
{
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        m_dpi = screen->logicalDotsPerInch();
        m_screenTwips = QSize(twips(screen->geometry().width()), twips(screen->geometry().height()));
        const QRect all = screen->virtualGeometry();
        m_screensTwips = QRect(twips(all.x()), twips(all.y()), twips(all.width()), twips(all.height()));
    }
}

int ScreenTwips::px(int twips) const
{
    return Twips::toPixels(twips, m_dpi);
}

int ScreenTwips::twips(int pixels) const
{
    return Twips::fromPixels(pixels, m_dpi);
}

QRect ScreenTwips::rect(int left, int top, int width, int height) const
{
    // Right and bottom edges are converted, not the size, so neighbours meet without gaps.
    const int x = px(left);
    const int y = px(top);
    return QRect(x, y, px(left + width) - x, px(top + height) - y);
}

QPoint ScreenTwips::point(int left, int top) const
{
    return QPoint(px(left), px(top));
}

QPoint ScreenTwips::toTwips(const QPoint& pixels) const
{
    return QPoint(twips(pixels.x()), twips(pixels.y()));
}

void ScreenTwips::keepBelowTitle(QGroupBox* box)
{
    QList<QWidget*> controls = box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    controls.removeIf([](const QWidget* control) { return control->isWindow(); });
    if (controls.isEmpty())
        return;
    const int top
        = (*std::min_element(controls.begin(), controls.end(), [](const QWidget* a, const QWidget* b) {
              return a->y() < b->y();
          }))->y();
    const int shift = box->contentsRect().top() - top;
    if (shift <= 0)
        return;
    for (QWidget* control : std::as_const(controls))
        control->move(control->pos() + QPoint(0, shift));
}
