#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QWidget;

// The hover hints of a frame: a mouse move over a registered widget runs its hint (usually a
// text for the status line). Only real mouse moves count: the enter event Qt sends when a
// dialog closes over a control must not replace "Editing ..." and the like. The keyboard
// focus arriving by Tab or an access key runs the hint too, so the keyboard shows what the
// mouse shows.
class HintFilter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The move is not passed on to the parent, whose own hint would replace this one; a
    // window's own hint is registered with passOn, as nothing above it has one.
    void add(QWidget* widget, std::function<void()> hint, bool passOn = false);
    // The focus came by Tab, Shift+Tab or an access key: what counts as the keyboard's hover.
    static bool byKeyboard(const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Hint
    {
        std::function<void()> action;
        bool passOn;
    };
    QHash<QObject*, Hint> m_hints;
};
