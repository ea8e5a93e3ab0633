#pragma once

#include "core/Result.h"
#include "platform/InsertRules.h"

#include <QString>

// Pastes a text into the focused window: puts it on the clipboard, sends the paste keystroke
// of the method, and gives the clipboard its previous content back once the window has read it.
class PasteSender
{
public:
    virtual ~PasteSender() = default;

    // method is one of the paste methods. Returns once the window has read the text; fails,
    // with the previous clipboard content back in place, when it did not read it in time.
    virtual Result<> pasteText(const QString& text, InsertMethod method) = 0;
};
