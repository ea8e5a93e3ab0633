#include "DomainFixture.h"
#include "TestEnvironment.h"
#include "app/Startup.h"
#include "boxes/DataFiles.h"
#include "core/Paths.h"

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void firstStartCreatesFolderAndNames();
    void dataFolderProblemsSayWhatAndWhere();
    void shellSettings();
    void storedBox_data();
    void storedBox();
    void warnOverwriteIsOnOnlyForOne();
    void windowEdge_data();
    void windowEdge();
    void decPlacesAndColour();
    void garbageSettingsFileGivesDefaults();

private:
    void setIni(DomainFixture& fx, const QByteArray& content);
};

void TestStartup::setIni(DomainFixture& fx, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(fx.settings.IniPath()).absolutePath());
    QFile f(fx.settings.IniPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void TestStartup::firstStartCreatesFolderAndNames()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("not/yet/there")), dir.filePath(QStringLiteral("config")));
    StatusLog log;
    ScriptedPrompter prompter;
    AppState state(settings, log, prompter);
    Startup startup(state);
    QVERIFY(!startup.readShellSettings());
    QCOMPARE(state.dataFolder(), dir.filePath(QStringLiteral("not/yet/there/")));
    QCOMPARE(startup.prepareDataFolder(), std::nullopt);

    QFile names(DataFiles::namesFile(state.dataFolder()));
    QVERIFY(names.open(QIODevice::ReadOnly));
    const QByteArray bytes = names.readAll();
    QVERIFY(bytes.startsWith("Box 1\r\nBox 2\r\n"));
    QVERIFY(bytes.endsWith("Box 98\r\nBox 99\r\n"));
    QCOMPARE(bytes.count("\r\n"), 99);
    QCOMPARE(startup.storedBox(), 1);
    QVERIFY(!QFileInfo::exists(settings.IniPath())); // nothing is written at start-up
}

void TestStartup::dataFolderProblemsSayWhatAndWhere()
{
    DomainFixture fx;
    const QString missing = fx.dir.filePath(QStringLiteral("elsewhere/"));
    fx.state.setDataFolder(missing);
    std::optional<QString> error = Startup(fx.state).prepareDataFolder();
    QVERIFY(error && error->contains(missing) && error->contains(QStringLiteral("does not exist")));
    QVERIFY(!QFileInfo::exists(missing)); // a folder the user chose is never made up

    QFile plain(fx.dir.filePath(QStringLiteral("plainfile")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    fx.state.setDataFolder(plain.fileName());
    error = Startup(fx.state).prepareDataFolder();
    QVERIFY(error && error->contains(QStringLiteral("plainfile")));

    // A names file that cannot be created (a folder in its way).
    fx.state.setDataFolder(fx.dir.filePath(QStringLiteral("data")));
    QVERIFY(QDir().mkpath(DataFiles::namesFile(fx.folder()) + QStringLiteral("_/x")));
    error = Startup(fx.state).prepareDataFolder();
    QVERIFY(error && error->contains(QStringLiteral("names file")));
}

void TestStartup::shellSettings()
{
    DomainFixture fx;
    setIni(fx, "[MX]\r\nNumLock=1\r\nMX1=refill me\r\n[Defaults]\r\nDataPath=/some/where\r\n");
    Startup startup(fx.state);
    QVERIFY(startup.readShellSettings());
    QCOMPARE(fx.state.refillText(), QStringLiteral("refill me"));
    QCOMPARE(fx.state.dataFolder(), QStringLiteral("/some/where/"));

    setIni(fx, "[MX]\r\nNumLock=yes\r\n");
    QVERIFY(!startup.readShellSettings());
    setIni(fx, "[MX]\r\nNumLock=1.0\r\n");
    QVERIFY(startup.readShellSettings());
}

void TestStartup::storedBox_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("box");
    QTest::newRow("valid") << QByteArray("42") << 42;
    QTest::newRow("last") << QByteArray("99") << 99;
    QTest::newRow("zero") << QByteArray("0") << 1;
    QTest::newRow("too big") << QByteArray("100") << 1;
    QTest::newRow("negative") << QByteArray("-5") << 1;
    QTest::newRow("fraction") << QByteArray("7.5") << 1;
    QTest::newRow("text") << QByteArray("abc") << 1;
    QTest::newRow("empty") << QByteArray("") << 1;
}

void TestStartup::storedBox()
{
    QFETCH(QByteArray, value);
    QFETCH(int, box);
    DomainFixture fx;
    setIni(fx, "[Settings]\r\nBoxNo=" + value + "\r\n");
    QCOMPARE(Startup(fx.state).storedBox(), box);
}

void TestStartup::warnOverwriteIsOnOnlyForOne()
{
    DomainFixture fx;
    Startup startup(fx.state);
    startup.readWarnOverwrite();
    QVERIFY(fx.state.warnOverwrite()); // missing: on
    for (const QByteArray& off : { QByteArray("0"), QByteArray("yes"), QByteArray("1.0"), QByteArray("") }) {
        setIni(fx, "[Settings]\r\nWarnOverwrite=" + off + "\r\n");
        startup.readWarnOverwrite();
        QVERIFY2(!fx.state.warnOverwrite(), off.constData());
    }
    setIni(fx, "[Settings]\r\nWarnOverwrite=1\r\n");
    startup.readWarnOverwrite();
    QVERIFY(fx.state.warnOverwrite());
}

void TestStartup::windowEdge_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("edge");
    QTest::newRow("inside") << "1200" << 1200;
    QTest::newRow("at the limit") << "17700" << 17700; // 19200 - 1500
    QTest::newRow("beyond the limit") << "17701" << 36;
    QTest::newRow("not a number") << "left" << 36;
    QTest::newRow("empty") << "" << 36;
    QTest::newRow("default") << "36" << 36;
}

void TestStartup::windowEdge()
{
    QFETCH(QString, stored);
    QFETCH(int, edge);
    QCOMPARE(Startup::windowEdge(stored, 19200), edge);
}

void TestStartup::decPlacesAndColour()
{
    for (const char* ok : { "-", "0", "4", "9" })
        QCOMPARE(Startup::validDecPlaces(QLatin1String(ok)), QLatin1String(ok));
    for (const char* bad : { "", "10", "x", "--", " 4", "\u0663" })
        QCOMPARE(Startup::validDecPlaces(QString::fromUtf8(bad)), QStringLiteral("4"));

    QCOMPARE(Startup::clipColour(QStringLiteral("16761024")), std::optional<unsigned>(0xFFC0C0));
    QCOMPARE(Startup::clipColour(QStringLiteral("255")), std::optional<unsigned>(0x0000FF));
    QCOMPARE(Startup::clipColour(QStringLiteral("0")), std::nullopt);
    QCOMPARE(Startup::clipColour(QStringLiteral("rubbish")), std::nullopt);
    QCOMPARE(Startup::clipColour(QStringLiteral("99999999")), std::optional<unsigned>(Startup::kDefaultClipColour));
}

void TestStartup::garbageSettingsFileGivesDefaults()
{
    DomainFixture fx;
    const char raw[] = "\x00\x01\xFF garbage\n[Settings\nBoxNo\n==\n[]\n";
    setIni(fx, QByteArray(raw, sizeof raw - 1));
    Startup startup(fx.state);
    QVERIFY(!startup.readShellSettings());
    QCOMPARE(startup.storedBox(), 1);
    startup.readWarnOverwrite();
    QVERIFY(fx.state.warnOverwrite());
    QCOMPARE(fx.state.dataFolder(), fx.settings.dataRoot());
}

TRELLIN_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
