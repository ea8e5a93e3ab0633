#include "DomainFixture.h"
#include "boxes/Startup.h"
#include "core/DataFiles.h"

// The start-up steps: what is wrong with a data folder, and the stored settings they read.
class TestStartup : public QObject
{
    Q_OBJECT

    DomainFixture fx;
    void setIni(const QByteArray& content) { QVERIFY(TestFiles::write(fx.settingsStore.iniPath(), content)); }
    QString folderProblem() { return Startup(fx.context).prepareDataFolder().error(); }

private slots:
    void dataFolderProblemsSayWhatAndWhere()
    {
        // A missing folder is told at start-up, and never made up (TestStartProcedure).
        QVERIFY(TestFiles::write(fx.dir.filePath(QStringLiteral("plainfile")), QByteArray()));
        fx.context.setDataFolder(fx.dir.filePath(QStringLiteral("plainfile")));
        QVERIFY(folderProblem().contains(QStringLiteral("plainfile")));

        // A names file that cannot be created (a folder in its way).
        fx.context.setDataFolder(fx.dir.filePath(QStringLiteral("data")));
        QVERIFY(QDir().mkpath(DataFiles::namesFile(fx.folder()) + QStringLiteral("_/x")));
        QVERIFY(folderProblem().contains(QStringLiteral("names file")));
    }

    // NumLock is any form of the number 1, the box a whole number from 1 to 99; WarnOverwrite is
    // on only when missing or "1" (each "off" row follows an "on" one, so every row changes it).
    void storedSettings()
    {
        Startup startup(fx.context);
        setIni("[MX]\r\nNumLock=1.0\r\nMX1=refill me\r\n[Defaults]\r\nDataPath=/some/where\r\n");
        QVERIFY(startup.readShellSettings());
        QCOMPARE(fx.context.refillText(), QStringLiteral("refill me"));
        QCOMPARE(fx.context.dataFolder(), QStringLiteral("/some/where/"));
        setIni("[MX]\r\nNumLock=yes\r\n");
        QVERIFY(!startup.readShellSettings());

        for (const auto& [lines, box, warn] :
            {std::tuple {"BoxNo=99\r\nWarnOverwrite=0", 99, false}, {"BoxNo=100", 1, true},
                {"BoxNo=0\r\nWarnOverwrite=1.0", 1, false}, {"BoxNo=7.5\r\nWarnOverwrite=1", 1, true}}) {
            setIni(QByteArray("[Settings]\r\n") + lines + "\r\n");
            startup.readWarnOverwrite();
            QVERIFY2(startup.storedBox() == box && fx.context.warnOverwrite() == warn, lines);
        }
    }
};

TRELLIN_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
