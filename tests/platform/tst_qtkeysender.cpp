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
                + (key->text().isEmpty() ? QString() : u" '%1'"_s.arg(key->text())));
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
        QCOMPARE(typeNotation(m_sender, u"ab{TAB"_s, true).error(),
            u"cannot read the keystroke text, character 3: '{' is never closed by '}'"_s);
        QVERIFY(m_field->events.isEmpty());
        QVERIFY(typeNotation(m_sender, u"+a^c{ADD}ł"_s, true).ok());
        QCOMPARE(m_field->events.join(u", "),
            QStringLiteral(
                "down Shift+Shift, down Shift+A 'A', up Shift+A 'A', up Shift, down Ctrl+Control, "
                "down Ctrl+C, up Ctrl+C, up Control, down Num++ '+', up Num++ '+', down Ł 'ł', up Ł 'ł'"));
    }

    void editsTheFocusedField()
    {
        m_field->setText(u"hello"_s);
        m_field->setCursorPosition(2);
        // "h|llo", "h|lo", "hlo|", "h|lo", "h>|lo", then Shift+End selects "lo".
        QVERIFY(typeNotation(m_sender, u"{BS}{DEL}{END}{LEFT 2}>+{END}"_s, true).ok());
        QCOMPARE(m_field->text(), u"h>lo"_s);
        QCOMPARE(m_field->selectedText(), u"lo"_s);

        // Without wait the keys are posted and arrive with the event loop.
        QVERIFY(typeNotation(m_sender, u"ok"_s, false).ok());
        QCOMPARE(m_field->text(), u"h>lo"_s);
        QTRY_COMPARE(m_field->text(), u"h>ok"_s);
    }

    void noFocusedWindow()
    {
        m_field.reset();
        QTRY_VERIFY(!QApplication::activeWindow());
        QCOMPARE(typeNotation(m_sender, u"{F1}"_s, false).error(),
            u"cannot type keys: no window of the program has the keyboard focus"_s);
        QVERIFY(typeNotation(m_sender, QString(), false).ok()); // nothing to type needs no window
    }
};

TRELLIN_GUI_TEST_MAIN(TestQtKeySender)
#include "tst_qtkeysender.moc"
