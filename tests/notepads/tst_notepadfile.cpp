#include "TestEnvironment.h"
#include "TestFiles.h"
#include "notepads/NotepadFile.h"

class TestNotepadFile : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    // What a file holds and the notepad text it opens as: any line end ends a line, the end of
    // the last line adds no empty line, bytes that are not UTF-8 are Windows-1252.
    void opens_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("one empty line") << QByteArray("\r\n") << QString();
        QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n") << "one\r\ntwo";
        QTest::newRow("last line without end") << QByteArray("one\r\ntwo") << "one\r\ntwo";
        QTest::newRow("lone LF and CR") << QByteArray("a\nb\rc\n\n") << "a\r\nb\r\nc\r\n";
        QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9 \xE2\x82\xAC\n")
                               << QStringLiteral("caf\u00E9 \u20AC");
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFx\r\n") << "x";
        QTest::newRow("Windows-1252") << QByteArray("caf\xE9 \x80") << QStringLiteral("caf\u00E9 \u20AC");
    }
    void opens()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY(TestFiles::write(path("in.txt"), bytes));
        const Result<QString> opened = NotepadFile::open(path("in.txt"));
        QVERIFY2(opened.ok(), qPrintable(opened.error()));
        QCOMPARE(*opened, text);
    }

    // A saved text opens as the same text: the final CR LF that Save adds does not come back,
    // while empty lines the text itself ends with do.
    void saveAndOpenRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("lines") << "one\r\n\r\nthree";
        QTest::newRow("ends with an empty line") << "one\r\n";
        QTest::newRow("only line breaks") << "\r\n\r\n";
        QTest::newRow("beyond Windows-1252") << QStringLiteral("\u0142\u65E5\U0001F600 \u00E9\r\nx");
        QTest::newRow("tabs and blanks") << "\t a \t";
    }
    void saveAndOpenRoundTrip()
    {
        QFETCH(QString, text);
        QVERIFY(NotepadFile::save(path("round.txt"), text).ok());
        QCOMPARE(TestFiles::read(path("round.txt")), (text + "\r\n").toUtf8());
        const Result<QString> opened = NotepadFile::open(path("round.txt"));
        QVERIFY(opened.ok());
        QCOMPARE(*opened, text);
    }

    // A file that cannot be read, or cannot be written, is a failure with a reason naming it.
    void failuresNameTheFile()
    {
        const Result<QString> missing = NotepadFile::open(path("missing.txt"));
        QVERIFY(!missing.ok() && missing.error().contains(path("missing.txt")));
        QDir().mkpath(path("folder.txt"));
        const Result<QString> folder = NotepadFile::open(path("folder.txt"));
        QVERIFY(!folder.ok() && folder.error().contains(path("folder.txt")));
        for (const QString& target : {path("folder.txt"), path("no/such/folder/x.txt")}) {
            const Result<> saved = NotepadFile::save(target, QStringLiteral("new"));
            QVERIFY(!saved.ok() && saved.error().contains(target));
        }
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
        QVERIFY(NotepadFile::save(path("own/link.txt"), QStringLiteral("new")).ok());
        QCOMPARE(TestFiles::read(path("own/notes.txt")), QByteArray("new\r\n"));
        QVERIFY(QFileInfo(path("own/link.txt")).isSymLink());
        QCOMPARE(TestFiles::read(path("own/notes.txt_")), QByteArray("mine"));
        // Owner, group and others; the "user" bits repeat one of them for whoever runs the test.
        QCOMPARE(QFile::permissions(path("own/notes.txt")) & 0xF0FF, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QDir(path("own")).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }
};

TRELLIN_TEST_MAIN(TestNotepadFile)
#include "tst_notepadfile.moc"
