#include "DialogScript.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "app/Form1.h"
#include "app/TrellinApp.h"
#include "boxes/DataFiles.h"
#include "boxes/PositionButtonsFrame.h"
#include "core/Paths.h"
#include "platform/QtClipboard.h"

#include <QDir>
#include <QMessageBox>
#include <QTabBar>

// The program's start procedure with the real main window, on the folders of a fresh home.
class TestStartProcedure : public QObject
{
    Q_OBJECT

private:
    QtClipboard m_clipboard;

    static QString dataFolder() { return Paths::defaultDataFolder(); }
    static QString iniPath() { return Paths::configFolder() + QStringLiteral("MoxenoTrellin.ini"); }
    static void write(const QString& path, const QByteArray& content)
    {
        QVERIFY(TestFiles::write(path, content));
    }
    static QTabBar* tabs(TrellinApp& app) { return app.form()->findChild<QTabBar*>("TabStripMain"); }

private slots:
    void init()
    {
        QDir(dataFolder()).removeRecursively();
        QDir(Paths::configFolder()).removeRecursively();
    }

    // The default data folder is made with a full names file; the settings file is not written.
    void firstStartCreatesNamesAndOpensBoxOne()
    {
        bool numLock = false;
        TrellinApp app(m_clipboard, {{}, [&numLock] { numLock = true; }, nullptr});
        QVERIFY(app.start());
        QVERIFY(!numLock);
        QFile names(DataFiles::namesFile(dataFolder()));
        QVERIFY(names.open(QIODevice::ReadOnly));
        const QByteArray bytes = names.readAll();
        QVERIFY(bytes.startsWith("Box 1\r\nBox 2\r\n") && bytes.endsWith("\r\nBox 99\r\n"));
        QCOMPARE(bytes.count("\r\n"), 99);
        QVERIFY(!QFile::exists(iniPath()));
        QCOMPARE(app.state().currentBox(), 1);
        QCOMPARE(app.form()->viewerTitle(), QString());
        QVERIFY(app.form()->isVisible());
        QCOMPARE(app.form()->positionButtons()->buttonColour(), QColor(0xC0, 0xC0, 0xFF));
    }

    // The stored box opens with its texts; a left edge beyond the screen falls back to 36 twips.
    // The names file gives the tabs their captions, cut to 15 characters, and a short one leaves
    // the other boxes their default names.
    void storedSettingsAreRestored()
    {
        write(iniPath(),
            "[settings]\r\nBoxNo=7\r\nLeft=999999\r\nTop=450\r\nWarnOverwrite=0\r\nClipColour=255\r\n"
            "[MX]\r\nNumLock=1\r\n");
        write(DataFiles::boxFile(dataFolder(), 7), "03!\xac:seven\r\n");
        write(DataFiles::namesFile(dataFolder()), "Letters\r\nA name of twenty chars\r\n");
        bool numLock = false;
        TrellinApp app(m_clipboard, {{}, [&numLock] { numLock = true; }, nullptr});
        QVERIFY(app.start());
        QCOMPARE(tabs(app)->tabText(0), QStringLiteral("Letters"));
        QCOMPARE(tabs(app)->tabText(1), QStringLiteral("A name of twent"));
        QCOMPARE(tabs(app)->tabText(6), QStringLiteral("Box 7"));
        QCOMPARE(app.state().currentBox(), 7);
        QCOMPARE(tabs(app)->currentIndex(), 6);
        QCOMPARE(app.store().cached(3), QStringLiteral("seven"));
        QCOMPARE(app.form()->pos(), QPoint(2, 30)); // left beyond the screen gives 36 twips
        QVERIFY(!app.state().warnOverwrite());
        QCOMPARE(app.form()->positionButtons()->buttonColour(), QColor(0xFF, 0, 0)); // 0xBBGGRR
        QVERIFY(numLock);
    }

    void missingDataFolderShowsWhyAndFails()
    {
        write(iniPath(), "[Defaults]\r\nDataPath=/nonexistent/trellin-data/\r\n");
        DialogScript dialogs;
        dialogs.expect([](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box && box->icon() == QMessageBox::Critical);
            box->accept();
        });
        TrellinApp app(m_clipboard, {});
        QVERIFY(!app.start());
        QCOMPARE(dialogs.seen.size(), 1);
        QVERIFY(dialogs.seen.at(0).contains(
            QStringLiteral("The data folder /nonexistent/trellin-data/ does not exist.")));
        QVERIFY(!app.form());
    }
};

TRELLIN_GUI_TEST_MAIN(TestStartProcedure)
#include "tst_startprocedure.moc"
