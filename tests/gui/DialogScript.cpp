#include "DialogScript.h"

#include "gui/widgets/CommandLabel.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QtTest>

QString DialogScript::describe(QDialog& dialog)
{
    QString text;
    if (auto* box = qobject_cast<QMessageBox*>(&dialog))
        text = box->text();
    else if (auto* input = qobject_cast<QInputDialog*>(&dialog))
        text = input->labelText();
    else if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
             label && label->isVisibleTo(&dialog))
        text = label->text();
    return dialog.windowTitle() + u'|' + text;
}

void DialogScript::opened(QDialog& dialog)
{
    seen.append(describe(dialog));
    if (m_answers.isEmpty()) {
        QTest::qFail(
            qPrintable(QStringLiteral("unexpected dialog: ") + describe(dialog)), __FILE__, __LINE__);
        dialog.reject();
        return;
    }
    m_answers.takeFirst()(dialog);
}

DialogScript::Answer DialogScript::clickLabel(const QString& name, Qt::MouseButton button)
{
    return [name, button](QDialog& dialog) {
        auto* label = dialog.findChild<CommandLabel*>(name);
        QVERIFY2(label, qPrintable(name));
        QTest::mouseClick(label, button);
    };
}

DialogScript::Answer DialogScript::messageButton(int standardButton)
{
    return [standardButton](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        QAbstractButton* button = box ? box->button(QMessageBox::StandardButton(standardButton)) : nullptr;
        QVERIFY(button);
        button->click();
    };
}

DialogScript::Answer DialogScript::inputText(const QString& text)
{
    return [text](QDialog& dialog) {
        auto* input = qobject_cast<QInputDialog*>(&dialog);
        QVERIFY(input);
        input->setTextValue(text);
        text.isEmpty() ? input->reject() : input->accept();
    };
}
