#include "DomainFixture.h"
#include "FakeClipboard.h"
#include "TestEnvironment.h"
#include "boxes/PositionActions.h"


class TestPositionActions : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void copy();
    void cutNeverAsksAndKeepsTextWhenClipboardFails();
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

void TestPositionActions::move_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("warn");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QString>("sourceAfter");
    QTest::addColumn<QString>("targetAfter");
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
