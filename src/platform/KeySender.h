#pragma once

#include "core/KeyAction.h"
#include "core/Result.h"

#include <QList>
#include <QString>

// Types key actions into the window that has the keyboard focus. The keystroke notation is
// read into actions by the macros layer (typeNotation), so every backend types the same list.
class KeySender
{
public:
    using Result = ::Result<>;

    virtual ~KeySender() = default;

    // With wait, returns only after the keys have reached the receiving window; without,
    // returns as soon as they are on their way. Never throws. The list holds as many modifier
    // ups as downs.
    virtual Result sendActions(const QList<KeyAction>& actions, bool wait) = 0;
};
