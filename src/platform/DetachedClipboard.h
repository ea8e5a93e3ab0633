#pragma once

#include "core/Clipboard.h"

#include <QString>

// The clipboard of a program that ends right after it copies (trellinctl). On X11 a text stays on
// the clipboard only while some process answers for it, so setText hands the text to a process
// of its own that serves it until another program takes the clipboard. setText returns once that
// process owns the clipboard (or has failed to). The clipboard is write-only here: text() is
// always empty, and clear() has nothing to do, as the new content replaces every format of the
// old one at once.
class DetachedClipboard : public Clipboard
{
public:
    bool clear() override { return true; }
    QString text() override { return QString(); }
    // Why the last setText failed, for the message.
    virtual QString failure() const = 0;
};
