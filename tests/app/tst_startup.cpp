#include "DomainFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "app/Startup.h"
#include "boxes/DataFiles.h"

// The start-up steps: what is wrong with a data folder, and every stored setting with its
// fallback for a value that cannot be used. A first start runs in tst_startprocedure.
class TestStartup : public QObject
{
    Q_OBJECT

    static void setIni(DomainFixture& fx, const QByteArray& content)
    {
        QVERIFY(TestFiles::write(fx.settings.IniPath(), content));
    }

private slots:
    void dataFolderProblemsSayWhatAndWhere()
    {
        DomainFixture fx;
        const QString missing = fx.dir.filePath(QStringLiteral("elsewhere/"));
        fx.state.setDataFolder(missing);
        std::optional<QString> error = Startup(fx.state).prepareDataFolder();
        QCOMPARE(error, QStringLiteral("The data folder %1 does not exist.").arg(missing));
        QVERIFY(!QFileInfo::exists(missing)); // a folder the user chose is never made up

        QVERIFY(TestFiles::write(fx.dir.filePath(QStringLiteral("plainfile")), QByteArray()));
        fx.state.setDataFolder(fx.dir.filePath(QStringLiteral("plainfile")));
        error = Startup(fx.state).prepareDataFolder();
        QVERIFY(error && error->contains(QStringLiteral("plainfile")));

        // A names file that cannot be created (a folder in its way).
        fx.state.setDataFolder(fx.dir.filePath(QStringLiteral("data")));
        QVERIFY(QDir().mkpath(DataFiles::namesFile(fx.folder()) + QStringLiteral("_/x")));
        error = Startup(fx.state).prepareDataFolder();
        QVERIFY(error && error->contains(QStringLiteral("names file")));
    }

    // NumLock counts only as the number 1; the refill text and data folder come along.
    void shellSettings()
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

    // The box must be a whole number from 1 to 99; WarnOverwrite is on only when missing or "1".
    void storedBoxAndWarnOverwrite()
    {
        DomainFixture fx;
        Startup startup(fx.state);
        for (const auto& [value, box] :
            {std::pair {"99", 99}, {"100", 1}, {"0", 1}, {"7.5", 1}, {"abc", 1}}) {
            setIni(fx, QByteArray("[Settings]\r\nBoxNo=") + value + "\r\n");
            QCOMPARE(startup.storedBox(), box);
        }

        startup.readWarnOverwrite();
        QVERIFY(fx.state.warnOverwrite()); // still not in the file
        for (const char* off : {"0", "1.0", ""}) {
            setIni(fx, QByteArray("[Settings]\r\nWarnOverwrite=") + off + "\r\n");
            startup.readWarnOverwrite();
            QVERIFY2(!fx.state.warnOverwrite(), off);
        }
        setIni(fx, "[Settings]\r\nWarnOverwrite=1\r\n");
        startup.readWarnOverwrite();
        QVERIFY(fx.state.warnOverwrite());
    }

    // Values from the settings file: a window edge must leave room on the screen; a clip colour
    // of 0 means none, one beyond 0xFFFFFF the default.
    void settingValues()
    {
        QCOMPARE(Startup::windowEdge(QStringLiteral("17700"), 19200), 17700); // 19200 - 1500
        QCOMPARE(Startup::windowEdge(QStringLiteral("17701"), 19200), 36);
        QCOMPARE(Startup::windowEdge(QStringLiteral("left"), 19200), 36);

        QCOMPARE(Startup::clipColour(QStringLiteral("0")), std::nullopt);
        QCOMPARE(Startup::clipColour(QStringLiteral("99999999")),
            std::optional<unsigned>(Startup::kDefaultClipColour));
    }
};

TRELLIN_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
