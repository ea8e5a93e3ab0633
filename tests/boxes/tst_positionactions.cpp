#include "DomainFixture.h"
#include "FakeClipboard.h"
#include "TestEnvironment.h"
#include "boxes/PositionActions.h"

using Op = PositionActions::Operation;
Q_DECLARE_METATYPE(PositionActions::Operation)

class TestPositionActions : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void mouseRules_data();
    void mouseRules();
    void copy();
    void paste();
    void cutNeverAsksAndKeepsTextWhenClipboardFails();
    void edit();
    void move_data();
    void move();
    void moveKeepsSourceWhenTargetCannotBeWritten();

private:
    void fill(int position, const QString& text) { m_store->SavePosition(text, position, 1, true); }
    QStringList messages() const;
    DomainFixture* m_fx = nullptr;
    BoxStore* m_store = nullptr;
    FakeClipboard m_clipboard;
    PositionActions* m_actions = nullptr;
    qsizetype m_logStart = 0;
};

void TestPositionActions::init()
{
    m_fx = new DomainFixture;
    m_store = new BoxStore(m_fx->state);
    m_clipboard = FakeClipboard();
    m_actions = new PositionActions(m_fx->state, *m_store, m_clipboard);
    m_logStart = 0;
}

void TestPositionActions::cleanup()
{
    QVERIFY2(m_fx->prompter.scriptUsedUp(), "a scripted answer was not used");
    delete m_actions;
    delete m_store;
    delete m_fx;
}

// Messages logged since the last call, oldest first, without time stamps.
QStringList TestPositionActions::messages() const
{
    QStringList result;
    const QStringList& entries = m_fx->log.entries();
    for (qsizetype i = entries.size() - 1 - m_logStart; i >= 0; --i)
        result.append(entries.at(i).mid(10));
    const_cast<TestPositionActions*>(this)->m_logStart = entries.size();
    return result;
}

void TestPositionActions::mouseRules_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<Op>("operation");
    const auto shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
    QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << Op::Copy;
    QTest::newRow("left with all modifiers") << Qt::LeftButton << (shift | ctrl | alt) << Op::Copy;
    QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers() << Op::Paste;
    QTest::newRow("shift right") << Qt::RightButton << Qt::KeyboardModifiers(shift) << Op::Edit;
    QTest::newRow("ctrl right") << Qt::RightButton << Qt::KeyboardModifiers(ctrl) << Op::Delete;
    QTest::newRow("alt right") << Qt::RightButton << Qt::KeyboardModifiers(alt) << Op::Cut;
    QTest::newRow("ctrl shift right") << Qt::RightButton << (ctrl | shift) << Op::None;
    QTest::newRow("alt shift right") << Qt::RightButton << (alt | shift) << Op::None;
    QTest::newRow("ctrl alt right") << Qt::RightButton << (ctrl | alt) << Op::None;
    QTest::newRow("all three right") << Qt::RightButton << (ctrl | alt | shift) << Op::None;
    QTest::newRow("keypad does not count") << Qt::RightButton << Qt::KeyboardModifiers(Qt::KeypadModifier) << Op::Paste;
    QTest::newRow("middle") << Qt::MiddleButton << Qt::KeyboardModifiers() << Op::None;
}

void TestPositionActions::mouseRules()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(Op, operation);
    QCOMPARE(PositionActions::operationFor(button, modifiers), operation);
}

void TestPositionActions::copy()
{
    QVERIFY(!m_actions->Copy(3)); // empty: nothing copied, nothing logged
    QVERIFY(m_fx->log.entries().isEmpty());
    QCOMPARE(m_clipboard.clears, 0);

    fill(3, QStringLiteral("text"));
    messages();
    QVERIFY(m_actions->Copy(3));
    QCOMPARE(m_clipboard.text, QStringLiteral("text"));
    QCOMPARE(m_clipboard.clears, 1);
    QCOMPARE(messages(), QStringList { QStringLiteral("Box 1, position 3 copied to clipboard") });

    // The refill text follows every copy once the feature is on.
    m_fx->state.setRefillText(QStringLiteral("refill"));
    fill(4, QStringLiteral("other"));
    m_actions->Copy(4);
    QCOMPARE(m_fx->state.refillText(), QStringLiteral("other"));

    m_clipboard.failing = true;
    messages();
    QVERIFY(!m_actions->Copy(3));
    QVERIFY(messages().isEmpty());
}

void TestPositionActions::paste()
{
    QVERIFY(!m_actions->Paste(2).has_value()); // empty clipboard
    QVERIFY(!QFileInfo::exists(m_store->boxFile(1)));

    m_clipboard.text = QStringLiteral("clip");
    QCOMPARE(m_actions->Paste(2), SaveOutcome::Saved);
    QVERIFY(m_store->isOccupied(2)); // the cache was reloaded
    QCOMPARE(m_actions->Paste(2), SaveOutcome::AlreadySaved);
    QCOMPARE(m_fx->lastMessage(), QStringLiteral("Already saved in box 1, position 2"));

    m_clipboard.text = QStringLiteral("newer");
    m_fx->prompter.answerOverwrite(false);
    QCOMPARE(m_actions->Paste(2), SaveOutcome::Declined);
    QCOMPARE(m_store->cached(2), QStringLiteral("clip"));
}

void TestPositionActions::cutNeverAsksAndKeepsTextWhenClipboardFails()
{
    fill(5, QStringLiteral("cut me"));
    messages();
    m_actions->Cut(5);
    QCOMPARE(m_clipboard.text, QStringLiteral("cut me"));
    QVERIFY(!m_store->isOccupied(5));
    QCOMPARE(m_store->undoText(1), QStringLiteral("cut me"));
    QCOMPARE(messages(), (QStringList { QStringLiteral("Box 1, position 5 copied to clipboard"),
                                        QStringLiteral("Box 1, position 5 cleared") }));

    fill(6, QStringLiteral("precious"));
    m_clipboard.failing = true;
    m_actions->Cut(6);
    QCOMPARE(m_store->ReadPosition(6), QStringLiteral("precious"));
}

void TestPositionActions::edit()
{
    fill(6, QStringLiteral("old"));
    m_fx->state.setCurrentBox(1);
    messages();

    m_fx->prompter.answerEdit({ false, QStringLiteral("ignored"), QString() });
    QVERIFY(!m_actions->Edit(6));
    QCOMPARE(m_fx->prompter.editRequests.last().caption, QStringLiteral("Moxeno Trellin - edit text"));
    QCOMPARE(m_fx->prompter.editRequests.last().text, QStringLiteral("old"));
    QVERIFY(!m_fx->prompter.editRequests.last().macro);
    QCOMPARE(messages(), QStringList { QStringLiteral("Box 1, 6 not updated") });

    m_fx->prompter.answerEdit({ true, QStringLiteral("old"), QString() });
    QVERIFY(m_actions->Edit(6));
    QCOMPARE(messages(), QStringList { QStringLiteral("Box 1, 6 already saved in this location") });

    // A changed text is saved without the overwrite question.
    m_fx->prompter.answerEdit({ true, QStringLiteral("new"), QString() });
    QVERIFY(m_actions->Edit(6));
    QCOMPARE(m_store->cached(6), QStringLiteral("new"));
    QCOMPARE(messages(), QStringList { QStringLiteral("Box 1, position 6 saved") });

    // Edit is how a new text is typed into an empty position; saving it empty does nothing.
    m_fx->prompter.answerEdit({ true, QStringLiteral("typed"), QString() });
    m_actions->Edit(7);
    QCOMPARE(m_store->cached(7), QStringLiteral("typed"));
    m_fx->prompter.answerEdit({ true, QString(), QString() });
    m_actions->Edit(8);
    QVERIFY(messages().size() == 1);
}

void TestPositionActions::move_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("warn");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QString>("sourceAfter");
    QTest::addColumn<QString>("targetAfter");
    QTest::newRow("onto empty") << "s" << "" << true << QList<bool> {} << QStringList {} << "" << "s";
    QTest::newRow("onto other, yes") << "s" << "t" << true << QList<bool> { true }
                                     << QStringList { "Overwrite position 08" } << "" << "s";
    QTest::newRow("onto other, no, then keep source")
        << "s" << "t" << true << QList<bool> { false, false }
        << QStringList { "Overwrite position 08", "Clear position 03?" } << "s" << "t";
    QTest::newRow("onto other, no, then clear source")
        << "s" << "t" << true << QList<bool> { false, true }
        << QStringList { "Overwrite position 08", "Clear position 03?" } << "" << "t";
    QTest::newRow("empty onto occupied asks to clear the target")
        << "" << "t" << true << QList<bool> { true } << QStringList { "Clear position 08?" } << "" << "";
    QTest::newRow("onto the same text clears the source after asking")
        << "s" << "s" << true << QList<bool> { true } << QStringList { "Clear position 03?" } << "" << "s";
    QTest::newRow("warning off") << "s" << "t" << false << QList<bool> {} << QStringList {} << "" << "s";
}

void TestPositionActions::move()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(bool, warn);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, questions);
    QFETCH(QString, sourceAfter);
    QFETCH(QString, targetAfter);
    fill(3, source);
    fill(8, target);
    m_fx->state.setWarnOverwrite(warn);
    for (bool yes : answers)
        m_fx->prompter.answerOverwrite(yes);
    m_actions->Move(3, 8);
    QCOMPARE(m_fx->prompter.asked, questions);
    QCOMPARE(m_store->cached(3), sourceAfter);
    QCOMPARE(m_store->cached(8), targetAfter);

    // Dropping a button on itself changes nothing.
    m_actions->Move(8, 8);
    QCOMPARE(m_store->ReadPosition(8), targetAfter);
}

void TestPositionActions::moveKeepsSourceWhenTargetCannotBeWritten()
{
    fill(3, QStringLiteral("only copy"));
    m_fx->state.setWarnOverwrite(false);
    QVERIFY(QDir().mkpath(m_store->boxFile(1) + QStringLiteral("_/blocked")));
    m_actions->Move(3, 8);
    QCOMPARE(m_store->ReadPosition(3), QStringLiteral("only copy"));
    QCOMPARE(m_store->ReadPosition(8), QString());
}

TRELLIN_TEST_MAIN(TestPositionActions)
#include "tst_positionactions.moc"
