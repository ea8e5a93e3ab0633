#include "DataColumns.h"
#include "DiskFaults.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "notepads/FindReplace.h"
#include "notepads/NotepadFile.h"

class TestNotepadFile : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    // What a file holds and the notepad text it opens as: any line end ends a line, the end of
    // the last line adds no empty line, bytes that are not UTF-8 are Windows-1252. Where "saved"
    // is set, Save writes exactly these bytes: UTF-8, CR LF lines and one more CR LF, so empty
    // lines the text ends with come back.
    void openAndSave_data()
    {
        addColumns<QByteArray, QString, bool>({"bytes", "text", "saved"});
        QTest::newRow("empty file") << QByteArray() << QString() << false;
        QTest::newRow("one empty line") << QByteArray("\r\n") << QString() << true;
        QTest::newRow("CR LF") << QByteArray("one\r\n\r\nthree\r\n") << "one\r\n\r\nthree" << true;
        QTest::newRow("ends with an empty line") << QByteArray("one\r\n\r\n") << "one\r\n" << true;
        QTest::newRow("last line without end") << QByteArray("one\r\ntwo") << "one\r\ntwo" << false;
        QTest::newRow("lone LF and CR") << QByteArray("a\nb\rc\n\n") << "a\r\nb\r\nc\r\n" << false;
        QTest::newRow("tabs and blanks") << QByteArray("\t a \t\r\n") << "\t a \t" << true;
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFx\r\n") << "x" << false;
        QTest::newRow("Windows-1252") << QByteArray("caf\xE9 \x80") << u"caf\u00E9 \u20AC"_s << false;
        const QString beyond = u"\u0142\u65E5\U0001F600 \u00E9\r\nx"_s;
        QTest::newRow("beyond Windows-1252") << (beyond + "\r\n").toUtf8() << beyond << true;
    }
    void openAndSave()
    {
        auto [bytes, text, saved] = fetchColumns<QByteArray, QString, bool>({"bytes", "text", "saved"});
        QVERIFY(TestFiles::write(path("in.txt"), bytes));
        const Result<QString> opened = NotepadFile::open(path("in.txt"));
        QVERIFY2(opened.ok(), qPrintable(opened.error()));
        QCOMPARE(*opened, text);
        if (saved) {
            QVERIFY(NotepadFile::save(path("out.txt"), text).ok());
            QCOMPARE(TestFiles::read(path("out.txt")), bytes);
        }
    }

    // A folder can be neither read nor written over, and the reason names it; a file over
    // 16 MiB is refused before it is read.
    void failures()
    {
        QDir().mkpath(path("folder.txt"));
        const Result<QString> folder = NotepadFile::open(path("folder.txt"));
        QVERIFY(!folder.ok() && folder.error().contains(path("folder.txt")));
        const Result<> saved = NotepadFile::save(path("folder.txt"), u"new"_s);
        QVERIFY(!saved.ok() && saved.error().contains(path("folder.txt")));
        QVERIFY(QFileInfo(path("folder.txt")).isDir());

        QFile huge(path("huge.txt"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(NotepadFile::kMaxFileBytes + 1));
        huge.close();
        const Result<QString> tooLarge = NotepadFile::open(path("huge.txt"));
        QVERIFY(!tooLarge.ok() && tooLarge.error().contains("larger than the 16 MiB"));
        QVERIFY(huge.resize(NotepadFile::kMaxFileBytes));
        QVERIFY(NotepadFile::open(path("huge.txt")).ok());
    }

    // Saving over a file in the user's folder touches nothing else there: a file named like a
    // temporary stays, the permissions stay, and a symbolic link keeps pointing at the file.
    void saveOverwritesOnlyTheFile()
    {
        QVERIFY(TestFiles::write(path("own/notes.txt"), "old\r\n"));
        QVERIFY(TestFiles::write(path("own/notes.txt_"), "mine"));
        QVERIFY(QFile::setPermissions(path("own/notes.txt"), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link(path("own/notes.txt"), path("own/link.txt")));
        QVERIFY(NotepadFile::save(path("own/link.txt"), u"new"_s).ok());
        QCOMPARE(TestFiles::read(path("own/notes.txt")), QByteArray("new\r\n"));
        QVERIFY(QFileInfo(path("own/link.txt")).isSymLink());
        QCOMPARE(TestFiles::read(path("own/notes.txt_")), QByteArray("mine"));
        // Owner, group and others; the "user" bits repeat one of them for whoever runs the test.
        QCOMPARE(QFile::permissions(path("own/notes.txt")) & 0xF0FF, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QDir(path("own")).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    // A save that cannot write every byte (a file size limit, a full disk)
    // fails, names the file, leaves it as it was and leaves no temporary behind.
    void failedSaveKeepsTheFile_data()
    {
        QTest::addColumn<int>("sizeLimit"); // -1: a full tmpfs instead
        QTest::newRow("size limit 4") << 4;
        QTest::newRow("full disk") << -1;
    }
    void failedSaveKeepsTheFile()
    {
        QFETCH(int, sizeLimit);
        DiskFaults::SmallTmpfs disk(64);
        const QString folder = sizeLimit < 0 ? disk.path() : path(u"limit%1"_s.arg(sizeLimit));
        const QString file = folder + u"/notes.txt"_s;
        const QByteArray old("old text\r\n");
        QVERIFY(TestFiles::write(file, old));
        if (sizeLimit < 0 && !(disk.isMounted() && disk.fill()))
            QSKIP("a small tmpfs cannot be mounted here");
        Result<> saved;
        {
            DiskFaults::FileSizeLimit limit(sizeLimit < 0 ? RLIM_INFINITY : rlim_t(sizeLimit));
            saved = NotepadFile::save(file, QString(100, u'n'));
        }
        QVERIFY(!saved.ok());
        QVERIFY2(saved.error().contains(file), qPrintable(saved.error()));
        QCOMPARE(TestFiles::read(file), old);
        QDir dir(folder);
        dir.setFilter(QDir::Files | QDir::Hidden);
        const QStringList left
            = sizeLimit < 0 ? QStringList {"filler", "notes.txt"} : QStringList {"notes.txt"};
        QCOMPARE(dir.entryList(), left);
    }

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

TRELLIN_TEST_MAIN(TestNotepadFile)
#include "tst_notepadfile.moc"
