#pragma once

#include "platform/Clipboard.h"

// A clipboard in memory that can be made to fail like one another program holds.
class FakeClipboard : public Clipboard
{
public:
    bool ClipboardClear() override
    {
        ++clears;
        if (failing)
            return false;
        text.clear();
        return true;
    }
    bool ClipboardSetText(const QString& newText) override
    {
        if (failing)
            return false;
        text = newText;
        return true;
    }
    QString ClipboardGetText() override { return failing ? QString() : text; }

    QString text;
    bool failing = false;
    int clears = 0;
};
