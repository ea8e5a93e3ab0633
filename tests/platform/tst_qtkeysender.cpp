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

private:
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
        QTest::newRow("empty text sends nothing") << "" << QStringList();
        QTest::newRow("F1") << "{F1}" << QStringList {"+F1", "-F1"};
        QTest::newRow("shift end") << "+{END}" << QStringList {"+Shift(S)", "+End(S)", "-End(S)", "-Shift"};
        QTest::newRow("letter") << "a" << QStringList {"+A'a'", "-A'a'"};
        QTest::newRow("shifted letter is upper case")
            << "+a" << QStringList {"+Shift(S)", "+A(S)'A'", "-A(S)'A'", "-Shift"};
        QTest::newRow("ctrl letter has no text")
            << "^c" << QStringList {"+Control(C)", "+C(C)", "-C(C)", "-Control"};
        QTest::newRow("enter") << "~" << QStringList {"+Return'\r'", "-Return'\r'"};
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

    void editsTheFocusedField_data()
    {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        // The field starts as "hello" with the caret after "he".
        const auto row = [](const char* name, const char* notation, const char* text, const char* selected) {
            QTest::newRow(name) << QString::fromUtf8(notation) << QString::fromUtf8(text)
                                << QString::fromUtf8(selected);
        };
        row("caret to the end", "{END}!", "hello!", "");
        row("select to the end", "+{END}", "hello", "llo");
        row("typing replaces the selection", "+{END}p", "hep", "");
        row("backspace and delete", "{BS}{DEL}", "hlo", "");
        row("repeat count", "{LEFT 2}>", ">hello", "");
    }
    void editsTheFocusedField()
    {
        QFETCH(QString, notation);
        QFETCH(QString, text);
        QFETCH(QString, selected);
        m_field->setText(QStringLiteral("hello"));
        m_field->setCursorPosition(2);
        QVERIFY(focus(m_field));
        QVERIFY(m_sender.SendKeys(notation, true).ok());
        QCOMPARE(m_field->text(), text);
        QCOMPARE(m_field->selectedText(), selected);
    }

    void withoutWaitArrivesWithTheEventLoop()
    {
        QVERIFY(focus(m_field));
        QVERIFY(m_sender.SendKeys(QStringLiteral("ok"), false).ok());
        QCOMPARE(m_field->text(), QString());
        QTRY_COMPARE(m_field->text(), QStringLiteral("ok"));
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
