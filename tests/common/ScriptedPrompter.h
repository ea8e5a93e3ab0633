#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QStringList>

#include <variant>

// Answers the program's questions from a script that a test sets up beforehand. A question
// that the script does not expect fails the running test, so no dialog can slip by unseen.
class ScriptedPrompter : public Prompter
{
public:
    struct YesNo { bool yes; };
    struct Text { std::optional<QString> answer; };
    struct Told {};
    using Answer = std::variant<OverwriteAnswer, YesNo, Text, Told, EditResult>;

    void answerOverwrite(bool yes, bool dontAskAgain = false) { m_script.append(OverwriteAnswer { yes, dontAskAgain }); }
    void answerYesNo(bool yes) { m_script.append(YesNo { yes }); }
    void answerText(std::optional<QString> text) { m_script.append(Text { std::move(text) }); }
    void acknowledge() { m_script.append(Told {}); }
    void answerEdit(EditResult result) { m_script.append(result); }

    bool scriptUsedUp() const { return m_script.isEmpty(); }
    void reset();

    // Everything that was asked, in order: the overwrite question or the message text.
    QStringList asked;
    QList<OverwriteRequest> overwriteRequests;
    QList<EditRequest> editRequests;
    QList<PromptIcon> icons;

    OverwriteAnswer confirmOverwrite(const OverwriteRequest& request) override;
    bool askYesNo(const QString& text, PromptIcon icon) override;
    void tell(const QString& text, PromptIcon icon) override;
    std::optional<QString> askText(const QString& title, const QString& prompt, const QString& defaultAnswer) override;
    EditResult editText(const EditRequest& request) override;

private:
    template<typename T>
    T next(const QString& what);
    QList<Answer> m_script;
};
