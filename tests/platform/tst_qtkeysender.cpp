#include "GuiTestMain.h"
#include "macros/TypeNotation.h"
#include "platform/qt/QtKeySender.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

// A field that writes down every key event: "down Shift+End", "up End", and its text in quotes.
class KeyRecorder : public QLineEdit
{
public:
    QStringList events;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            events.append((event->type() == QEvent::KeyPress ? "down " : "up ")
                + QKeySequence(key->keyCombination()).toString(QKeySequence::PortableText)
                + (key->text().isEmpty() ? QString() : QStringLiteral(" '%1'").arg(key->text())));
        }
        return QLineEdit::event(event);
    }
};

} // namespace

class TestQtKeySender : public QObject
{
    Q_OBJECT
    std::unique_ptr<KeyRecorder> m_field;
    QtKeySender m_sender;

private slots:
    void init()
    {
        m_field = std::make_unique<KeyRecorder>();
        m_field->show();
        m_field->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_field.get()));
        QVERIFY(QApplication::focusWidget() == m_field.get());
    }

    // The notation is read whole before any key is typed.
    void keyEvents()
    {
        QCOMPARE(typeNotation(m_sender, QStringLiteral("ab{TAB"), true).error(),
            QStringLiteral("cannot read the keystroke text, character 3: '{' is never closed by '}'"));
        QVERIFY(m_field->events.isEmpty());
        QVERIFY(typeNotation(m_sender, QStringLiteral("+a^c{ADD}ł"), true).ok());
        QCOMPARE(m_field->events.join(u", "),
            QStringLiteral(
                "down Shift+Shift, down Shift+A 'A', up Shift+A 'A', up Shift, down Ctrl+Control, "
                "down Ctrl+C, up Ctrl+C, up Control, down Num++ '+', up Num++ '+', down Ł 'ł', up Ł 'ł'"));
    }

    void editsTheFocusedField()
    {
        m_field->setText(QStringLiteral("hello"));
        m_field->setCursorPosition(2);
        // "h|llo", "h|lo", "hlo|", "h|lo", "h>|lo", then Shift+End selects "lo".
        QVERIFY(typeNotation(m_sender, QStringLiteral("{BS}{DEL}{END}{LEFT 2}>+{END}"), true).ok());
        QCOMPARE(m_field->text(), QStringLiteral("h>lo"));
        QCOMPARE(m_field->selectedText(), QStringLiteral("lo"));

        // Without wait the keys are posted and arrive with the event loop.
        QVERIFY(typeNotation(m_sender, QStringLiteral("ok"), false).ok());
        QCOMPARE(m_field->text(), QStringLiteral("h>lo"));
        QTRY_COMPARE(m_field->text(), QStringLiteral("h>ok"));
    }

    void noFocusedWindow()
    {
        m_field.reset();
        QTRY_VERIFY(!QApplication::activeWindow());
        QCOMPARE(typeNotation(m_sender, QStringLiteral("{F1}"), false).error(),
            QStringLiteral("cannot type keys: no window of the program has the keyboard focus"));
        QVERIFY(typeNotation(m_sender, QString(), false).ok()); // nothing to type needs no window
    }
};

TRELLIN_GUI_TEST_MAIN(TestQtKeySender)
#include "tst_qtkeysender.moc"
