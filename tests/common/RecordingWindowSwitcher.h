#pragma once

#include "platform/WindowSwitcher.h"

#include <QStringList>

// A window switcher that switches nothing and writes down each call by its name.
class RecordingWindowSwitcher : public WindowSwitcher
{
public:
    bool SwitchToLastWindow() override
    {
        calls.append(QStringLiteral("SwitchToLastWindow"));
        return succeeds;
    }
    bool SwitchPastProgressWindow() override
    {
        calls.append(QStringLiteral("SwitchPastProgressWindow"));
        return succeeds;
    }

    QStringList calls;
    bool succeeds = true;
};
