#include "TestEnvironment.h"
#include "app/IniFile.h"
#include "app/SettingsStore.h"
#include "core/Paths.h"
#include "core/TextCodec.h"

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void reads_data();
    void reads();
    void cutsLongValues();
    void writeCreatesFileSectionAndKey();
    void writeReplacesInPlaceAndKeepsOtherLines();
    void writeTurnsLineBreaksIntoBlanks();
    void garbageLinesSurviveAndDoNotConfuse();
    void iniPathPrefersDataRoot();
    void defaultFoldersFollowXdg();
    void writeToUnwritablePlaceReportsFailure();

private:
    QString write(const QByteArray& bytes);
    QByteArray bytes() const;
    QTemporaryDir m_dir;
    QString m_path;
};

void TestSettingsStore::init()
{
    static int counter = 0;
    m_path = m_dir.filePath(QStringLiteral("test%1.ini").arg(++counter));
}

QString TestSettingsStore::write(const QByteArray& content)
{
    QFile file(m_path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return m_path;
}

QByteArray TestSettingsStore::bytes() const
{
    QFile file(m_path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void TestSettingsStore::reads_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QByteArray ini = "; comment\r\n[Settings]\r\nBoxNo=7\r\nLeft = 120 \r\nEmpty=\r\nQuoted=\"a b\"\r\n"
                           "[Defaults]\r\nDataPath=/data/\r\n[settings]\r\nBoxNo=99\r\n";
    QTest::newRow("plain") << ini << "Settings" << "BoxNo" << "7";
    QTest::newRow("section case") << ini << "SETTINGS" << "BoxNo" << "7";
    QTest::newRow("key case") << ini << "Settings" << "boxno" << "7";
    QTest::newRow("blanks trimmed") << ini << "Settings" << "Left" << "120";
    QTest::newRow("empty value") << ini << "Settings" << "Empty" << "";
    QTest::newRow("quotes removed") << ini << "Settings" << "Quoted" << "a b";
    QTest::newRow("other section") << ini << "Defaults" << "DataPath" << "/data/";
    QTest::newRow("missing key") << ini << "Settings" << "Top" << "default";
    QTest::newRow("missing section") << ini << "Search" << "0" << "default";
    QTest::newRow("key of another section") << ini << "Defaults" << "BoxNo" << "default";
    QTest::newRow("lower-case section name in file") << QByteArray("[settings]\nboxno=5\n") << "Settings" << "BoxNo" << "5";
    QTest::newRow("missing file") << QByteArray() << "Settings" << "BoxNo" << "default";
    QTest::newRow("windows-1252 value") << QByteArray("[MX]\r\nMX1=Caf\xE9\r\n") << "MX" << "MX1" << "Caf\u00E9";
}

void TestSettingsStore::reads()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    if (!file.isNull())
        write(file);
    QCOMPARE(IniFile::read(m_path, section, key, QStringLiteral("default")), expected);
}

void TestSettingsStore::cutsLongValues()
{
    const QString longValue(300, u'x');
    QVERIFY(IniFile::write(m_path, QStringLiteral("Settings"), QStringLiteral("Long"), longValue));
    QCOMPARE(IniFile::read(m_path, QStringLiteral("Settings"), QStringLiteral("Long"), QString()), longValue.left(254));
    QVERIFY(bytes().contains(longValue.toLatin1())); // stored whole, cut when read
    QCOMPARE(IniFile::read(m_path, QStringLiteral("X"), QStringLiteral("Y"), longValue).size(), 254);
}

void TestSettingsStore::writeCreatesFileSectionAndKey()
{
    const QString path = m_dir.filePath(QStringLiteral("new/folder/MoxenoTrellin.ini"));
    QVERIFY(IniFile::write(path, QStringLiteral("Settings"), QStringLiteral("BoxNo"), QStringLiteral("3")));
    QVERIFY(IniFile::write(path, QStringLiteral("Settings"), QStringLiteral("Left"), QStringLiteral("36")));
    QVERIFY(IniFile::write(path, QStringLiteral("Defaults"), QStringLiteral("DecPlaces"), QStringLiteral("4")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[Settings]\r\nBoxNo=3\r\nLeft=36\r\n[Defaults]\r\nDecPlaces=4\r\n"));
}

void TestSettingsStore::writeReplacesInPlaceAndKeepsOtherLines()
{
    write("; my notes\n[MX]\nNumLock=1\nMX1=hello\n\n[settings]\nBOXNO=1\n  ; keep me\nTop=5\n\n[Unknown]\nx=y\n");
    QVERIFY(IniFile::write(m_path, QStringLiteral("Settings"), QStringLiteral("BoxNo"), QStringLiteral("12")));
    QVERIFY(IniFile::write(m_path, QStringLiteral("Settings"), QStringLiteral("Left"), QStringLiteral("99")));
    QCOMPARE(bytes(), QByteArray("; my notes\n[MX]\nNumLock=1\nMX1=hello\n\n[settings]\nBOXNO=12\n  ; keep me\n"
                                 "Top=5\nLeft=99\r\n\n[Unknown]\nx=y\n"));
}

void TestSettingsStore::writeTurnsLineBreaksIntoBlanks()
{
    QVERIFY(IniFile::write(m_path, QStringLiteral("Search"), QStringLiteral("0"), QStringLiteral("a\r\nb\nc")));
    QCOMPARE(IniFile::read(m_path, QStringLiteral("Search"), QStringLiteral("0"), QString()), QStringLiteral("a  b c"));
    QVERIFY(IniFile::write(m_path, QStringLiteral("Search"), QStringLiteral("1"), QStringLiteral("\u65E5\u672C")));
    QCOMPARE(IniFile::read(m_path, QStringLiteral("Search"), QStringLiteral("1"), QString()), QStringLiteral("\u65E5\u672C"));
}

void TestSettingsStore::garbageLinesSurviveAndDoNotConfuse()
{
    const char raw[] = "\x00\xFF[[[\n=novalue\n]\n[Settings\nBoxNo=bad\n[Settings]\nBoxNo=4\n\xC3\x28 junk\n";
    const QByteArray garbage(raw, sizeof raw - 1); // with its leading NUL
    write(garbage);
    QCOMPARE(IniFile::read(m_path, QStringLiteral("Settings"), QStringLiteral("BoxNo"), QString()), QStringLiteral("4"));
    QVERIFY(IniFile::write(m_path, QStringLiteral("Settings"), QStringLiteral("BoxNo"), QStringLiteral("5")));
    QCOMPARE(IniFile::read(m_path, QStringLiteral("Settings"), QStringLiteral("BoxNo"), QString()), QStringLiteral("5"));
    QVERIFY(bytes().contains("=novalue\n]\n[Settings\nBoxNo=bad\n"));
    QVERIFY(bytes().contains(" junk\n"));
}

void TestSettingsStore::iniPathPrefersDataRoot()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("data")), dir.filePath(QStringLiteral("config")));
    const QString inConfig = dir.filePath(QStringLiteral("config/MoxenoTrellin.ini"));
    const QString inData = dir.filePath(QStringLiteral("data/MoxenoTrellin.ini"));
    QCOMPARE(store.IniPath(), inConfig);
    QVERIFY(store.IniWrite(QStringLiteral("Settings"), QStringLiteral("BoxNo"), QStringLiteral("2")));
    QVERIFY(QFileInfo::exists(inConfig));
    QCOMPARE(store.IniRead(QStringLiteral("Settings"), QStringLiteral("BoxNo"), QString()), QStringLiteral("2"));

    // A settings file appearing in the data folder takes over at the next access.
    QDir().mkpath(dir.filePath(QStringLiteral("data")));
    QFile file(inData);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\r\nBoxNo=9\r\n");
    file.close();
    QCOMPARE(store.IniPath(), inData);
    QCOMPARE(store.IniRead(QStringLiteral("Settings"), QStringLiteral("BoxNo"), QString()), QStringLiteral("9"));
    QFile::remove(inData);
    QCOMPARE(store.IniRead(QStringLiteral("Settings"), QStringLiteral("BoxNo"), QString()), QStringLiteral("2"));
}

void TestSettingsStore::defaultFoldersFollowXdg()
{
    const QByteArray home = qgetenv("HOME");
    QCOMPARE(Paths::defaultDataFolder(), QString::fromLocal8Bit(home) + QStringLiteral("/.local/share/MoxenoTrellin/"));
    QCOMPARE(Paths::configFolder(), QString::fromLocal8Bit(home) + QStringLiteral("/.config/MoxenoTrellin/"));
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "relative/ignored");
    QCOMPARE(Paths::defaultDataFolder(), QString::fromLocal8Bit(home) + QStringLiteral("/.local/share/MoxenoTrellin/"));
    qputenv("XDG_DATA_HOME", saved);
    QCOMPARE(Paths::withTrailingSlash(QStringLiteral("/a/b//")), QStringLiteral("/a/b/"));
    QCOMPARE(Paths::withTrailingSlash(QStringLiteral("/")), QStringLiteral("/"));
}

void TestSettingsStore::writeToUnwritablePlaceReportsFailure()
{
    // A plain file where the folder should be: fails even for root.
    write("not a folder");
    QString error;
    QVERIFY(!IniFile::write(m_path + QStringLiteral("/MoxenoTrellin.ini"), QStringLiteral("S"), QStringLiteral("K"),
                            QStringLiteral("V"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(bytes(), QByteArray("not a folder"));
}

TRELLIN_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
