#include "gui/widgets/DialogPlacement.h"

#include "gui/widgets/ScreenTwips.h"

#include <QWidget>

DialogPlacement::DialogPlacement(Settings& settings, Settings::Key left, Settings::Key top, QPoint tooFar)
    : m_settings(settings)
    , m_left(left)
    , m_top(top)
    , m_tooFar(tooFar)
{ }

QPoint DialogPlacement::restoredEdges(const QWidget& window) const
{
    const QRect screens = ScreenTwips(&window).screensRect();
    return QPoint(m_settings.edge(m_left, screens.left(), screens.left() + screens.width(), m_tooFar.x()),
        m_settings.edge(m_top, screens.top(), screens.top() + screens.height(), m_tooFar.y()));
}

void DialogPlacement::restore(QWidget& window) const
{
    const QPoint edges = restoredEdges(window);
    window.move(ScreenTwips(&window).point(edges.x(), edges.y()));
}

Result<> DialogPlacement::store(const QWidget& window)
{
    const QPoint edges = ScreenTwips(&window).toTwips(window.pos());
    if (window.isMinimized() || edges.x() <= 0 || edges.y() <= 0)
        return Result<>::success();
    if (Result<> left = m_settings.setNumber(m_left, edges.x()); !left)
        return left;
    return m_settings.setNumber(m_top, edges.y());
}
