#pragma once

#include "gui/widgets/CommandLabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QtTest>

// Answers the real dialogs the program opens, in the order a test expects them. It watches
// every widget's events for a dialog window being shown, so no form needs to report its
// dialogs. A dialog nobody expected fails the running test and is closed (read as No or
// cancel), so a test never hangs on a modal window; an expected one that never opened fails it
// when the script goes.
class DialogScript : public QObject
{
public:
    using Answer = std::function<void(QDialog& dialog)>;

    DialogScript() { qApp->installEventFilter(this); }
    ~DialogScript() override
    {
        qApp->removeEventFilter(this);
        QVERIFY2(m_answers.isEmpty(), "an expected dialog did not open");
    }

    void expect(Answer answer) { m_answers.append(std::move(answer)); }
    bool usedUp() const { return m_answers.isEmpty(); }
    // Window title + "|" + main text of every dialog seen, in order.
    QStringList seen;

    static Answer clickLabel(const QString& name, Qt::MouseButton button = Qt::LeftButton)
    {
        return [name, button](QDialog& dialog) {
            auto* label = dialog.findChild<CommandLabel*>(name);
            QVERIFY2(label, qPrintable(name));
            QTest::mouseClick(label, button);
        };
    }
    static Answer messageButton(int standardButton)
    {
        return [standardButton](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box && box->button(QMessageBox::StandardButton(standardButton)));
            box->button(QMessageBox::StandardButton(standardButton))->click();
        };
    }
    static Answer inputText(const QString& text)
    {
        return [text](QDialog& dialog) {
            auto* input = qobject_cast<QInputDialog*>(&dialog);
            QVERIFY(input);
            input->setTextValue(text);
            input->accept();
        };
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A window system's own show event, as after un-minimising, is no new dialog.
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() != QEvent::Show || event->spontaneous() || !dialog || !dialog->isWindow())
            return false;
        // Answered from the dialog's own event loop, right after it has started.
        QTimer::singleShot(0, this, [this, guarded = QPointer<QDialog>(dialog)] {
            if (guarded && guarded->isVisible())
                opened(*guarded);
        });
        return false;
    }

private:
    void opened(QDialog& dialog)
    {
        QString text;
        if (auto* box = qobject_cast<QMessageBox*>(&dialog))
            text = box->text();
        else if (auto* input = qobject_cast<QInputDialog*>(&dialog))
            text = input->labelText();
        else if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
                 label && label->isVisibleTo(&dialog))
            text = label->text();
        seen.append(dialog.windowTitle() + u'|' + text);
        if (m_answers.isEmpty()) {
            QTest::qFail(qPrintable("unexpected dialog: " + seen.last()), __FILE__, __LINE__);
            return dialog.reject();
        }
        m_answers.takeFirst()(dialog);
    }

    QList<Answer> m_answers;
};
