#pragma once

#include <QString>

// The system clipboard, plain text only. Another program can hold the clipboard, so every
// operation can fail; callers ignore a failure and carry on.
class Clipboard
{
public:
    virtual ~Clipboard() = default;

    virtual bool clear() = 0;
    // Puts the text on the clipboard exactly as given.
    virtual bool setText(const QString& text) = 0;
    // The clipboard's text, or "" when it holds no text.
    virtual QString text() = 0;

    // How every command puts a text on the clipboard: cleared first, so that no other format
    // of an earlier content stays behind, and with LF line breaks, as the programs on this
    // platform expect (stored texts keep their CR LF).
    bool replaceText(const QString& text);
};
