#include "TestEnvironment.h"
#include "platform/QtKeySender.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Writes down every key event it gets: "+End(S)" for a press of End with Shift, "-End(S)"
// for its release, and the event text in quotes when there is one.
class KeyRecorder : public QWidget
{
public:
    KeyRecorder() { setFocusPolicy(Qt::StrongFocus); }
    QStringList events;

protected:
    void keyPressEvent(QKeyEvent* event) override { record(u'+', event); }
    void keyReleaseEvent(QKeyEvent* event) override { record(u'-', event); }

private:
    void record(QChar kind, QKeyEvent* event)
    {
        QString modifiers;
        for (const auto& [modifier, letter] : {std::pair {Qt::ShiftModifier, u'S'},
                 {Qt::ControlModifier, u'C'}, {Qt::AltModifier, u'A'}, {Qt::KeypadModifier, u'K'}}) {
            if (event->modifiers() & modifier)
                modifiers += letter;
        }
        QString line = kind + QKeySequence(event->key()).toString(QKeySequence::PortableText);
        if (!modifiers.isEmpty())
            line += u'(' + modifiers + u')';
        if (!event->text().isEmpty())
            line += u'\'' + event->text().toHtmlEscaped() + u'\'';
        events.append(line);
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

    bool focus(QWidget* widget)
    {
        widget->setFocus();
        return QApplication::focusWidget() == widget;
    }

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

    void keyEvents_data()
    {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("function key") << "{F12}" << QStringList {"+F12", "-F12"};
        QTest::newRow("shift end") << "+{END}" << QStringList {"+Shift(S)", "+End(S)", "-End(S)", "-Shift"};
        QTest::newRow("shifted letter is upper case")
            << "+a" << QStringList {"+Shift(S)", "+A(S)'A'", "-A(S)'A'", "-Shift"};
        QTest::newRow("ctrl letter has no text")
            << "^c" << QStringList {"+Control(C)", "+C(C)", "-C(C)", "-Control"};
        QTest::newRow("keypad plus") << "{ADD}" << QStringList {"++(K)'+'", "-+(K)'+'"};
        QTest::newRow("non-Latin letter") << "ł" << QStringList {"+Ł'ł'", "-Ł'ł'"};
    }
    void keyEvents()
    {
        QFETCH(QString, notation);
        QFETCH(QStringList, expected);
        QVERIFY(focus(m_recorder));
        QVERIFY(m_sender.SendKeys(notation, true).ok());
        QCOMPARE(m_recorder->events, expected);
    }

    void editsTheFocusedField()
    {
        m_field->setText(QStringLiteral("hello"));
        m_field->setCursorPosition(2);
        QVERIFY(focus(m_field));
        // "h|llo", "h|lo", "hlo|", "h|lo", "h>|lo", then Shift+End selects "lo".
        QVERIFY(m_sender.SendKeys(QStringLiteral("{BS}{DEL}{END}{LEFT 2}>+{END}"), true).ok());
        QCOMPARE(m_field->text(), QStringLiteral("h>lo"));
        QCOMPARE(m_field->selectedText(), QStringLiteral("lo"));

        // Without wait the keys are posted and arrive with the event loop.
        QVERIFY(m_sender.SendKeys(QStringLiteral("ok"), false).ok());
        QCOMPARE(m_field->text(), QStringLiteral("h>lo"));
        QTRY_COMPARE(m_field->text(), QStringLiteral("h>ok"));
    }

    // The notation is read before any key is typed.
    void unreadableTextSendsNothing()
    {
        QVERIFY(focus(m_recorder));
        QCOMPARE(m_sender.SendKeys(QStringLiteral("ab{TAB"), true).error,
            QStringLiteral("cannot read the keystroke text, character 3: '{' is never closed by '}'"));
        QVERIFY(m_recorder->events.isEmpty());
    }

    void noFocusedWindow()
    {
        m_window.reset();
        QTRY_VERIFY(!QApplication::activeWindow());
        QCOMPARE(m_sender.SendKeys(QStringLiteral("{F1}"), false).error,
            QStringLiteral("cannot type keys: no window of the program has the keyboard focus"));
        QVERIFY(m_sender.SendKeys(QString(), false).ok()); // nothing to type needs no window
    }
};

TRELLIN_GUI_TEST_MAIN(TestQtKeySender)
#include "tst_qtkeysender.moc"
