#include "DialogScript.h"
#include "TestEnvironment.h"
#include "app/Form1.h"
#include "app/TrellinApp.h"
#include "boxes/DataFiles.h"
#include "boxes/PositionButtonsFrame.h"
#include "core/Paths.h"
#include "platform/QtClipboard.h"

#include <QDir>
#include <QMessageBox>
#include <QSlider>
#include <QTabBar>

// The program's start procedure with the real main window, on the folders of a fresh home.
class TestStartProcedure : public QObject
{
    Q_OBJECT

private:
    QtClipboard m_clipboard;

    static QString dataFolder() { return Paths::defaultDataFolder(); }
    static void write(const QString& folder, const QString& name, const QByteArray& content)
    {
        QDir().mkpath(folder);
        QFile file(folder + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    static void writeIni(const QByteArray& content)
    {
        write(Paths::configFolder(), QStringLiteral("MoxenoTrellin.ini"), content);
    }
    static QTabBar* tabs(TrellinApp& app)
    {
        return app.form()->findChild<QTabBar*>(QStringLiteral("TabStripMain"));
    }

private slots:
    void init()
    {
        QDir(dataFolder()).removeRecursively();
        QDir(Paths::configFolder()).removeRecursively();
    }

    void firstStartCreatesNamesAndOpensBoxOne()
    {
        TrellinApp app(m_clipboard, {});
        QVERIFY(app.start());
        QVERIFY(QFile::exists(DataFiles::namesFile(dataFolder())));
        QCOMPARE(tabs(app)->count(), 99);
        QCOMPARE(tabs(app)->tabText(0), QStringLiteral("Box 1"));
        QCOMPARE(tabs(app)->tabText(98), QStringLiteral("Box 99"));
        QCOMPARE(app.state().currentBox(), 1);
        QCOMPARE(app.form()->statusText(), QStringLiteral("Ready"));
        QCOMPARE(app.form()->viewerTitle(), QString());
        QCOMPARE(app.form()->viewerText(), QString());
        QCOMPARE(app.form()->pos(), QPoint(2, 2)); // 36 twips
        QVERIFY(app.form()->isVisible());
        QVERIFY(app.state().warnOverwrite());
        QCOMPARE(app.form()->positionButtons()->buttonColour(), QColor(0xC0, 0xC0, 0xFF));
    }

    void shortNamesFileKeepsDefaultsForTheRest()
    {
        write(dataFolder(), QStringLiteral("MoxenoTrellinNames.txt"),
            "Letters\r\nA name of twenty chars\r\nCode\r\n");
        TrellinApp app(m_clipboard, {});
        QVERIFY(app.start());
        QCOMPARE(tabs(app)->tabText(0), QStringLiteral("Letters"));
        QCOMPARE(tabs(app)->tabText(1), QStringLiteral("A name of twent"));
        QCOMPARE(tabs(app)->tabText(2), QStringLiteral("Code"));
        QCOMPARE(tabs(app)->tabText(3), QStringLiteral("Box 4"));
    }

    void storedSettingsAreRestored()
    {
        writeIni("[settings]\r\nBoxNo=7\r\nLeft=999999\r\nTop=450\r\nWarnOverwrite=0\r\nClipColour=255\r\n");
        write(dataFolder(), QStringLiteral("MoxenoTrellin7.txt"), "03!\xac:seven\r\n");
        TrellinApp app(m_clipboard, {});
        QVERIFY(app.start());
        QCOMPARE(app.state().currentBox(), 7);
        QCOMPARE(tabs(app)->currentIndex(), 6);
        QCOMPARE(app.form()->findChild<QSlider*>(QStringLiteral("Slider1"))->value(), 7);
        QCOMPARE(app.store().cached(3), QStringLiteral("seven"));
        QCOMPARE(app.form()->pos(), QPoint(2, 30)); // left beyond the screen gives 36 twips
        QVERIFY(!app.state().warnOverwrite());
        QCOMPARE(app.form()->positionButtons()->buttonColour(), QColor(0xFF, 0, 0)); // 0xBBGGRR
    }

    void numLockIsSwitchedOnWhenAsked_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("switched");
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("0") << QByteArray("0") << false;
    }
    void numLockIsSwitchedOnWhenAsked()
    {
        QFETCH(QByteArray, value);
        writeIni("[MX]\r\nNumLock=" + value + "\r\n");
        bool called = false;
        TrellinApp app(m_clipboard, {{}, [&called] { called = true; }, nullptr});
        QVERIFY(app.start());
        QTEST(called, "switched");
    }

    void missingDataFolderShowsWhyAndFails()
    {
        writeIni("[Defaults]\r\nDataPath=/nonexistent/trellin-data/\r\n");
        DialogScript dialogs;
        QString shown;
        dialogs.expect([&shown](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            QCOMPARE(box->icon(), QMessageBox::Critical);
            shown = box->text();
            box->accept();
        });
        TrellinApp app(m_clipboard, {});
        QVERIFY(!app.start());
        QVERIFY(shown.contains(QStringLiteral("/nonexistent/trellin-data/")));
        QVERIFY(shown.contains(QStringLiteral("does not exist")));
        QVERIFY(!app.form());
    }
};

TRELLIN_GUI_TEST_MAIN(TestStartProcedure)
#include "tst_startprocedure.moc"
