#pragma once

#include <QString>

#include <optional>

// The questions the program's logic asks the user. The window answers them with its dialogs
// and message boxes; tests and trellinctl answer them without any window.

enum class PromptIcon
{
    None,
    Question,
    Exclamation,
    Information,
    Critical
};

// One request to the overwrite confirmation dialog.
struct OverwriteRequest
{
    QString caption; // "Overwrite text", "Delete text", ...
    QString question; // "Overwrite position 07", "Clear position 07?", ...
    QString storedText;
    QString newText; // shown only for a replacement
    bool deletion = false; // the shortened dialog without the new text
};

struct OverwriteAnswer
{
    bool yes = false;
    // "Don't ask me about overwriting / deleting in future" was ticked (whatever the answer).
    bool dontAskAgain = false;
};

// One request to the edit dialog.
struct EditRequest
{
    QString caption; // "Moxeno Trellin - edit text" or "Moxeno Trellin - edit macro"
    QString text;
    bool macro = false; // shows the name and position fields and the tips
    QString macroName;
    int macroNumber = 0;
};

struct EditResult
{
    bool saved = false;
    QString text;
    QString macroName;
};

class Prompter
{
public:
    virtual ~Prompter() = default;

    virtual OverwriteAnswer confirmOverwrite(const OverwriteRequest& request) = 0;
    // A message box with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text, PromptIcon icon) = 0;
    // A message box with an OK button.
    virtual void tell(const QString& text, PromptIcon icon) = 0;
    // An input box; nothing when cancelled.
    virtual std::optional<QString> askText(
        const QString& title, const QString& prompt, const QString& defaultAnswer)
        = 0;
    virtual EditResult editText(const EditRequest& request) = 0;
};
