#include "platform/ChoosingInserter.h"

#include "platform/PasteSender.h"

ChoosingInserter::ChoosingInserter(TextInserter& typing, PasteSender* paste, FocusedClass focusedClass)
    : m_typing(typing)
    , m_paste(paste)
    , m_focusedClass(std::move(focusedClass))
{ }

InsertMethod ChoosingInserter::methodFor(InsertChoice choice) const
{
    if (!m_paste || choice == InsertChoice::Type || (!m_rules && choice == InsertChoice::Rules))
        return InsertMethod::Type;
    const InsertRules rules = m_rules ? m_rules() : InsertRules();
    return rules.methodFor(m_focusedClass ? m_focusedClass() : QList<QByteArray>(), choice);
}

Result<> ChoosingInserter::insertText(const QString& text, InsertChoice choice)
{
    if (text.isEmpty())
        return Result<>::success();
    const InsertMethod method = methodFor(choice);
    if (method == InsertMethod::Type)
        return m_typing.insertText(text);
    return m_paste->pasteText(text, method);
}
