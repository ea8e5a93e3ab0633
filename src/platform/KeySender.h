#pragma once

#include "core/Result.h"
#include "macros/KeyAction.h"

#include <QList>
#include <QString>

// Types text in the keystroke notation into the window that has the keyboard focus.
// Every backend reads the notation the same way; a text it cannot read types nothing.
class KeySender
{
public:
    using Result = ::Result<>;

    virtual ~KeySender() = default;

    // With wait, returns only after the keys have reached the receiving window; without,
    // returns as soon as they are on their way. Never throws. Reads the notation and hands
    // the actions to sendActions(); a text it cannot read is the failure.
    virtual Result sendKeys(const QString& notation, bool wait);

    // Types already parsed actions. The list holds as many modifier ups as downs.
    virtual Result sendActions(const QList<KeyAction>& actions, bool wait) = 0;
};
