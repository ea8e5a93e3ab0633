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
        if (event->modifiers() & Qt::ShiftModifier)
            modifiers += u'S';
        if (event->modifiers() & Qt::ControlModifier)
            modifiers += u'C';
        if (event->modifiers() & Qt::AltModifier)
            modifiers += u'A';
        if (event->modifiers() & Qt::KeypadModifier)
            modifiers += u'K';
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
private slots:
    void init();
    void cleanup();
    void keyEvents_data();
    void keyEvents();
    void editsTheFocusedField_data();
    void editsTheFocusedField();
    void withoutWaitArrivesWithTheEventLoop();
    void unreadableTextSendsNothing();
    void noFocusedWindow();

private:
    bool focus(QWidget* widget);

    std::unique_ptr<QWidget> m_window;
    KeyRecorder* m_recorder = nullptr;
    QLineEdit* m_field = nullptr;
    QtKeySender m_sender;
};

void TestQtKeySender::init()
{
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_recorder = new KeyRecorder;
    m_field = new QLineEdit;
    layout->addWidget(m_recorder);
    layout->addWidget(m_field);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestQtKeySender::cleanup()
{
    m_window.reset();
}

bool TestQtKeySender::focus(QWidget* widget)
{
    widget->setFocus();
    return QApplication::focusWidget() == widget;
}

void TestQtKeySender::keyEvents_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QStringList>("expected");
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

void TestQtKeySender::keyEvents()
{
    QFETCH(QString, notation);
    QFETCH(QStringList, expected);
    QVERIFY(focus(m_recorder));
    QVERIFY(m_sender.SendKeys(notation, true).ok());
    QCOMPARE(m_recorder->events, expected);
}

void TestQtKeySender::editsTheFocusedField_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    // The field starts as "hello" with the caret after "he".
    QTest::newRow("caret to the end") << "{END}!"
                                      << "hello!"
                                      << "";
    QTest::newRow("select to the end") << "+{END}"
                                       << "hello"
                                       << "llo";
    QTest::newRow("typing replaces the selection") << "+{END}p"
                                                   << "hep"
                                                   << "";
    QTest::newRow("backspace and delete") << "{BS}{DEL}"
                                          << "hlo"
                                          << "";
    QTest::newRow("repeat count") << "{LEFT 2}>"
                                  << ">hello"
                                  << "";
}

void TestQtKeySender::editsTheFocusedField()
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

void TestQtKeySender::withoutWaitArrivesWithTheEventLoop()
{
    QVERIFY(focus(m_field));
    QVERIFY(m_sender.SendKeys(QStringLiteral("ok"), false).ok());
    QCOMPARE(m_field->text(), QString());
    QTRY_COMPARE(m_field->text(), QStringLiteral("ok"));
}

void TestQtKeySender::unreadableTextSendsNothing()
{
    QVERIFY(focus(m_recorder));
    const auto result = m_sender.SendKeys(QStringLiteral("ab{BACKSPA"), true);
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(QStringLiteral("character 3")), qPrintable(result.error));
    QVERIFY(m_recorder->events.isEmpty());
}

void TestQtKeySender::noFocusedWindow()
{
    m_window.reset();
    QTRY_VERIFY(!QApplication::activeWindow());
    const auto result = m_sender.SendKeys(QStringLiteral("{F1}"), false);
    QVERIFY(!result.ok());
    QVERIFY(result.error.contains(QStringLiteral("focus")));
}

TRELLIN_GUI_TEST_MAIN(TestQtKeySender)
#include "tst_qtkeysender.moc"
