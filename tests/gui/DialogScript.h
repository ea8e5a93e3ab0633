#pragma once

#include "gui/widgets/ModalHook.h"

#include <QDialog>
#include <QList>
#include <QStringList>

// Answers the real modal dialogs the program opens, in the order a test expects them. A
// dialog nobody expected fails the running test and is closed (read as No or cancel), so a
// test never hangs on a modal window.
class DialogScript
{
public:
    using Answer = std::function<void(QDialog& dialog)>;

    DialogScript()
    {
        ModalHook::setHandler([this](QDialog& dialog) { opened(dialog); });
    }
    ~DialogScript() { ModalHook::setHandler({}); }

    void expect(Answer answer) { m_answers.append(std::move(answer)); }
    bool usedUp() const { return m_answers.isEmpty(); }
    // Window title + "|" + main text of every dialog seen, in order.
    QStringList seen;

    // Common answers.
    static Answer clickLabel(const QString& name, Qt::MouseButton button = Qt::LeftButton);
    static Answer messageButton(int standardButton);
    static Answer inputText(const QString& text); // empty text = cancel

private:
    static QString describe(QDialog& dialog);
    void opened(QDialog& dialog);
    QList<Answer> m_answers;
};
