#include "GuiTestMain.h"
#include "platform/qt/QtKeySender.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Writes down every key event it gets: "down Shift+End" for a press of End with Shift held,
// "up End" for a release without, and the event's text in quotes when there is one.
class KeyRecorder : public QWidget
{
public:
    KeyRecorder() { setFocusPolicy(Qt::StrongFocus); }
    QStringList events;

protected:
    void keyPressEvent(QKeyEvent* event) override { record("down ", event); }
    void keyReleaseEvent(QKeyEvent* event) override { record("up ", event); }

private:
    void record(const char* kind, QKeyEvent* event)
    {
        const QString text = event->text().isEmpty() ? QString() : QStringLiteral(" '%1'").arg(event->text());
        events.append(
            kind + QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText) + text);
    }
};

} // namespace

class TestQtKeySender : public QObject
{
    Q_OBJECT
    std::unique_ptr<QWidget> m_window;
    KeyRecorder* m_recorder = nullptr;
    QLineEdit* m_field = nullptr;
    QtKeySender m_sender;

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        layout->addWidget(m_recorder = new KeyRecorder);
        layout->addWidget(m_field = new QLineEdit);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    // The notation is read before any key is typed. Shifted letters are upper case, Ctrl letters
    // have no text, {ADD} is the keypad's plus.
    void keyEvents()
    {
        m_recorder->setFocus();
        QVERIFY(QApplication::focusWidget() == m_recorder);
        QCOMPARE(m_sender.sendKeys(QStringLiteral("ab{TAB"), true).error(),
            QStringLiteral("cannot read the keystroke text, character 3: '{' is never closed by '}'"));
        QVERIFY(m_recorder->events.isEmpty());
        QVERIFY(m_sender.sendKeys(QStringLiteral("+a^c{ADD}ł"), true).ok());
        QCOMPARE(m_recorder->events.join(u", "),
            QStringLiteral(
                "down Shift+Shift, down Shift+A 'A', up Shift+A 'A', up Shift, down Ctrl+Control, "
                "down Ctrl+C, up Ctrl+C, up Control, down Num++ '+', up Num++ '+', down Ł 'ł', up Ł 'ł'"));
    }

    void editsTheFocusedField()
    {
        m_field->setText(QStringLiteral("hello"));
        m_field->setCursorPosition(2);
        m_field->setFocus();
        QVERIFY(QApplication::focusWidget() == m_field);
        // "h|llo", "h|lo", "hlo|", "h|lo", "h>|lo", then Shift+End selects "lo".
        QVERIFY(m_sender.sendKeys(QStringLiteral("{BS}{DEL}{END}{LEFT 2}>+{END}"), true).ok());
        QCOMPARE(m_field->text(), QStringLiteral("h>lo"));
        QCOMPARE(m_field->selectedText(), QStringLiteral("lo"));

        // Without wait the keys are posted and arrive with the event loop.
        QVERIFY(m_sender.sendKeys(QStringLiteral("ok"), false).ok());
        QCOMPARE(m_field->text(), QStringLiteral("h>lo"));
        QTRY_COMPARE(m_field->text(), QStringLiteral("h>ok"));
    }

    void noFocusedWindow()
    {
        m_window.reset();
        QTRY_VERIFY(!QApplication::activeWindow());
        QCOMPARE(m_sender.sendKeys(QStringLiteral("{F1}"), false).error(),
            QStringLiteral("cannot type keys: no window of the program has the keyboard focus"));
        QVERIFY(m_sender.sendKeys(QString(), false).ok()); // nothing to type needs no window
    }
};

TRELLIN_GUI_TEST_MAIN(TestQtKeySender)
#include "tst_qtkeysender.moc"
