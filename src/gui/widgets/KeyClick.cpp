#include "gui/widgets/KeyClick.h"

#include <QKeyEvent>

std::optional<KeyClick> KeyClick::of(const QKeyEvent& event, bool spaceClicks)
{
    const Qt::KeyboardModifiers held = event.modifiers() & ~Qt::KeypadModifier;
    switch (event.key()) {
    case Qt::Key_Space:
        if (!spaceClicks)
            return std::nullopt;
        [[fallthrough]];
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyClick {event.isAutoRepeat() ? Qt::NoButton : Qt::LeftButton, held};
    case Qt::Key_Menu:
        return KeyClick {Qt::RightButton, held};
    case Qt::Key_F10:
        if (held & Qt::ShiftModifier)
            return KeyClick {Qt::RightButton, held & ~Qt::ShiftModifier};
        return std::nullopt;
    default:
        return std::nullopt;
    }
}
