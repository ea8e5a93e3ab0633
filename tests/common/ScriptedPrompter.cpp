#include "ScriptedPrompter.h"

#include <QtTest>

template<typename T> T ScriptedPrompter::next(const QString& what)
{
    asked.append(what);
    if (m_script.isEmpty() || !std::holds_alternative<T>(m_script.first())) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + what), __FILE__, __LINE__);
        return T {};
    }
    return std::get<T>(m_script.takeFirst());
}

OverwriteAnswer ScriptedPrompter::confirmOverwrite(const OverwriteRequest& request)
{
    return next<OverwriteAnswer>(request.question);
}

bool ScriptedPrompter::askYesNo(const QString& text, PromptIcon icon)
{
    icons.append(icon);
    return next<bool>(text);
}

void ScriptedPrompter::tell(const QString& text, PromptIcon icon)
{
    icons.append(icon);
    next<std::monostate>(text);
}

std::optional<QString> ScriptedPrompter::askText(
    const QString& title, const QString& prompt, const QString& defaultAnswer)
{
    return next<std::optional<QString>>(title + u'|' + prompt + u'|' + defaultAnswer);
}

EditResult ScriptedPrompter::editText(const EditRequest& request)
{
    asked.append(request.caption);
    QTest::qFail(qPrintable(QStringLiteral("unexpected edit: ") + request.caption), __FILE__, __LINE__);
    return {};
}
