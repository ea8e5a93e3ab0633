#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QStringList>
#include <QtTest>

#include <functional>
#include <utility>
#include <variant>

// Answers the program's questions from a script that a test sets up beforehand. A question
// that the script does not expect fails the running test, so no dialog can slip by unseen.
class ScriptedPrompter : public Prompter
{
public:
    void answerOverwrite(bool yes, bool dontAsk = false) { m_script.append(OverwriteAnswer {yes, dontAsk}); }
    void answerYesNo(bool yes) { m_script.append(yes); }
    void answerText(std::optional<QString> text) { m_script.append(std::move(text)); }
    void acknowledge() { m_script.append(std::monostate {}); }
    void answerEdit(EditResult result) { m_script.append(std::move(result)); }
    bool scriptUsedUp() const { return m_script.isEmpty(); }

    // Everything that was asked, in order: the overwrite question, the message text, or the
    // input box's title|prompt|default answer; and the icon of each message box.
    QStringList asked;
    QList<PromptIcon> icons;
    // Every overwrite request in full.
    QList<OverwriteRequest> overwriteRequests;
    // Every edit request in full.
    QList<EditRequest> editRequests;

    // Runs while the next overwrite question is open (another program at work meanwhile).
    std::function<void()> whileAsking;

    OverwriteAnswer confirmOverwrite(const OverwriteRequest& r) override
    {
        overwriteRequests.append(r);
        if (whileAsking)
            std::exchange(whileAsking, {})();
        return next<OverwriteAnswer>(r.question);
    }
    bool askYesNo(const QString& text, PromptIcon icon) override
    {
        icons.append(icon);
        return next<bool>(text);
    }
    void tell(const QString& text, PromptIcon icon) override
    {
        icons.append(icon);
        next<std::monostate>(text);
    }
    std::optional<QString> askText(
        const QString& title, const QString& prompt, const QString& answer) override
    {
        return next<std::optional<QString>>(title + u'|' + prompt + u'|' + answer);
    }
    EditResult editText(const EditRequest& request) override
    {
        editRequests.append(request);
        return next<EditResult>(request.caption);
    }

private:
    template<typename T> T next(const QString& what)
    {
        asked.append(what);
        if (m_script.isEmpty() || !std::holds_alternative<T>(m_script.first())) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + what), __FILE__, __LINE__);
            return T {};
        }
        return std::get<T>(m_script.takeFirst());
    }
    // Answers to an overwrite question, a yes/no, an input box (nothing: cancel), a message and
    // the edit dialog.
    QList<std::variant<OverwriteAnswer, bool, std::optional<QString>, std::monostate, EditResult>> m_script;
};
