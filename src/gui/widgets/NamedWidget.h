#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <utility>

// A control with its control name as objectName, placed at a fixed rectangle of its parent:
// the way the forms build their labels, check boxes and fields.
namespace NamedWidget {

template<typename Widget, typename... Args>
Widget* make(const QString& name, QWidget* parent, const QRect& geometry, Args&&... args)
{
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

} // namespace NamedWidget
