#include "DataColumns.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "core/SessionAutostart.h"
#include "gui/boxes/PositionButton.h"
#include "gui/boxes/PositionButtonsFrame.h"
#include "gui/options/AdvancedOptionsDialog.h"
#include "gui/options/OptionsPickers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSet>

// Answers the colour picker and the folder browser from a script; nothing left means cancel.
class ScriptedPickers : public OptionsPickers
{
public:
    std::optional<QColor> colour;
    std::optional<QString> folder;

    std::optional<QColor> pickColour(const QColor&, QWidget*) override { return std::exchange(colour, {}); }
    std::optional<QString> pickFolder(const QString&, const QString&, QWidget*) override
    {
        return std::exchange(folder, {});
    }
};

// The main window with scripted colour and folder pickers.
struct OptionsFixture : MainWindowFixture
{
    OptionsFixture() { window.setOptionsPickers(pickers); }

    QString oldFolder() const { return dir.filePath(QStringLiteral("data/")); }
    QString stored(Settings::Key key) const { return settings.text(key); }

    ScriptedPickers pickers;
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
        QTest::mouseClick(in(w, name), button);
    }
    // Opens "About..." from the window's menu; "work" acts in it, then Close is clicked.
    void throughAbout(std::function<void(QDialog&)> work)
    {
        f->dialogs.seen.clear();
        auto* menu = f->window.findChild<QComboBox*>(QStringLiteral("ComboMain"));
        f->dialogs.expect([work, menu](QDialog& about) {
            const QString shown = menu->currentText();
            work(about);
            click(about, "LabelClose");
            QCOMPARE(shown, QStringLiteral("Select"));
        });
        menu->setCurrentIndex(menu->findText(QStringLiteral("About this software")));
        emit menu->activated(menu->currentIndex());
        QCOMPARE(f->dialogs.seen.value(0), QStringLiteral("About...|"));
    }
    // Opens the advanced options from "About..."; "work" acts in them and closes them.
    void throughAdvanced(std::function<void(QDialog&)> work)
    {
        throughAbout([this, work](QDialog& about) {
            // A failed check leaves the dialog open: it is closed here, so the test goes on.
            f->dialogs.expect([work](QDialog& advanced) {
                work(advanced);
                if (advanced.isVisible())
                    advanced.reject();
            });
            click(about, "LabelAdvanced");
        });
    }
    // The colour all 99 position buttons show, or an invalid one when they differ.
    QColor buttonsColour()
    {
        QSet<QRgb> shown;
        for (int position = 1; position <= 99; ++position)
            shown.insert(f->window.positionButtons()->button(position)->grab().toImage().pixel(3, 3));
        return shown.size() == 1 ? QColor(*shown.begin()) : QColor();
    }

    // What is wrong with the places of a dialog's controls: one outside the dialog, two on top of
    // each other, a one-line label too narrow for its text.
    static QStringList layoutFaults(const QWidget& dialog)
    {
        QStringList faults;
        const QList<QWidget*> controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QWidget* control = controls[i];
            const QString name = control->objectName() + u'/' + control->property("text").toString();
            if (control->isWindow() || !control->isVisible())
                continue;
            if (!dialog.rect().contains(control->geometry()))
                faults << name + QStringLiteral(" outside");
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                if (!controls[j]->isWindow() && controls[j]->isVisible()
                    && control->geometry().intersects(controls[j]->geometry()))
                    faults << name + QStringLiteral(" on ") + controls[j]->objectName();
            }
            const auto* label = qobject_cast<const QLabel*>(control);
            if (label && !label->wordWrap() && label->pixmap().isNull()
                && label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width())
                faults << name + QStringLiteral(" cut");
        }
        return faults;
    }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    void init() { QVERIFY((f = std::make_unique<OptionsFixture>())->show()); }
    void cleanup() { f.reset(); }

    // Left click: the picked colour, but neither black nor a cancel changes anything. Right
    // click: the default. The colour reaches all 99 buttons and the settings.
    void buttonColour_data()
    {
        const DataTable<int, std::optional<QColor>, QColor, QString> row(
            {"button", "picked", "shown", "stored"});
        const QColor before(10, 200, 30);
        row("right: default", Qt::RightButton, {}, QColor(192, 192, 255), "16761024");
        row("left: picked", Qt::LeftButton, QColor(255, 128, 1), QColor(255, 128, 1),
            QString::number(255 + 256 * 128 + 65536));
        row("left: black", Qt::LeftButton, QColor(Qt::black), before, "");
        row("left: cancel", Qt::LeftButton, {}, before, "");
    }
    void buttonColour()
    {
        auto [button, picked, shown, stored] = fetchColumns<int, std::optional<QColor>, QColor, QString>(
            {"button", "picked", "shown", "stored"});
        f->window.positionButtons()->setButtonColour(QColor(10, 200, 30));
        f->pickers.colour = picked;
        QColor inDialog;
        throughAbout([&](QDialog& about) {
            click(about, "CommandClipTextCol", Qt::MouseButton(button));
            inDialog = in(about, "CommandClipTextCol")->grab().toImage().pixelColor(5, 5);
        });
        QCOMPARE(buttonsColour(), shown);
        QCOMPARE(inDialog, shown);
        QCOMPARE(TestFiles::read(f->settingsStore.iniPath()).contains("ClipColour=" + stored.toLatin1()),
            !stored.isEmpty());
    }

    // Clearing the tick and closing turns the overwrite question off; ticking it brings it back.
    // The maker's page opens from the About dialog.
    void warningOption()
    {
        (void)f->store.savePosition(QStringLiteral("old"), 4, 1, true);
        for (const bool on : {false, true}) {
            throughAbout([on](QDialog& about) {
                auto* tick = in<QCheckBox>(about, "CheckOverwriteMsg");
                QCOMPARE(tick->isChecked(), !on);
                tick->setChecked(on);
                click(about, "lblVisitMoxeno");
            });
            QCOMPARE(f->context.warnOverwrite(), on);
            QCOMPARE(f->stored(Settings::Key::WarnOverwrite), QString::number(on));
            if (on) // without the question, DialogScript fails on the unexpected dialog
                f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelNo")));
            QVERIFY(f->store.savePosition(QStringLiteral("new %1").arg(on), 4, 1, false));
        }
        QCOMPARE(readText(f->store.readPosition(4, 1)), QStringLiteral("new 0"));
        QCOMPARE(m_opened.size(), 2);
    }

    // Save checks the delay: no number or zero gives the default, and it is kept within 0.001
    // and 10 seconds; anything else stays as typed.
    void delayIsCheckedOnSave()
    {
        for (const auto& [typed, saved] :
            std::initializer_list<std::pair<const char*, const char*>> {{"0", "0.01"}, {"", "0.01"},
                {"abc", "0.01"}, {"0.0001", "0.001"}, {"-3", "0.001"}, {"25", "10"}, {"1e9", "10"},
                {"0.001", "0.001"}, {"10", "10"}, {"2.5", "2.5"}, {"3 seconds", "3 seconds"}})
            QCOMPARE(AdvancedOptionsDialog::checkedDelay(QLatin1String(typed)), QLatin1String(saved));
        throughAdvanced([](QDialog& advanced) {
            in<QLineEdit>(advanced, "TextDelay")->setText(QStringLiteral("25"));
            click(advanced, "LabelClose");
            QCOMPARE(in<QLineEdit>(advanced, "TextDelay")->text(), QStringLiteral("10"));
        });
        QCOMPARE(f->stored(Settings::Key::MacroDelay), QStringLiteral("10"));
    }

    void controlsHaveTheirOwnPlace()
    {
        QStringList faults;
        throughAdvanced([&](QDialog& advanced) { faults += layoutFaults(advanced); });
        throughAbout([&](QDialog& about) { faults += layoutFaults(about); });
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    // "Shortcuts" in the advanced options: a combination pressed in a field is stored in Qt's
    // portable text, an emptied field stores nothing, an unchanged one stays.
    void shortcutsAreStored()
    {
        QVERIFY(f->settings.setText(Settings::Key::ShortcutShow, QStringLiteral("Ctrl+Alt+S")));
        QVERIFY(f->settings.setText(Settings::Key::ShortcutMacro1, QStringLiteral("Meta+F5")));
        throughAdvanced([this](QDialog& advanced) {
            f->dialogs.expect([](QDialog& shortcuts) {
                auto* macro3 = in<QKeySequenceEdit>(shortcuts, "ShortcutMacro3");
                QTest::keyClick(macro3, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
                in<QKeySequenceEdit>(shortcuts, "ShortcutShow")->clear();
                QTest::mouseClick(
                    in<QDialogButtonBox>(shortcuts, "")->button(QDialogButtonBox::Save), Qt::LeftButton);
            });
            click(advanced, "LabelShortcuts");
        });
        QCOMPARE(f->stored(Settings::Key::ShortcutMacro3), QStringLiteral("Ctrl+Alt+M"));
        QCOMPARE(f->stored(Settings::Key::ShortcutShow), QString());
        QCOMPARE(f->stored(Settings::Key::ShortcutMacro1), QStringLiteral("Meta+F5"));
    }

    // The insert rules show what is stored (the defaults at first); Save stores only what the
    // user changed, and Reset defaults brings the default lists back.
    void insertRulesAreStoredWhenChanged()
    {
        const QByteArray ini = TestFiles::read(f->settingsStore.iniPath());
        throughAdvanced([](QDialog& advanced) {
            QVERIFY(in<QLineEdit>(advanced, "TextInsertShiftInsert")->text().startsWith(u"xterm"));
            in<QComboBox>(advanced, "ComboInsertDefault")->setCurrentIndex(1);
            in<QLineEdit>(advanced, "TextInsertTyped")->setText(QStringLiteral("emacs, my*term "));
            in<QLineEdit>(advanced, "TextInsertShiftInsert")->setText(QString(300, u'x'));
            click(advanced, "LabelClose");
        });
        QCOMPARE(f->stored(Settings::Key::InsertDefault), QStringLiteral("paste"));
        QCOMPARE(f->stored(Settings::Key::InsertTyped), QStringLiteral("emacs, my*term"));
        QCOMPARE(f->stored(Settings::Key::InsertShiftInsert), QString(254, u'x'));
        QVERIFY(!TestFiles::read(f->settingsStore.iniPath()).mid(ini.size()).contains("CtrlV"));
        throughAdvanced([](QDialog& advanced) {
            QCOMPARE(in<QComboBox>(advanced, "ComboInsertDefault")->currentIndex(), 1);
            click(advanced, "LabelResetDefaults");
            click(advanced, "LabelClose");
        });
        QCOMPARE(f->stored(Settings::Key::InsertShiftInsert),
            QLatin1String(Settings::entry(Settings::Key::InsertShiftInsert).defaultValue));
        QCOMPARE(f->stored(Settings::Key::InsertDefault), QStringLiteral("type"));
    }

    // Reset defaults and a chosen folder followed by Cancel store and move nothing. The chosen
    // folder gets one trailing separator; cancelling the browser keeps the shown one. Help opens
    // the help window.
    void cancelStoresNothing()
    {
        QVERIFY(f->settings.setText(Settings::Key::MacroDelay, QStringLiteral("5")));
        QVERIFY(f->settings.setFlag(Settings::Key::MacroPromptBefore, false));
        QVERIFY(TestFiles::write(f->oldFolder() + "MoxenoTrellin1.txt", "01!\xC2\xAC:kept\r\n"));
        const QByteArray ini = TestFiles::read(f->settingsStore.iniPath());
        for (const auto& [chosen, shown] : std::initializer_list<std::pair<std::optional<QString>, QString>> {
                 {f->dir.filePath(QStringLiteral("else where")),
                     f->dir.filePath(QStringLiteral("else where/"))},
                 {"/tmp/x/", "/tmp/x/"}, {std::nullopt, f->oldFolder()}}) {
            f->pickers.folder = chosen;
            throughAdvanced([shown = shown](QDialog& advanced) {
                QCOMPARE(in<QLineEdit>(advanced, "TextDelay")->text(), QStringLiteral("5"));
                click(advanced, "LabelHelp");
                click(advanced, "LabelResetDefaults");
                click(advanced, "CommandGetDataPath");
                QCOMPARE(in<QLineEdit>(advanced, "TextDelay")->text(), QStringLiteral("0.01"));
                QVERIFY(in<QCheckBox>(advanced, "CheckPromptBeforeMacro")->isChecked());
                QCOMPARE(in<QLabel>(advanced, "LabelDataPath")->text(), shown);
                click(advanced, "LabelCancel");
            });
        }
        QCOMPARE(TestFiles::read(f->settingsStore.iniPath()), ini + "WarnOverwrite=1\r\n");
        QVERIFY(QFileInfo::exists(f->oldFolder() + "MoxenoTrellin1.txt"));
        QCOMPARE(f->context.dataFolder(), f->oldFolder());
        QVERIFY(f->help.browser() && f->help.browser()->isVisible());
    }

    // The tick shows whether the session starts the program, whoever wrote the entry; Save
    // writes or removes the entry below $XDG_CONFIG_HOME, Cancel leaves it. A folder that cannot
    // be made is told, and the tick then shows what is on disk.
    void startWithSession_data()
    {
        // "before": the entry found; "-" none, "!" a file in the folder's place.
        const DataTable<QByteArray, bool, bool, QString, bool, QString> row(
            {"before", "shown", "ticked", "close", "enabledAfter", "told"});
        const QByteArray hidden = "[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n";
        const QByteArray gnomeOff = "[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n";
        const QByteArray theirs = "[Desktop Entry]\nExec=old\n[Desktop Action x]\nHidden=true\n";
        row("none, ticked, cancelled", "-", false, true, "LabelCancel", false, "");
        row("written elsewhere, cleared", theirs, true, false, "LabelClose", false, "");
        row("hidden, left", hidden, false, false, "LabelClose", false, "");
        row("hidden, ticked", hidden, false, true, "LabelClose", true, "");
        row("off in GNOME", gnomeOff, false, false, "LabelClose", false, "");
        row("no folder", "!", false, true, "LabelClose", false,
            "could not be changed:\ncould not create the folder");
    }
    void startWithSession()
    {
        auto [before, shown, ticked, close, enabledAfter, told]
            = fetchColumns<QByteArray, bool, bool, QString, bool, QString>(
                {"before", "shown", "ticked", "close", "enabledAfter", "told"});
        const QString configHome = f->dir.filePath(QStringLiteral("config home"));
        const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", oldConfigHome); });
        const QString path = SessionAutostart::entryPath();
        QCOMPARE(path, configHome + QStringLiteral("/autostart/example.moxeno.Trellin.desktop"));
        if (before == "!")
            QVERIFY(TestFiles::write(configHome + QStringLiteral("/autostart"), "not a folder"));
        else if (before != "-")
            QVERIFY(TestFiles::write(path, before));
        bool tickAfter = !enabledAfter;
        throughAdvanced([&](QDialog& advanced) {
            auto* tick = in<QCheckBox>(advanced, "CheckStartWithSession");
            QCOMPARE(tick->isChecked(), shown);
            if (ticked != shown)
                QTest::mouseClick(tick, Qt::LeftButton, {}, QPoint(5, tick->height() / 2));
            if (!told.isEmpty())
                f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok));
            click(advanced, qPrintable(close));
            tickAfter = tick->isChecked();
        });
        QCOMPARE(SessionAutostart::isEnabled(), enabledAfter);
        if (close == QLatin1String("LabelClose"))
            QCOMPARE(tickAfter, enabledAfter);
        QVERIFY(f->dialogs.seen.join(u'\n').contains(told));
        if (enabledAfter)
            QCOMPARE(TestFiles::read(path), SessionAutostart::entry(QCoreApplication::applicationFilePath()));
        else if (before == "-")
            QVERIFY(!QFileInfo::exists(path));
    }

    // The program's path becomes one quoted argument of Exec, whatever characters it holds: each
    // of " ` $ \ gets a backslash inside the quotes, and every backslash is doubled again.
    void autostartEntryQuotesTheProgram()
    {
        for (const auto& [program, exec] :
            {std::pair {"/usr/bin/moxeno-trellin", "Exec=\"/usr/bin/moxeno-trellin\""},
                {"/opt/my apps/100%/mt", "Exec=\"/opt/my apps/100%%/mt\""},
                {"/a\"b`c$d\\e", "Exec=\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e\""}})
            QVERIFY2(SessionAutostart::entry(QString::fromUtf8(program)).split('\n').contains(exec), program);
    }

    // Save moves the data files, and the window then reads its boxes from the new folder; a
    // refused move is told, and the dialog stays open with the old folder still in use.
    void saveMovesTheDataFiles()
    {
        QVERIFY(f->boxes.renameBox(1, QStringLiteral("Moved box")));
        const QString target = f->dir.filePath(QStringLiteral("new home"));
        QVERIFY(TestFiles::write(target + "/MoxenoTrellinNames.txt", "theirs"));
        f->pickers.folder = target;
        throughAdvanced([this, target](QDialog& advanced) {
            click(advanced, "CommandGetDataPath");
            f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok));
            click(advanced, "LabelClose");
            QVERIFY(advanced.isVisible());
            QVERIFY(f->dialogs.seen.last().contains("overwritten:\nMoxenoTrellinNames.txt\n"));
            QCOMPARE(f->context.dataFolder(), f->oldFolder());
            QVERIFY(QFile::remove(target + "/MoxenoTrellinNames.txt"));
            click(advanced, "LabelClose");
            QVERIFY(!advanced.isVisible());
        });
        QCOMPARE(f->context.dataFolder(), target + u'/');
        QCOMPARE(f->stored(Settings::Key::DataPath), target + u'/');
        QVERIFY(!QFileInfo::exists(f->oldFolder() + QStringLiteral("MoxenoTrellinNames.txt")));
        // The tabs are read anew from the new folder: the rename alone did not reach them.
        QCOMPARE(f->window.boxCaption(1), QStringLiteral("Moved box"));
    }
};

TRELLIN_GUI_TEST_MAIN(TestOptionsDialogs)
#include "tst_optionsdialogs.moc"
