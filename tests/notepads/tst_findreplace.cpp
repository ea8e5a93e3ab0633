#include "TestEnvironment.h"
#include "notepads/FindReplace.h"

class TestFindReplace : public QObject
{
    Q_OBJECT
private slots:
    // Text, find text, selection start and length, case-sensitive: where it is found (-1: not).
    // Each search starts after the selection the one before made; after the last occurrence
    // nothing more is found, and without a selection the search starts at the beginning again.
    void findNext()
    {
        struct Row
        {
            const char* text;
            const char* find;
            int start, length;
            bool matchCase;
            int found;
        };
        for (const Row& row : {Row {"aaa", "a", 2, 0, true, 0}, // a caret without a selection
                 Row {"aaa", "a", 1, 1, true, 2}, Row {"aaa", "a", 2, 1, true, -1},
                 Row {"xyxy", "xy", 1, 1, true, 2}, // after a selection find did not make
                 Row {"abc", "", 0, 0, true, -1}, // an empty find text
                 Row {"ab", "b", 5, 3, false, -1}, // a selection beyond the end
                 Row {"Stra\xC3\x9F"
                      "e \xC3\x84PFEL",
                     "\xC3\xA4pfel", 0, 0, false, 7}}) {
            const auto found = FindReplace::findNext(QString::fromUtf8(row.text), QString::fromUtf8(row.find),
                row.start, row.length, row.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
            QCOMPARE(found.value_or(-1), qsizetype(row.found));
        }
    }

    // Left to right, without overlap, always case-sensitive, the inserted text never scanned
    // again; an empty find text changes nothing.
    void replaceAll()
    {
        struct Row
        {
            const char *text, *find, *replacement, *result;
            int count;
        };
        for (const Row& row :
            {Row {"abab", "ab", "abab", "abababab", 2}, Row {"Cat cat", "cat", "dog", "Cat dog", 1},
                Row {"aaaa", "aa", "b", "bb", 2}, Row {"aaa", "aa", "b", "ba", 1},
                Row {"abc", "", "x", "abc", 0}, Row {"a-b-c", "-", "", "abc", 2}}) {
            const FindReplace::Replaced replaced = FindReplace::replaceAll(
                QString::fromUtf8(row.text), QString::fromUtf8(row.find), QString::fromUtf8(row.replacement));
            QCOMPARE(replaced.text, QString::fromUtf8(row.result));
            QCOMPARE(replaced.count, qsizetype(row.count));
        }
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
