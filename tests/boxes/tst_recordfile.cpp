#include "DomainFixture.h"
#include "TestEnvironment.h"
#include "boxes/RecordFile.h"
#include "core/TextCodec.h"

#include <QRandomGenerator>

class TestRecordFile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase() { delete m_fx; }
    void writesExactBytes_data();
    void writesExactBytes();
    void readsRecords_data();
    void readsRecords();
    void lineBreaksRoundTrip_data();
    void lineBreaksRoundTrip();
    void lengthLimitAsksBeforeCutting();
    void cutNeverSplitsACharacter();
    void fallsBackToUtf8AndBack();
    void unreadableFileIsNeverRewritten();
    void survivesRandomBytesAndHugeFiles();

private:
    void put(const QByteArray& bytes);
    QByteArray bytes() const;
    DomainFixture* m_fx = nullptr;
    QString m_file;
};

namespace {
const QByteArray M("!\xAC:"); // the record marker in Windows-1252
}

void TestRecordFile::init()
{
    delete m_fx;
    m_fx = new DomainFixture;
    m_file = m_fx->folder() + QStringLiteral("MoxenoTrellin1.txt");
}

void TestRecordFile::put(const QByteArray& content)
{
    QFile f(m_file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray TestRecordFile::bytes() const
{
    QFile f(m_file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestRecordFile::writesExactBytes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file") << QByteArray() << 5 << "Dear Sir" << "05" + M + "Dear Sir\r\n";
    QTest::newRow("two-line text") << QByteArray() << 3 << "Dear Sir\r\nThank you."
                                   << "03" + M + "Dear Sir\r\nThank you.\r\n";
    QTest::newRow("rewritten record moves to the end")
        << "05" + M + "five\r\n09" + M + "nine\r\n" << 5 << "FIVE" << "09" + M + "nine\r\n05" + M + "FIVE\r\n";
    QTest::newRow("continuation lines go with their record")
        << "05" + M + "a\r\nb\r\n09" + M + "c\r\nd\r\n" << 5 << "x" << "09" + M + "c\r\nd\r\n05" + M + "x\r\n";
    QTest::newRow("empty text removes the record")
        << "05" + M + "a\r\n09" + M + "c\r\n" << 9 << "" << "05" + M + "a\r\n";
    QTest::newRow("removing a missing key normalises line ends")
        << "05" + M + "a\nb\r09" + M + "c" << 7 << "" << "05" + M + "a\nb\r\n09" + M + "c\r\n";
    QTest::newRow("key 00 survives") << "00" + M + "zero\r\n" << 1 << "one" << "00" + M + "zero\r\n01" + M + "one\r\n";
    QTest::newRow("stray lines before the first header survive")
        << "stray\r\nx\r\n02" + M + "two\r\n" << 2 << "" << QByteArray("stray\r\nx\r\n");
    QTest::newRow("key 7 leaves key 17 alone") << "17" + M + "seventeen\r\n" << 7 << "seven"
                                               << "17" + M + "seventeen\r\n07" + M + "seven\r\n";
    QTest::newRow("damaged keys are kept") << "ab" + M + "x\r\n" << 1 << "y" << "ab" + M + "x\r\n01" + M + "y\r\n";
    QTest::newRow("short lines are continuation lines") << "01" + M + "a\r\n!\xAC\r\n" << 2 << "b"
                                                       << "01" + M + "a\r\n!\xAC\r\n02" + M + "b\r\n";
}

void TestRecordFile::writesExactBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        put(before);
    const WriteResult result = RecordFile::WriteRecord(m_file, key, text, m_fx->prompter);
    QCOMPARE(int(result.outcome), int(WriteOutcome::Written));
    QCOMPARE(bytes(), after);
    QVERIFY(!QFileInfo::exists(m_file + u'_'));
}

void TestRecordFile::readsRecords_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    const QByteArray file = "03" + M + "Dear Sir\r\nThank you for your letter.\r\n12" + M + "Best wishes\r\n";
    QTest::newRow("multi-line record") << file << 3 << "Dear Sir\r\nThank you for your letter.";
    QTest::newRow("last record") << file << 12 << "Best wishes";
    QTest::newRow("missing key") << file << 5 << "default";
    QTest::newRow("key 7 is not key 17") << "17" + M + "x\r\n" << 7 << "default";
    QTest::newRow("empty record gives default") << "04" + M + "\r\n" << 4 << "default";
    QTest::newRow("first of duplicate keys") << "04" + M + "a\r\n04" + M + "b\r\n" << 4 << "a";
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF" "01!\xC2\xAC:\xC5\x82\r\n") << 1 << "\u0142";
    QTest::newRow("missing file") << QByteArray() << 1 << "default";
}

void TestRecordFile::readsRecords()
{
    QFETCH(QByteArray, content);
    QFETCH(int, key);
    QFETCH(QString, expected);
    if (!content.isEmpty())
        put(content);
    QCOMPARE(RecordFile::ReadRecord(m_file, key, QStringLiteral("default")), expected);
}

void TestRecordFile::lineBreaksRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("crlf") << "a\r\nb" << "a\r\nb";
    QTest::newRow("lone lf stays inside the line") << "a\nb" << "a\nb";
    QTest::newRow("lone cr becomes crlf") << "a\rb" << "a\r\nb";
    QTest::newRow("trailing line break") << "a\r\n" << "a\r\n";
    QTest::newRow("blank lines") << "a\r\n\r\n\r\nb" << "a\r\n\r\n\r\nb";
}

void TestRecordFile::lineBreaksRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    RecordFile::WriteRecord(m_file, 8, text, m_fx->prompter);
    RecordFile::WriteRecord(m_file, 9, QStringLiteral("after"), m_fx->prompter);
    QCOMPARE(RecordFile::ReadRecord(m_file, 8, QString()), readBack);
    QCOMPARE(RecordFile::ReadRecord(m_file, 9, QString()), QStringLiteral("after"));
}

void TestRecordFile::lengthLimitAsksBeforeCutting()
{
    const QString exact(9999, u'a');
    QCOMPARE(int(RecordFile::WriteRecord(m_file, 1, exact, m_fx->prompter).outcome), int(WriteOutcome::Written));
    QVERIFY(m_fx->prompter.asked.isEmpty());

    const QString over = QString(9999, u'b') + u'Z';
    m_fx->prompter.answerYesNo(false);
    QCOMPARE(int(RecordFile::WriteRecord(m_file, 1, over, m_fx->prompter).outcome), int(WriteOutcome::Declined));
    QCOMPARE(m_fx->prompter.asked.last(),
             QStringLiteral("Continue?\n\nThe text is over 9,999 characters long. The following will not be saved:\n\nZ"));
    QCOMPARE(m_fx->prompter.icons.last(), PromptIcon::Exclamation);
    QCOMPARE(RecordFile::ReadRecord(m_file, 1, QString()), exact);

    m_fx->prompter.answerYesNo(true);
    QCOMPARE(int(RecordFile::WriteRecord(m_file, 1, over, m_fx->prompter).outcome), int(WriteOutcome::Written));
    QCOMPARE(RecordFile::ReadRecord(m_file, 1, QString()), QString(9999, u'b'));
}

void TestRecordFile::cutNeverSplitsACharacter()
{
    const QString text = QString(9998, u'a') + QStringLiteral("\U0001F600") + u'b';
    QCOMPARE(RecordFile::cutToLimit(text), QString(9998, u'a'));
    QVERIFY(RecordFile::longTextQuestion(text).endsWith(QStringLiteral("\U0001F600b")));
}

void TestRecordFile::fallsBackToUtf8AndBack()
{
    put("01" + M + "Caf\xE9\r\n");
    const QString foreign = QStringLiteral("\u0142\u00DF \u65E5\u672C \u20AC");
    RecordFile::WriteRecord(m_file, 2, foreign, m_fx->prompter);
    QVERIFY(bytes().startsWith("\xEF\xBB\xBF" "01!\xC2\xAC:Caf\xC3\xA9\r\n"));
    QCOMPARE(RecordFile::ReadRecord(m_file, 2, QString()), foreign);
    QCOMPARE(RecordFile::ReadRecord(m_file, 1, QString()), QStringLiteral("Caf\u00E9"));
    // Once the last foreign character is gone the file is Windows-1252 again.
    RecordFile::WriteRecord(m_file, 2, QString(), m_fx->prompter);
    QCOMPARE(bytes(), "01" + M + "Caf\xE9\r\n");
}

void TestRecordFile::unreadableFileIsNeverRewritten()
{
    QVERIFY(QDir().mkpath(m_file)); // a folder where the file should be cannot be read
    const WriteResult result = RecordFile::WriteRecord(m_file, 1, QStringLiteral("x"), m_fx->prompter);
    QCOMPARE(int(result.outcome), int(WriteOutcome::Failed));
    QVERIFY(!result.error.isEmpty());
    QVERIFY(QFileInfo(m_file).isDir());
    QCOMPARE(RecordFile::ReadRecord(m_file, 1, QStringLiteral("d")), QStringLiteral("d"));
}

void TestRecordFile::survivesRandomBytesAndHugeFiles()
{
    QRandomGenerator random(42);
    QByteArray noise(256 * 1024, Qt::Uninitialized);
    for (char& c : noise)
        c = char(random.bounded(256));
    put(noise);
    RecordFile::ReadRecord(m_file, 5, QString());
    QCOMPARE(int(RecordFile::WriteRecord(m_file, 5, QStringLiteral("found"), m_fx->prompter).outcome),
             int(WriteOutcome::Written));
    QCOMPARE(RecordFile::ReadRecord(m_file, 5, QString()), QStringLiteral("found"));

    // 50 MB of one record's continuation lines.
    QByteArray huge = "01" + M + "start\r\n";
    const QByteArray line(98, 'x');
    while (huge.size() < 50 * 1024 * 1024)
        huge += line + "\r\n";
    put(huge);
    QCOMPARE(RecordFile::ReadRecord(m_file, 1, QString()).size(), qsizetype(5 + (huge.size() - 12) / 100 * 100));
    QCOMPARE(int(RecordFile::WriteRecord(m_file, 2, QStringLiteral("two"), m_fx->prompter).outcome),
             int(WriteOutcome::Written));
    QCOMPARE(bytes().size(), huge.size() + 10);
}

TRELLIN_TEST_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
