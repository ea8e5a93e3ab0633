#include "gui/widgets/HintFilter.h"

#include <QMouseEvent>
#include <QWidget>

void HintFilter::add(QWidget* widget, std::function<void()> hint, bool passOn)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    m_hints.insert(widget, Hint {std::move(hint), passOn});
}

bool HintFilter::byKeyboard(const QEvent* event)
{
    if (event->type() != QEvent::FocusIn)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
        || reason == Qt::ShortcutFocusReason;
}

bool HintFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (byKeyboard(event)) {
        if (const auto found = m_hints.constFind(watched); found != m_hints.constEnd())
            std::function<void()>(found->action)();
        return false;
    }
    if (event->type() != QEvent::MouseMove)
        return false;
    const auto found = m_hints.constFind(watched);
    if (found == m_hints.constEnd())
        return false;
    // A copy: the hint may change the table.
    const Hint hint = found.value();
    hint.action();
    return !hint.passOn && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
}
