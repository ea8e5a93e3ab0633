#pragma once

#include "platform/InsertRules.h"
#include "platform/TextInserter.h"

#include <QByteArray>
#include <QList>

#include <functional>

class PasteSender;

// The program's one TextInserter: types or pastes each text the way the rules choose for the
// window that has the focus, known by its WM_CLASS.
class ChoosingInserter final : public TextInserter
{
public:
    using Rules = std::function<InsertRules()>;
    using FocusedClass = std::function<QList<QByteArray>()>;

    // paste may be missing (no display): then every text is typed.
    ChoosingInserter(TextInserter& typing, PasteSender* paste, FocusedClass focusedClass);

    // Where the rules come from; until set, every text is typed.
    void setRules(Rules rules) { m_rules = std::move(rules); }

    Result<> insertText(const QString& text) override { return insertText(text, InsertChoice::Rules); }
    Result<> insertText(const QString& text, InsertChoice choice) override;

    // The method the next text would go in with; for the log and the tests.
    InsertMethod methodFor(InsertChoice choice) const;

private:
    TextInserter& m_typing;
    PasteSender* m_paste;
    FocusedClass m_focusedClass;
    Rules m_rules;
};
