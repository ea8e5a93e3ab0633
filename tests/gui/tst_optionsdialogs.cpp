#include "DialogScript.h"
#include "GuiTestMain.h"
#include "TestFiles.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/PositionActions.h"
#include "core/DataContext.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/StatusLog.h"
#include "gui/boxes/PositionButton.h"
#include "gui/boxes/PositionButtonsFrame.h"
#include "gui/dialogs/GuiPrompter.h"
#include "gui/main/HelpWindow.h"
#include "gui/main/MainWindow.h"
#include "gui/options/AboutDialog.h"
#include "gui/options/AdvancedOptionsDialog.h"
#include "gui/options/OptionsPickers.h"
#include "platform/RecordingPlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>

// Answers the colour picker and the folder browser from a script; nothing left means cancel.
class ScriptedPickers : public OptionsPickers
{
public:
    QList<std::optional<QColor>> colours;
    QList<std::optional<QString>> folders;
    QStringList folderTitles;

    std::optional<QColor> pickColour(const QColor&, QWidget*) override
    {
        return colours.isEmpty() ? std::nullopt : colours.takeFirst();
    }
    std::optional<QString> pickFolder(const QString& title, const QString&, QWidget*) override
    {
        folderTitles.append(title);
        return folders.isEmpty() ? std::nullopt : folders.takeFirst();
    }
};

// The main window over a fresh data folder, with scripted pickers and dialogs.
struct OptionsFixture
{
    OptionsFixture()
    {
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
        context.setDataFolder(dir.filePath(QStringLiteral("data")));
        prompter.setParentWindow(&window);
        window.setOptionsPickers(pickers);
        window.setCaptions(boxes.captions());
        window.selectBox(1);
    }

    QString oldFolder() const { return dir.filePath(QStringLiteral("data/")); }
    QString stored(Settings::Key key) const { return settings.text(key); }

    QTemporaryDir dir;
    SettingsStore settingsStore {
        dir.filePath(QStringLiteral("data")), dir.filePath(QStringLiteral("config"))};
    Settings settings {settingsStore};
    StatusLog log;
    RecordingPlatform clipboard;
    GuiPrompter prompter {settings, clipboard};
    DataContext context {settings, log, prompter};
    BoxStore store {context};
    BoxManager boxes {context, store, clipboard};
    PositionActions actions {context, store, clipboard};
    HelpWindow help;
    ScriptedPickers pickers;
    DialogScript dialogs;
    MainWindow window {context, store, boxes, actions, clipboard, help};
};

class TestOptionsDialogs : public QObject
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { m_opened.append(url); }

private:
    std::unique_ptr<OptionsFixture> f;
    QList<QUrl> m_opened;

    template<typename T = QWidget> static T* in(QWidget& w, const char* name)
    {
        return w.findChild<T*>(QLatin1String(name));
    }
    static void click(QWidget& w, const char* name, Qt::MouseButton button = Qt::LeftButton)
    {
        QWidget* control = in(w, name);
        QVERIFY2(control, name);
        QTest::mouseClick(control, button);
    }
    // Opens "About..." from the window's menu; "work" acts in it before Close is clicked.
    void throughAbout(std::function<void(QDialog&)> work)
    {
        f->dialogs.expect([work](QDialog& about) {
            work(about);
            click(about, "LabelClose");
        });
        auto* menu = f->window.findChild<QComboBox*>(QStringLiteral("ComboMain"));
        emit menu->activated(menu->findText(QStringLiteral("About this software")));
        QCOMPARE(f->dialogs.seen.value(0), QStringLiteral("About...|"));
    }
    // The colour every position button shows, or an invalid one when they differ.
    QColor buttonsColour()
    {
        QColor common;
        for (int position = 1; position <= 99; ++position) {
            const QColor shown
                = f->window.positionButtons()->button(position)->grab().toImage().pixelColor(3, 3);
            if (position > 1 && shown != common)
                return QColor();
            common = shown;
        }
        return common;
    }
    // An advanced options dialog on its own, shown as Save and Cancel find it.
    std::unique_ptr<AdvancedOptionsDialog> advanced()
    {
        auto dialog = std::make_unique<AdvancedOptionsDialog>(f->context, f->pickers);
        f->dialogs.expect([](QDialog&) {}); // the dialog is worked from the test itself
        dialog->show();
        (void)QTest::qWaitFor([this] { return f->dialogs.usedUp(); }); // cleanup() fails when it never came
        f->dialogs.seen.clear();
        return dialog;
    }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    void init()
    {
        f = std::make_unique<OptionsFixture>();
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
    }
    void cleanup()
    {
        QVERIFY2(f->dialogs.usedUp(), "an expected dialog did not open");
        f.reset();
    }

    // Left click: the picked colour, except black; cancelling changes nothing. Any other
    // button: the default. The colour reaches all 99 buttons and the settings.
    void buttonColour_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<std::optional<QColor>>("picked");
        QTest::addColumn<QColor>("shown");
        QTest::addColumn<QString>("stored");
        const QColor before(10, 200, 30);
        QTest::newRow("right: default")
            << int(Qt::RightButton) << std::optional<QColor>() << QColor(192, 192, 255) << "16761024";
        QTest::newRow("middle: default")
            << int(Qt::MiddleButton) << std::optional<QColor>() << QColor(192, 192, 255) << "16761024";
        QTest::newRow("left: picked") << int(Qt::LeftButton) << std::optional<QColor>(QColor(255, 128, 1))
                                      << QColor(255, 128, 1) << QString::number(255 + 256 * 128 + 65536);
        QTest::newRow("left: black refused")
            << int(Qt::LeftButton) << std::optional<QColor>(QColor(0, 0, 0)) << before << "";
        QTest::newRow("left: cancelled") << int(Qt::LeftButton) << std::optional<QColor>() << before << "";
    }
    void buttonColour()
    {
        QFETCH(int, button);
        QFETCH(std::optional<QColor>, picked);
        QFETCH(QColor, shown);
        QFETCH(QString, stored);
        f->window.positionButtons()->setButtonColour(QColor(10, 200, 30));
        f->pickers.colours = {picked};
        QColor inDialog;
        throughAbout([&](QDialog& about) {
            click(about, "CommandClipTextCol", Qt::MouseButton(button));
            inDialog = in<QPushButton>(about, "CommandClipTextCol")->grab().toImage().pixelColor(5, 5);
        });
        QCOMPARE(buttonsColour(), shown);
        QCOMPARE(inDialog, shown);
        QCOMPARE(f->stored(Settings::Key::ClipColour), stored.isEmpty() ? QString("16761024") : stored);
        QCOMPARE(TestFiles::read(f->settingsStore.iniPath()).contains("ClipColour"), !stored.isEmpty());
    }

    // Clearing the tick and closing turns the overwrite question off; ticking it brings it back.
    void warningOption()
    {
        (void)f->store.savePosition(QStringLiteral("old"), 4, 1, true);
        const auto setTick = [](bool on) {
            return [on](QDialog& about) { in<QCheckBox>(about, "CheckOverwriteMsg")->setChecked(on); };
        };
        throughAbout([](QDialog& about) {
            auto* tick = in<QCheckBox>(about, "CheckOverwriteMsg");
            QVERIFY(tick->isChecked());
            QCOMPARE(tick->text(), QStringLiteral("  Warn me before overwriting or deleting saved text"));
            QCOMPARE(in<QLabel>(about, "lblVersion")->text(), QStringLiteral("Release " TRELLIN_VERSION));
            tick->setChecked(false);
        });
        QVERIFY(!f->context.warnOverwrite());
        QCOMPARE(f->stored(Settings::Key::WarnOverwrite), QStringLiteral("0"));
        QVERIFY(f->store.savePosition(
            QStringLiteral("new"), 4, 1, false)); // no question: DialogScript would fail

        f->dialogs.seen.clear();
        throughAbout(setTick(true));
        QVERIFY(f->context.warnOverwrite());
        QCOMPARE(f->stored(Settings::Key::WarnOverwrite), QStringLiteral("1"));
        f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelNo")));
        QVERIFY(f->store.savePosition(QStringLiteral("newer"), 4, 1, false));
        QCOMPARE(f->store.readPosition(4, 1), QStringLiteral("new"));
    }

    // The maker's page opens from the About dialog; Help in the advanced options opens the help.
    void makerPageAndHelp()
    {
        throughAbout([this](QDialog& about) {
            click(about, "lblVisitMoxeno");
            QCOMPARE(m_opened.size(), 1);
            f->dialogs.expect([](QDialog& advanced) {
                QCOMPARE(advanced.windowTitle(), QStringLiteral("Moxeno Trellin - advanced options"));
                click(advanced, "LabelHelp");
                click(advanced, "LabelCancel");
            });
            click(about, "LabelAdvanced");
        });
        QVERIFY(f->help.isVisible());
    }

    void delayIsCheckedOnSave_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        for (const char* zero : {"0", "", "abc", "-0", " \t"})
            QTest::newRow(zero) << zero << "0.01";
        for (const char* tiny : {"0.0001", "-3", "0.00099"})
            QTest::newRow(tiny) << tiny << "0.001";
        for (const char* big : {"25", "10.0001", "1e9"})
            QTest::newRow(big) << big << "10";
        for (const char* kept : {"0.001", "10", "2.5", "3 seconds", "1E-3"})
            QTest::newRow(kept) << kept << kept;
    }
    void delayIsCheckedOnSave()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const auto dialog = advanced();
        in<QLineEdit>(*dialog, "TextDelay")->setText(typed);
        click(*dialog, "LabelClose");
        QVERIFY(!dialog->isVisible());
        QCOMPARE(in<QLineEdit>(*dialog, "TextDelay")->text(), stored);
        QCOMPARE(f->stored(Settings::Key::MacroDelay), stored);
    }

    // Reset defaults, or a new folder, followed by Cancel stores and moves nothing.
    void cancelStoresNothing()
    {
        QVERIFY(f->settings.setText(Settings::Key::MacroDelay, QStringLiteral("5")));
        QVERIFY(f->settings.setFlag(Settings::Key::MacroPromptBefore, false));
        QVERIFY(f->settings.setFlag(Settings::Key::MacroInformAfter, false));
        const QByteArray ini = TestFiles::read(f->settingsStore.iniPath());
        QVERIFY(TestFiles::write(f->oldFolder() + "MoxenoTrellin1.txt", "01!\xC2\xAC:kept\r\n"));
        f->pickers.folders = {f->dir.filePath(QStringLiteral("elsewhere"))};

        const auto dialog = advanced();
        QCOMPARE(in<QLineEdit>(*dialog, "TextDelay")->text(), QStringLiteral("5"));
        QVERIFY(!in<QCheckBox>(*dialog, "CheckPromptBeforeMacro")->isChecked());
        click(*dialog, "LabelResetDefaults");
        click(*dialog, "CommandGetDataPath");
        QCOMPARE(in<QLineEdit>(*dialog, "TextDelay")->text(), QStringLiteral("0.01"));
        QVERIFY(in<QCheckBox>(*dialog, "CheckPromptBeforeMacro")->isChecked());
        QVERIFY(in<QCheckBox>(*dialog, "CheckMacroInformAfter")->isChecked());
        click(*dialog, "LabelCancel");
        QVERIFY(!dialog->isVisible());
        QCOMPARE(TestFiles::read(f->settingsStore.iniPath()), ini);
        QVERIFY(QFileInfo::exists(f->oldFolder() + "MoxenoTrellin1.txt"));
        QCOMPARE(f->context.dataFolder(), f->oldFolder());
    }

    // The chosen folder gets one trailing separator; cancelling the browser keeps the shown one.
    void folderChoice_data()
    {
        QTest::addColumn<std::optional<QString>>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("without separator")
            << std::optional<QString>("/tmp/some folder") << "/tmp/some folder/";
        QTest::newRow("with separator") << std::optional<QString>("/tmp/x/") << "/tmp/x/";
        QTest::newRow("root") << std::optional<QString>("/") << "/";
        QTest::newRow("cancelled") << std::optional<QString>() << "";
    }
    void folderChoice()
    {
        QFETCH(std::optional<QString>, chosen);
        QFETCH(QString, shown);
        f->pickers.folders = {chosen};
        const auto dialog = advanced();
        click(*dialog, "CommandGetDataPath");
        QCOMPARE(f->pickers.folderTitles, QStringList {"Select a folder ..."});
        QCOMPARE(in<QLabel>(*dialog, "LabelDataPath")->text(), shown.isEmpty() ? f->oldFolder() : shown);
        QVERIFY(!QFileInfo::exists(f->settingsStore.iniPath())); // nothing stored yet
    }

    // Save moves the data files; the window then shows the boxes from the new folder.
    void saveMovesTheDataFiles()
    {
        (void)f->store.savePosition(QStringLiteral("travels"), 3, 1, true);
        QVERIFY(f->boxes.renameBox(1, QStringLiteral("Moved box")));
        const QString target = f->dir.filePath(QStringLiteral("new home"));
        f->pickers.folders = {target};
        throughAbout([this](QDialog& about) {
            f->dialogs.expect([](QDialog& advanced) {
                click(advanced, "CommandGetDataPath");
                click(advanced, "LabelClose");
            });
            click(about, "LabelAdvanced");
        });
        QCOMPARE(f->context.dataFolder(), target + u'/');
        QCOMPARE(f->stored(Settings::Key::DataPath), target + u'/');
        QVERIFY(QFileInfo::exists(target + QStringLiteral("/MoxenoTrellin1.txt")));
        QVERIFY(!QFileInfo::exists(f->oldFolder() + QStringLiteral("MoxenoTrellin1.txt")));
        // The tabs are read anew from the new folder; the rename alone did not reach them.
        QCOMPARE(f->window.boxCaption(1), QStringLiteral("Moved box"));
        QCOMPARE(f->store.cached(3), QStringLiteral("travels"));
    }

    // A refused move is told, and the dialog stays open on the chosen folder with the old one in use.
    void failedMoveIsToldAndKeepsTheDialog()
    {
        QVERIFY(TestFiles::write(f->oldFolder() + "MoxenoTrellin2.txt", "mine"));
        const QString target = f->dir.filePath(QStringLiteral("taken"));
        QVERIFY(TestFiles::write(target + "/MoxenoTrellin2.txt", "theirs"));
        f->pickers.folders = {target};
        const auto dialog = advanced();
        click(*dialog, "CommandGetDataPath");
        f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok));
        click(*dialog, "LabelClose");
        QVERIFY(dialog->isVisible());
        QVERIFY2(
            f->dialogs.seen.value(0).contains("MoxenoTrellin2.txt"), qPrintable(f->dialogs.seen.value(0)));
        QCOMPARE(in<QLabel>(*dialog, "LabelDataPath")->text(), target + u'/');
        QCOMPARE(f->context.dataFolder(), f->oldFolder());
        QCOMPARE(TestFiles::read(target + "/MoxenoTrellin2.txt"), QByteArray("theirs"));
        QCOMPARE(TestFiles::read(f->oldFolder() + "MoxenoTrellin2.txt"), QByteArray("mine"));
        click(*dialog, "LabelCancel");
        QCOMPARE(f->stored(Settings::Key::DataPath), QString());
    }
};

TRELLIN_GUI_TEST_MAIN(TestOptionsDialogs)
#include "tst_optionsdialogs.moc"
