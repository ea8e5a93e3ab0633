#include "TestEnvironment.h"
#include "notepads/FindReplace.h"

class TestFindReplace : public QObject
{
    Q_OBJECT
private slots:
    // Each search starts after the selection the one before made; after the last occurrence
    // nothing more is found, and without a selection the search starts at the beginning again.
    void findNextWalksWithoutWrapping()
    {
        const QString text = QStringLiteral("aaa");
        QList<qsizetype> found;
        qsizetype start = 2; // a caret without a selection does not count
        qsizetype length = 0;
        while (const auto at
            = FindReplace::findNext(text, QStringLiteral("a"), start, length, Qt::CaseSensitive)) {
            found.append(*at);
            start = *at;
            length = 1;
            QVERIFY(found.size() <= 3);
        }
        QCOMPARE(found, (QList<qsizetype> {0, 1, 2}));
        QCOMPARE(FindReplace::findNext(text, QStringLiteral("a"), 3, 0, Qt::CaseSensitive), 0);
    }

    void findNext_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<int>("selectionLength");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<int>("expected"); // -1: nothing found

        QTest::newRow("case ignored") << "A Cat"
                                      << "cat" << 0 << 0 << false << 2;
        QTest::newRow("case matched") << "A Cat"
                                      << "cat" << 0 << 0 << true << -1;
        QTest::newRow("after a selection not made by find") << "xyxy"
                                                            << "xy" << 1 << 1 << true << 2;
        QTest::newRow("selection reaching the end") << "ab"
                                                    << "b" << 0 << 2 << true << -1;
        QTest::newRow("empty find text") << "abc"
                                         << "" << 0 << 0 << true << -1;
        QTest::newRow("empty text") << ""
                                    << "a" << 0 << 0 << false << -1;
        QTest::newRow("beyond the end") << "ab"
                                        << "b" << 5 << 3 << false << -1;
        QTest::newRow("across a line break") << "one\r\ntwo"
                                             << "e\r\nt" << 0 << 0 << true << 2;
        QTest::newRow("non-ASCII ignoring case") << "Straße ÄPFEL"
                                                 << "äpfel" << 0 << 0 << false << 7;
    }
    void findNext()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionLength);
        QFETCH(bool, matchCase);
        QFETCH(int, expected);
        const auto found = FindReplace::findNext(
            text, find, selectionStart, selectionLength, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
        QCOMPARE(found.value_or(-1), qsizetype(expected));
    }

    void replaceAll_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("count");

        QTest::newRow("inserted text not scanned again") << "abab"
                                                         << "ab"
                                                         << "abab"
                                                         << "abababab" << 2;
        QTest::newRow("always case-sensitive") << "Cat cat"
                                               << "cat"
                                               << "dog"
                                               << "Cat dog" << 1;
        QTest::newRow("no overlap, left to right") << "aaaa"
                                                   << "aa"
                                                   << "b"
                                                   << "bb" << 2;
        QTest::newRow("odd run leaves the rest") << "aaa"
                                                 << "aa"
                                                 << "b"
                                                 << "ba" << 1;
        QTest::newRow("empty find text") << "abc"
                                         << ""
                                         << "x"
                                         << "abc" << 0;
        QTest::newRow("deleting") << "a-b-c"
                                  << "-"
                                  << ""
                                  << "abc" << 2;
        QTest::newRow("line breaks") << "a\r\nb\r\n"
                                     << "\r\n"
                                     << " "
                                     << "a b " << 2;
        QTest::newRow("not present") << "abc"
                                     << "x"
                                     << "y"
                                     << "abc" << 0;
        QTest::newRow("whole text") << "abc"
                                    << "abc"
                                    << ""
                                    << "" << 1;
    }
    void replaceAll()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QFETCH(int, count);
        const FindReplace::Replaced replaced = FindReplace::replaceAll(text, find, replacement);
        QCOMPARE(replaced.text, expected);
        QCOMPARE(replaced.count, qsizetype(count));
    }

    // A text used again moves to the top and is kept once; an empty text is never added but
    // still removes an empty entry; texts differing in case are different texts.
    void rememberedTexts()
    {
        QStringList list;
        for (const char* used : {"cat", "dog", "cat", "", "Cat"})
            FindReplace::remember(list, QString::fromLatin1(used));
        QCOMPARE(list, (QStringList {"Cat", "cat", "dog"}));
        list.append(QString());
        FindReplace::remember(list, QString());
        QCOMPARE(list, (QStringList {"Cat", "cat", "dog"}));
    }
};

TRELLIN_TEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
