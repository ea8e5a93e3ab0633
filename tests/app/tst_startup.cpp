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

    DomainFixture fx;
    void setIni(const QByteArray& content) { QVERIFY(TestFiles::write(fx.settings.IniPath(), content)); }
    QString folderProblem() { return Startup(fx.state).prepareDataFolder().value_or(QString()); }

private slots:
    void dataFolderProblemsSayWhatAndWhere()
    {
        const QString missing = fx.dir.filePath(QStringLiteral("elsewhere/"));
        fx.state.setDataFolder(missing);
        QCOMPARE(folderProblem(), QStringLiteral("The data folder %1 does not exist.").arg(missing));
        QVERIFY(!QFileInfo::exists(missing)); // a folder the user chose is never made up

        QVERIFY(TestFiles::write(fx.dir.filePath(QStringLiteral("plainfile")), QByteArray()));
        fx.state.setDataFolder(fx.dir.filePath(QStringLiteral("plainfile")));
        QVERIFY(folderProblem().contains(QStringLiteral("plainfile")));

        // A names file that cannot be created (a folder in its way).
        fx.state.setDataFolder(fx.dir.filePath(QStringLiteral("data")));
        QVERIFY(QDir().mkpath(DataFiles::namesFile(fx.folder()) + QStringLiteral("_/x")));
        QVERIFY(folderProblem().contains(QStringLiteral("names file")));
    }

    // NumLock counts as the number 1 only; the refill text and data folder come along. The box
    // must be a whole number from 1 to 99; WarnOverwrite is on only when missing or "1" (each
    // "off" row follows an "on" one, so every row changes the setting).
    void storedSettings()
    {
        Startup startup(fx.state);
        setIni("[MX]\r\nNumLock=1.0\r\nMX1=refill me\r\n[Defaults]\r\nDataPath=/some/where\r\n");
        QVERIFY(startup.readShellSettings());
        QCOMPARE(fx.state.refillText(), QStringLiteral("refill me"));
        QCOMPARE(fx.state.dataFolder(), QStringLiteral("/some/where/"));
        setIni("[MX]\r\nNumLock=yes\r\n");
        QVERIFY(!startup.readShellSettings());

        for (const auto& [lines, box, warn] : {std::tuple {"BoxNo=99\r\nWarnOverwrite=0", 99, false},
                 {"BoxNo=100", 1, true}, {"BoxNo=0\r\nWarnOverwrite=1.0", 1, false},
                 {"BoxNo=7.5\r\nWarnOverwrite=1", 1, true}, {"BoxNo=abc\r\nWarnOverwrite=", 1, false}}) {
            setIni(QByteArray("[Settings]\r\n") + lines + "\r\n");
            startup.readWarnOverwrite();
            QVERIFY2(startup.storedBox() == box && fx.state.warnOverwrite() == warn, lines);
        }
    }

    // A window edge must leave room on the screen; a clip colour of 0 means none, one beyond
    // 0xFFFFFF the default.
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
