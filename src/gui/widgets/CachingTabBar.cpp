#include "gui/widgets/CachingTabBar.h"

#include <QEvent>

CachingTabBar::Hints& CachingTabBar::hints(int index) const
{
    // QTabBar asks for a new tab's hints before it reports the tab as inserted. A tab that
    // moved, or one renamed, no longer matches the caption its entry was measured for.
    if (m_hints.size() < count())
        m_hints.resize(count());
    Hints& hints = m_hints[index];
    if (const QString caption = tabText(index); hints.caption != caption)
        hints = {caption, {}, {}};
    return hints;
}

QSize CachingTabBar::tabSizeHint(int index) const
{
    QSize& size = hints(index).size;
    if (!size.isValid())
        size = QTabBar::tabSizeHint(index);
    return size;
}

QSize CachingTabBar::minimumTabSizeHint(int index) const
{
    QSize& minimum = hints(index).minimum;
    if (!minimum.isValid())
        minimum = QTabBar::minimumTabSizeHint(index);
    return minimum;
}

void CachingTabBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_hints.clear();
    QTabBar::changeEvent(event);
}
