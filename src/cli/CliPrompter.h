#pragma once

#include "core/Prompter.h"

#include <QStringList>

// Answers the program's questions for trellinctl, which has no one to ask: the user's command
// line already said what to do. Replacing or deleting what is stored happens only when the
// command line said --force, and the "don't ask again" tick is never given, so no answer here
// changes a setting. A text over the length limit is refused rather than cut, so nothing is
// silently lost.
class CliPrompter : public Prompter
{
public:
    explicit CliPrompter(bool force)
        : m_force(force)
    { }

    OverwriteAnswer confirmOverwrite(const OverwriteRequest&) override { return {m_force, false}; }
    bool askYesNo(const QString& text, PromptIcon) override
    {
        refused.append(text);
        return false;
    }
    void tell(const QString& text, PromptIcon) override { refused.append(text); }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    EditResult editText(const EditRequest&) override { return {}; }

    // The questions answered with No, in order.
    QStringList refused;

private:
    bool m_force;
};
