#pragma once

#include <Qt>

#include <optional>

class QKeyEvent;

// The mouse release a key stands for on a command: Enter (and Space, where the widget does not
// click on Space itself) is the left button, the menu key and Shift+F10 the right one, with
// the other modifiers held, so the keyboard reaches every left and right click.
struct KeyClick
{
    // Qt::NoButton for a key held down: eaten, so that holding Enter acts once.
    Qt::MouseButton button = Qt::NoButton;
    Qt::KeyboardModifiers modifiers;

    // Nothing for any other key.
    static std::optional<KeyClick> of(const QKeyEvent& event, bool spaceClicks);
};
