#include "ScriptedPrompter.h"

#include <QtTest>

template<typename T>
T ScriptedPrompter::next(const QString& what)
{
    asked.append(what);
    if (m_script.isEmpty() || !std::holds_alternative<T>(m_script.first())) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + what), __FILE__, __LINE__);
        return T {};
    }
    return std::get<T>(m_script.takeFirst());
}

void ScriptedPrompter::reset()
{
    m_script.clear();
    asked.clear();
    overwriteRequests.clear();
    editRequests.clear();
    icons.clear();
}

OverwriteAnswer ScriptedPrompter::confirmOverwrite(const OverwriteRequest& request)
{
    overwriteRequests.append(request);
    return next<OverwriteAnswer>(request.question);
}

bool ScriptedPrompter::askYesNo(const QString& text, PromptIcon icon)
{
    icons.append(icon);
    return next<YesNo>(text).yes;
}

void ScriptedPrompter::tell(const QString& text, PromptIcon icon)
{
    icons.append(icon);
    next<Told>(text);
}

std::optional<QString> ScriptedPrompter::askText(const QString& title, const QString& prompt,
                                                 const QString& defaultAnswer)
{
    return next<Text>(title + u'|' + prompt + u'|' + defaultAnswer).answer;
}

EditResult ScriptedPrompter::editText(const EditRequest& request)
{
    editRequests.append(request);
    return next<EditResult>(request.caption);
}
