#pragma once

#include <QString>

// The system clipboard, plain text only. Another program can hold the clipboard, so every
// operation can fail; callers ignore a failure and carry on.
class Clipboard
{
public:
    virtual ~Clipboard() = default;

    virtual bool ClipboardClear() = 0;
    virtual bool ClipboardSetText(const QString& text) = 0;
    // The clipboard's text, or "" when it holds no text.
    virtual QString ClipboardGetText() = 0;

    // Every command that puts text on the clipboard clears it first, so that no other format
    // of an earlier content stays behind.
    bool replaceText(const QString& text) { return ClipboardClear() && ClipboardSetText(text); }
};
