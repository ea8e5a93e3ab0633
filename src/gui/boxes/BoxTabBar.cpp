#include "gui/boxes/BoxTabBar.h"

#include <QEvent>

QSize BoxTabBar::tabSizeHint(int index) const
{
    QSize& size = m_hints[tabText(index)].size;
    if (!size.isValid())
        size = QTabBar::tabSizeHint(index);
    return size;
}

QSize BoxTabBar::minimumTabSizeHint(int index) const
{
    QSize& minimum = m_hints[tabText(index)].minimum;
    if (!minimum.isValid())
        minimum = QTabBar::minimumTabSizeHint(index);
    return minimum;
}

void BoxTabBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_hints.clear();
    QTabBar::changeEvent(event);
}
