#include "DataColumns.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "StepTable.h"
#include "core/DataFiles.h"
#include "core/SessionAutostart.h"
#include "gui/boxes/PositionButton.h"
#include "gui/boxes/PositionButtonsFrame.h"
#include "gui/dialogs/EditDialog.h"
#include "gui/macros/MacroPlayer.h"
#include "gui/main/MakerPage.h"
#include "gui/options/AdvancedOptionsDialog.h"
#include "gui/options/OptionsPickers.h"
#include "gui/search/SearchDialog.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/DialogPlacement.h"
#include "macros/ClockFormats.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QSet>
#include <QSlider>
#include <QTabBar>
#include <QTextDocument>

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

    QString oldFolder() const { return dir.filePath(u"data/"_s); }
    QString stored(Settings::Key key) const { return settings.text(key); }

    ScriptedPickers pickers;
    QStringList sent; // the keys the edit dialog's key label sent
    EditDialog editDialog {settings, clipboard, [this](const QString& keys) { sent.append(keys); }};
};

static QWidget* visibleProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == u"Form2"_s && widget->isVisible())
            return widget;
    return nullptr;
}

// The keys and window switches a script stands for: '<' switches past the progress window, '>'
// to the last window, a tab is the Tab key, any other character is typed.
static QStringList calls(const char* script)
{
    QStringList lines;
    for (const char* c = script; *c; ++c)
        lines << (*c == '<'  ? u"switch past progress"_s
                : *c == '>'  ? u"switch last"_s
                : *c == '\t' ? u"keys key TAB"_s
                             : u"keys char '%1'"_s.arg(QLatin1Char(*c)));
    return lines;
}

class TestMainWindow : public QObject
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { m_opened.append(url); }

private:
    std::unique_ptr<OptionsFixture> f;
    std::unique_ptr<SearchDialog> d; // opened on its own, beside the window
    QList<QUrl> m_opened;

    template<typename T = QWidget> T* child(const QString& name) { return f->window.findChild<T*>(name); }
    void click(const QString& name, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(child(name), b); }
    void answer(int button) { f->dialogs.expect(DialogScript::messageButton(button)); }
    // Each answer is a label to click; "LabelSave:<text>" saves that text in the editor.
    void expectLabels(const QStringList& answers)
    {
        for (const QString& answer : answers)
            f->dialogs.expect([answer](QDialog& dialog) {
                if (answer.contains(u':'))
                    in<QPlainTextEdit>(dialog, "Text1")->setPlainText(answer.section(u':', 1));
                DialogScript::clickLabel(answer.section(u':', 0, 0))(dialog);
            });
    }
    QComboBox* macros() { return child<QComboBox>("ComboMacros"); }
    QComboBox* menu() { return child<QComboBox>("ComboMain"); }
    PositionButton* button(int position) { return f->window.positionButtons()->button(position); }
    QStringList status() { return {f->window.statusText(), f->window.viewerTitle(), f->window.viewerText()}; }
    // Leaves first (a move to where the mouse is delivers nothing); enters a frame at an empty corner.
    void hover(const QString& name)
    {
        QTest::mouseMove(&f->window, QPoint(1, 1));
        f->window.setStatus(QString());
        QWidget* widget = child(name);
        QTest::mouseMove(widget, name.startsWith("Frame") ? QPoint(4, widget->height() - 4) : QPoint());
    }

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
        auto* menu = f->window.findChild<QComboBox*>(u"ComboMain"_s);
        f->dialogs.expect([work, menu](QDialog& about) {
            const QString shown = menu->currentText();
            work(about);
            click(about, "LabelClose");
            QCOMPARE(shown, u"Select"_s);
        });
        menu->setCurrentIndex(menu->findText(u"About this software"_s));
        emit menu->activated(menu->currentIndex());
        QCOMPARE(f->dialogs.seen.value(0), u"About...|"_s);
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
                faults << name + u" outside"_s;
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                if (!controls[j]->isWindow() && controls[j]->isVisible()
                    && control->geometry().intersects(controls[j]->geometry()))
                    faults << name + u" on "_s + controls[j]->objectName();
            }
            const auto* label = qobject_cast<const QLabel*>(control);
            if (label && !label->wordWrap() && label->pixmap().isNull()
                && label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width())
                faults << name + u" cut"_s;
        }
        return faults;
    }

    // The texts before, the labels clicked in the dialogs, the dialogs seen, the texts after.
    static void columns()
    {
        addColumns<QStringList, QStringList, QStringList, QStringList>(
            {"before", "answers", "dialogs", "after"});
    }
    static void row(const QByteArray& name, const QStringList& answers, const QStringList& dialogs,
        const QStringList& after, const QStringList& before = {"old", "clip"})
    {
        QTest::newRow(name.constData()) << before << answers << dialogs << after;
    }

    template<typename T = QWidget> T* inSearch(const char* name)
    {
        return d->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* findText() { return inSearch<QComboBox>("ComboFind")->lineEdit(); }
    QPlainTextEdit* results() { return inSearch<QPlainTextEdit>("TextResults"); }
    // t type a new search text, T type more, R Return in the find field, r click, x click a check box, @
    // caret in the find field, m expect the no-hit message (answered OK), a expect a question answered by the
    // label named, k keys into the results, i pick a row of the history list
    void act(char action, const QString& arg)
    {
        const std::map<char, std::function<void()>> actions {
            // keys go to the combo box, which hands them to its edit field, as the user's keys do
            {'t', [&] { findText()->clear(), act('T', arg); }},
            {'R', [&] { QTest::keyClick(inSearch("ComboFind"), Qt::Key_Return); }},
            {'T', [&] { QTest::keyClicks(inSearch("ComboFind"), arg); }},
            {'r', [&] { QTest::mouseClick(inSearch(qPrintable(arg)), Qt::LeftButton); }},
            {'x', [&] { QTest::mouseClick(inSearch(qPrintable(arg)), Qt::LeftButton, {}, QPoint(5, 5)); }},
            {'@', [&] { findText()->setCursorPosition(arg.toInt()); }},
            {'m', [&] { f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok)); }},
            {'a', [&] { f->dialogs.expect(DialogScript::clickLabel(arg)); }},
            {'k', [&] { QTest::keyClicks(results(), arg); }},
            {'i', [&] { inSearch<QComboBox>("ComboFind")->setCurrentIndex(arg.toInt()); }}};
        actions.at(action)();
    }
    // The parts steps can name; "enabled" lists which of the result commands are enabled, in
    // the order of the form.
    std::map<QString, QString> parts()
    {
        QString enabled;
        for (const char* name : {"LabelSave", "LabelDelete", "LabelGoTo", "LabelCopyToClip",
                 "LabelCopyAndClose", "LabelClose", "TextResults"})
            enabled += inSearch(name)->isEnabled() ? u'1' : u'0';
        auto* history = inSearch<QComboBox>("ComboFind");
        return {{"where", inSearch<QLabel>("Label3")->text()}, {"results", results()->toPlainText()},
            {"enabled", enabled}, {"caption", inSearch<QLabel>("LabelFind")->text()},
            {"said", f->dialogs.seen.value(f->dialogs.seen.size() - 1)},
            {"selected", findText()->selectedText()},
            {"history", history->itemText(0) + u',' + history->itemText(1)},
            {"rows", QString::number(history->count())}};
    }
    void run(std::initializer_list<Step> steps)
    {
        runSteps(
            steps, [this](char action, const QString& arg) { act(action, arg); }, [this] { return parts(); });
    }
    void openDirect()
    {
        SearchDialog::Host host {[this](int box) { return f->window.boxCaption(box); },
            [this] { return f->window.selectedBox(); }, [this](int box) { f->window.selectBox(box); },
            [](int) {}, [](int) {}};
        d = std::make_unique<SearchDialog>(
            f->context, f->actions, f->macroActions, f->clipboard, host, &f->window);
        f->dialogs.expect([](QDialog&) {}); // shown without a modal loop of its own
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QTRY_VERIFY(f->dialogs.usedUp());
    }

    QPlainTextEdit* text1() { return f->editDialog.findChild<QPlainTextEdit*>(u"Text1"_s); }
    CommandLabel* label(const QString& name) { return f->editDialog.findChild<CommandLabel*>(name); }
    void showMacro(const QString& body)
    {
        f->editDialog.prepare({"Moxeno Trellin - edit macro", body, true, u"Greeting"_s, 4});
        if (!f->editDialog.isVisible())
            f->dialogs.expect([](QDialog&) {}); // shown without a modal loop of its own
        f->editDialog.show();
        QTRY_VERIFY(f->dialogs.usedUp());
    }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(u"https"_s, this, "openUrl"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(u"https"_s); }
    void init()
    {
        m_opened.clear();
        QVERIFY((f = std::make_unique<OptionsFixture>())->show());
    }
    void cleanup() { d.reset(), f.reset(); }

    // A tab click selects its box at once, the slider only when the mouse lets go of it. The
    // macro list's up and down stop at its ends; a right click goes straight to the first item.
    void boxAndMacroSelection()
    {
        auto* tabs = child<QTabBar>("TabStripMain");
        auto* slider = child<QSlider>("Slider1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QCOMPARE(f->store.loadedBox(), 3);
        slider->setSliderDown(true); // as a drag does: the slider moves, the box not yet
        slider->setSliderPosition(40);
        QCOMPARE(f->store.loadedBox(), 3);
        slider->setSliderDown(false);
        QCOMPARE(f->store.loadedBox(), 40);
        QCOMPARE(tabs->currentIndex(), 39);

        auto* upDown = child("UpDown3");
        const QPoint up(upDown->width() / 2, 2), down(upDown->width() / 2, upDown->height() - 3);
        for (const auto& [from, at, button, to] : {std::tuple {0, up, Qt::LeftButton, 0},
                 {0, down, Qt::LeftButton, 1}, {98, down, Qt::LeftButton, 98}, {98, up, Qt::LeftButton, 97},
                 {50, down, Qt::RightButton, 0}}) {
            macros()->setCurrentIndex(from);
            QTest::mouseClick(upDown, button, {}, at);
            QCOMPARE(macros()->currentIndex(), to);
        }
    }

    // The menu shows "Select" again after each choice. The manual is looked for beside the program.
    void menuHelpAndMakerPage()
    {
        f->dialogs.expect(DialogScript::clickLabel(u"LabelClose"_s));
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_A, Qt::Key_End}) { // the second, "About", the last
            QTest::keyClick(menu(), key);
            QCOMPARE(menu()->currentText(), "Select");
        }
        QVERIFY(f->help.browser() && f->help.browser()->isVisible()
            && f->help.browser()->toPlainText().contains("Manual not found"));
        // Larger than this test's screen: it is made to fit, on the main window's screen.
        QCOMPARE(f->help.browser()->screen(), f->window.screen());
        QVERIFY(f->window.screen()->availableGeometry().contains(f->help.browser()->frameGeometry()));
        QCOMPARE(f->dialogs.seen, QStringList {"About...|"});
        click("picIcon");
        QCOMPARE(m_opened, (QList<QUrl> {MakerPage::address(), MakerPage::address()}));

        QTemporaryDir prefix;
        const QString manual = prefix.path() + "/share/moxeno-trellin/help/index.html";
        QCOMPARE(HelpWindow::findManual(prefix.path() + "/bin"), QString());
        QVERIFY(TestFiles::write(manual, QByteArray()));
        QCOMPARE(HelpWindow::findManual(prefix.path() + "/bin"), manual);
    }

    // "Ready" over a frame, and hints that carry data: the box's caption, the macro in the viewer,
    // the clipboard in the viewer, an occupied position's text.
    void statusAndHoverHints()
    {
        f->log.logStatus(u"first"_s);
        f->log.logStatus(u"second"_s);
        QVERIFY(child<QComboBox>("ComboMainRes")->currentText().endsWith("  second"));

        macros()->setCurrentIndex(4);
        f->clipboard.content = u"clip"_s;
        for (const auto& [control, shown] : {std::pair {"FrameCalculator", "Ready|5:|kept"},
                 {"LabelMoveBox0", "Move box 'Box 1' one place to the right.|5:|kept"},
                 {"FrameMacros", "|Macro 5 - Macro 5|"},
                 {"LabelEditClipboard", "Work with clipboard contents.|Clipboard contents:|clip"}}) {
            f->window.showInViewer(u"5:"_s, u"kept"_s);
            hover(control);
            QCOMPARE(status().join(u'|'), QLatin1String(shown));
        }
        f->save(12, u"twelve"_s);
        QTest::mouseMove(button(12));
        QCOMPARE(status(), (QStringList {PositionButtonsFrame::occupiedHint(), "12:", "twelve"}));
        // An Alt click is a drag onto the same button: it neither copies nor logs.
        const QString logged = f->log.latest();
        QTest::mouseClick(button(12), Qt::LeftButton, Qt::AltModifier);
        QVERIFY(f->clipboard.content == "clip" && f->log.latest() == logged);
    }

    // A box whose file cannot be read is told once, naming the file, shows no text and hints
    // that it cannot be read; the other boxes work on. That it takes no text is PositionActions'.
    // Unreadable macros say so in the viewer and the log instead of passing for a box without
    // macros.
    void unreadableBox()
    {
        f->save(12, u"twelve"_s);
        const QString file = DataFiles::boxFile(f->folder(), 2);
        QVERIFY(QDir().mkpath(file));
        QVERIFY(QDir().mkpath(DataFiles::macroFile(f->folder(), 2)));
        answer(QMessageBox::Ok);
        f->window.selectBox(2);
        QCOMPARE(button(12)->text(), "");
        QVERIFY2(f->window.viewerText().startsWith("The macros of box 2 cannot be read: "),
            qPrintable(f->window.viewerText()));
        QVERIFY2(
            f->log.entries().join(u'|').contains("Box 2 macros not loaded: "), qPrintable(f->log.latest()));
        QTest::mouseMove(&f->window, QPoint(1, 1));
        QTest::mouseMove(button(12));
        QVERIFY2(
            f->window.statusText().startsWith("Box 2 cannot be read: "), qPrintable(f->window.statusText()));
        QCOMPARE(f->dialogs.seen.size(), 1);
        QVERIFY2(f->dialogs.seen[0].contains(file), qPrintable(f->dialogs.seen[0]));
    }

    // Another program's writes to the box on show, its macros, the box names and the settings
    // show at once, keeping the selected macro and what the viewer shows, and all but the names
    // are said in the status log; the window's own saves are neither reloaded again nor told.
    void followsOtherWriters()
    {
        f->save(3, u"mine"_s);
        f->macro(1, 4, u"Four>4"_s);
        f->window.selectBox(1);
        macros()->setCurrentIndex(5);
        QTest::mouseMove(&f->window, QPoint(1, 1));
        QTest::mouseMove(button(3));
        const qsizetype before = f->log.entries().size();
        const auto newLog = [&] {
            QStringList lines;
            for (qsizetype i = f->log.entries().size() - before - 1; i >= 0; --i)
                lines << f->log.entries().at(i).mid(10);
            return lines;
        };

        QVERIFY(RecordFile::writeRecord(DataFiles::boxFile(f->folder(), 1), 3, u"theirs"_s).ok());
        QVERIFY(RecordFile::writeRecord(DataFiles::boxFile(f->folder(), 1), 5, u"five"_s).ok());
        QTRY_COMPARE(button(5)->text(), "+");
        QCOMPARE(status().mid(1), (QStringList {"3:", "theirs"}));
        QCOMPARE(button(5)->accessibleName(), "Position 05, holds: five");

        f->macro(1, 4, u"Renamed>4"_s);
        QTRY_COMPARE(macros()->itemText(3), "Renamed");
        QCOMPARE(macros()->currentIndex(), 5);
        QCOMPARE(f->window.viewerTitle(), "3:");

        QVERIFY(f->settings.setText(Settings::Key::DecPlaces, u"2"_s).ok());
        QVERIFY(f->settings.setText(Settings::Key::ClipColour, u"255"_s).ok());
        QTRY_COMPARE(f->window.positionButtons()->buttonColour(), QColor(Qt::red));
        QCOMPARE(child<QComboBox>("ComboDecPlaces")->currentText(), "2");
        QVERIFY(f->boxes.renameBox(2, u"Theirs"_s).ok()); // as trellinctl rename does
        QTRY_COMPARE(f->window.boxCaption(2), "Theirs");

        // The window's own save, then another program's macro: only the macro is told.
        f->clipboard.content = u"pasted"_s;
        f->context.setWarnOverwrite(false);
        QTest::mouseClick(button(8), Qt::RightButton);
        hover(u"FrameMacros"_s);
        f->macro(1, 6, u"Six>6"_s);
        QTRY_COMPARE(macros()->itemText(5), "Six");
        QCOMPARE(status().mid(1), (QStringList {"Macro 6 - Six", "6"})); // it showed the selected macro
        QCOMPARE(newLog(),
            (QStringList {"Box 1 reloaded: its texts changed on disk",
                "Box 1 macros reloaded: they changed on disk",
                "Settings changed on disk: button colour, decimal places", "Box 1, position 8 saved",
                "Box 1 macros reloaded: they changed on disk"}));
        QCOMPARE(f->text(3) + f->text(8), "theirspasted");
    }

    // What a screen reader must find of every command label and position button: a focusable
    // button in the accessibility tree, with a name and a press action. Returns the others.
    static QStringList accessibilityFaults(QWidget* window)
    {
        QSet<QObject*> inTree;
        std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            for (int i = 0; node && i < node->childCount(); ++i) {
                inTree.insert(node->child(i) ? node->child(i)->object() : nullptr);
                walk(node->child(i));
            }
        };
        walk(QAccessible::queryAccessibleInterface(window));
        QStringList faults;
        int commands = 0;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!qobject_cast<CommandLabel*>(w) && !qobject_cast<PositionButton*>(w))
                continue;
            ++commands;
            QAccessibleInterface* node = QAccessible::queryAccessibleInterface(w);
            if (!node || !inTree.contains(w) || node->text(QAccessible::Name).isEmpty()
                || node->role() != QAccessible::Button || !node->state().focusable || !node->actionInterface()
                || !node->actionInterface()->actionNames().contains(
                    QAccessibleActionInterface::pressAction()))
                faults << w->objectName();
        }
        return commands ? faults : QStringList {"no commands"};
    }

    // The main window and each dialog it opens, through the accessibility tree.
    void accessibleCommands_data()
    {
        // "opens": the label or position clicked; "" for the main window.
        addColumns<QString, int, int>({"opens", "mouse", "modifiers"});
        QTest::newRow("main window") << "" << 0 << 0;
        QTest::newRow("overwrite dialog") << "CommandClipText1" << int(Qt::RightButton) << 0;
        QTest::newRow("edit dialog") << "CommandClipText2" << int(Qt::RightButton) << int(Qt::ShiftModifier);
        QTest::newRow("search dialog") << "LabelSearchAll" << int(Qt::LeftButton) << 0;
    }
    void accessibleCommands()
    {
        auto [opens, mouse, modifiers] = fetchColumns<QString, int, int>({"opens", "mouse", "modifiers"});
        f->save(1, u"Dear Sir or Madam,\r\nWith kind regards"_s);
        QCOMPARE(button(1)->accessibleName(), "Position 01, holds: Dear Sir or Madam,\u2026");
        QCOMPARE(button(2)->accessibleName(), "Position 02, empty");
        if (opens.isEmpty()) {
            const QStringList faults = accessibilityFaults(&f->window);
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
            return;
        }
        f->clipboard.content = u"new"_s;
        f->dialogs.expect([](QDialog& dialog) {
            const QStringList faults = accessibilityFaults(&dialog);
            dialog.reject();
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        });
        QTest::mouseClick(child(opens), Qt::MouseButton(mouse), Qt::KeyboardModifiers(modifiers));
    }

    // The keyboard and a screen reader's press reach what the mouse does: Enter or Space as
    // the left button, the menu key or Shift+F10 as the right one ("key" 0 is the accessible
    // press); Enter, the menu key and Alt with it are clicked in the real program end to end.
    // A mouse click still leaves the focus where it was.
    void keyboardCommands_data()
    {
        // "after": the clipboard, positions 1 and 2, "|" between.
        const DataTable<QString, int, int, QString> row({"control", "key", "modifiers", "after"});
        row("copy by Space", "CommandClipText1", Qt::Key_Space, 0, "one|one|");
        row("copy by press", "CommandClipText1", 0, 0, "one|one|");
        row("paste by Shift+F10", "CommandClipText2", Qt::Key_F10, Qt::ShiftModifier, "clip|one|clip");
        row("clear clipboard by Space", "LabelClearClipboard", Qt::Key_Space, 0, "|one|");
        row("clear clipboard by press", "LabelClearClipboard", 0, 0, "|one|");
    }
    void keyboardCommands()
    {
        auto [control, key, modifiers] = fetchColumns<QString, int, int>({"control", "key", "modifiers"});
        f->save(1, u"one"_s);
        f->context.setWarnOverwrite(false);
        f->clipboard.content = u"clip"_s;
        QWidget* target = child(control);
        target->setFocus(Qt::TabFocusReason);
        if (key == 0)
            QAccessible::queryAccessibleInterface(target)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
        else
            QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        // A button's accessible press is an animated click: it lands a moment later.
        QFETCH(QString, after);
        QTRY_COMPARE(QStringList({f->clipboard.content, f->text(1), f->text(2)}).join(u'|'), after);

        button(1)->setFocus();
        QTest::mouseClick(child("LabelClearClipboard"), Qt::LeftButton);
        QVERIFY(button(1)->hasFocus());
    }

    // Clear asks first unless warnings are off; the copy label refills the clipboard only when
    // the refill text is set.
    void undoClipboardAndViewer()
    {
        f->save(1, u"first"_s);
        f->save(2, u"second"_s);
        QTest::mouseClick(button(1), Qt::RightButton, Qt::AltModifier);
        QTest::mouseClick(button(2), Qt::RightButton, Qt::AltModifier);
        hover("LabelTextUndo1");
        QCOMPARE(status().mid(1), (QStringList {"Last deleted text.", "second"}));
        click("LabelTextUndo2");
        QCOMPARE(f->clipboard.content, "first");
        click("LabelTextUndo1", Qt::RightButton);
        QCOMPARE(f->store.undoText(1) + u'|' + f->store.undoText(2), "|first");

        for (const auto& [reply, left] :
            {std::pair {int(QMessageBox::No), "kept"}, {int(QMessageBox::Yes), ""}, {0, ""}}) {
            f->clipboard.content = u"kept"_s;
            f->context.setWarnOverwrite(reply != 0); // no question without warnings
            if (reply != 0)
                answer(reply);
            click("LabelClearClipboard");
            QCOMPARE(f->clipboard.content, QLatin1String(left));
        }
        QCOMPARE(f->lastMessage(), "Clipboard cleared");

        f->clipboard.content = u"before"_s;
        click("LabelEditClipboard");
        auto* text = child<QPlainTextEdit>("TextClipboard");
        QVERIFY(text->isVisible() && text->toPlainText() == "before");
        text->setPlainText(u"after"_s);
        click("ButtonPutBack");
        for (const char* refill : {"", "refill"}) {
            f->context.setRefillText(QLatin1String(refill));
            hover("LabelCopyToClip");
            QCOMPARE(f->clipboard.content, *refill ? refill : "after");
        }

        f->window.showInViewer(u"3:"_s, u"line one\r\nline two"_s);
        QTest::mouseDClick(child<QPlainTextEdit>("TextSee")->viewport(), Qt::LeftButton);
        QCOMPARE(f->clipboard.content, "line one\nline two"); // the clipboard speaks LF
    }

    // Clear box asks for texts and macros apart and keeps backups; a name too long is told and
    // offered again; a move does nothing at either end, otherwise the box and its name go along.
    void boxLabels()
    {
        const QString macros = DataFiles::macroFile(f->folder(), 1);
        QVERIFY(TestFiles::write(macros, "01!\xac:Name>body\r\n"));
        f->save(4, u"text"_s);
        for (int b : {QMessageBox::No, QMessageBox::Yes, QMessageBox::Yes, QMessageBox::No, QMessageBox::Yes,
                 QMessageBox::No, QMessageBox::Yes})
            answer(b);
        const QString before = f->log.latest();
        click("LabelClearBox"); // No
        QVERIFY(button(4)->text() == "+" && f->log.latest() == before);
        click("LabelClearBox"); // Yes, texts: yes, macros: no
        QCOMPARE(
            f->dialogs.seen.first(), "Moxeno Trellin|Are you sure you wish to clear data in box 1: Box 1 ?");
        QVERIFY(button(4)->text().isEmpty() && QFile::exists(DataFiles::boxBackup(f->folder(), 1)));
        QVERIFY(QFile::exists(macros) && f->lastMessage() == "Box 'Box 1' cleared successfully.");
        f->save(4, u"text"_s);
        click("LabelClearBox"); // Yes, texts: no, macros: yes
        QVERIFY(button(4)->text() == "+" && !QFile::exists(macros));
        QVERIFY(QFile::exists(DataFiles::macroBackup(f->folder(), 1)));

        f->dialogs.expect(DialogScript::inputText(u"fifteen chars!!"_s));
        f->dialogs.expect(DialogScript::inputText(u"sixteen chars!!!"_s));
        answer(QMessageBox::Ok);
        f->dialogs.expect([](QDialog& dialog) {
            QCOMPARE(qobject_cast<QInputDialog*>(&dialog)->textValue(), "sixteen chars!!!");
            dialog.reject();
        });
        click("LabelRenameBox");
        click("LabelRenameBox"); // too long, then cancelled
        QCOMPARE(f->window.boxCaption(1), "fifteen chars!!");
        auto* tabs = child<QTabBar>("TabStripMain"); // the renamed tab is measured anew
        QVERIFY(tabs->tabRect(0).width() > tabs->fontMetrics().horizontalAdvance("fifteen chars!!"));

        f->save(1, u"last box"_s, 99);
        const QString logged = f->log.latest();
        for (const auto& [box, label] : {std::pair {1, "LabelMoveBox1"}, {99, "LabelMoveBox0"}}) {
            f->window.selectBox(box);
            click(label); // left from the first box, right from the last
            QCOMPARE(f->window.selectedBox(), box);
        }
        QCOMPARE(f->log.latest(), logged);
        QCOMPARE(f->text(4) + u'|' + f->text(1, 99), "text|last box");
        click("LabelMoveBox1");
        QCOMPARE(f->store.loadedBox(), 98);
        QCOMPARE(f->window.boxCaption(98), "Box 99");
    }

    // Every control of a frame lies between its title's line and its bottom line, however much
    // room the style gives the title.
    void controlsInsideTheirFrames()
    {
        for (const QGroupBox* frame : f->window.findChildren<QGroupBox*>()) {
            const QRect inside = frame->contentsRect();
            for (const QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const QRect at = control->geometry();
                QVERIFY2(control->isWindow() || (at.top() >= inside.top() && at.bottom() <= inside.bottom()),
                    qPrintable(frame->title() + u' ' + control->objectName()));
            }
        }
    }

    // A click on position 7 ("old", clipboard "clip") named by keys and button: "ctrl+right".
    // "after": stored text, clipboard, new log entry, and the status line when not "Ready".
    void positionMouseUp_data()
    {
        columns();
        const QStringList edit {"Moxeno Trellin - edit text|"};
        // A left click copies whatever keys are held; with Alt alone it starts a move instead.
        row("ctrl+alt+shift+left copies", {}, {}, {"old", "old", "Box 1, position 7 copied to clipboard"});
        row("left on an empty position copies nothing", {}, {}, {"", "clip", ""}, {"", "clip"});
        row("right with an empty clipboard does nothing", {}, {}, {"old", "", ""}, {"old", ""});
        row("keypad+right pastes after yes", {"LabelYes"}, {"Overwrite text|Overwrite position 07"},
            {"clip", "clip", "Box 1, position 7 saved"});
        row("shift+right edit cancelled", {"LabelCancel"}, edit,
            {"old", "clip", "Box 1, 7 not updated", "Editing ..."});
        row("shift+right unchanged, stored with CR LF like every text", {"LabelSave"}, edit,
            {"a\r\nb\r\nc", "clip", "Box 1, 7 already saved in this location"}, {"a\r\nb\nc", "clip"});
        row("shift+right saving nothing into an empty position", {"LabelSave"}, edit, {"", "clip", ""},
            {"", "clip"});
        row("ctrl+right delete answered no", {"LabelNo"}, {"Delete text|Clear position 07?"},
            {"old", "clip", "Box 1, position 7 not updated"});
        row("alt+right cuts without asking", {}, {}, {"", "old", "Box 1, position 7 cleared"});
        // Two or more keys held with a right click do nothing, and so does the middle button.
        for (const char* keys : {"ctrl+alt+shift+right", "middle"})
            row(QByteArray(keys).append(" does nothing"), {}, {}, {"old", "clip", ""});
    }
    void positionMouseUp()
    {
        auto [before, answers, after]
            = fetchColumns<QStringList, QStringList, QStringList>({"before", "answers", "after"});
        f->save(7, before[0]);
        f->clipboard.content = before[1];
        const qsizetype logged = f->log.entries().size();
        f->window.showInViewer(u"title"_s, u"something else"_s);
        expectLabels(answers);

        const QString keys = QString::fromUtf8(QTest::currentDataTag()).section(u' ', 0, 0);
        Qt::KeyboardModifiers modifiers;
        for (const auto& [name, modifier] : {std::pair {"shift", Qt::ShiftModifier},
                 {"ctrl", Qt::ControlModifier}, {"alt", Qt::AltModifier}, {"keypad", Qt::KeypadModifier}})
            modifiers.setFlag(modifier, keys.contains(QLatin1String(name)));
        const Qt::MouseButton mouse = keys.endsWith(u"left") ? Qt::LeftButton
            : keys.endsWith(u"right")                        ? Qt::RightButton
                                                             : Qt::MiddleButton;
        QTest::mouseClick(button(7), mouse, modifiers);

        QTEST(f->dialogs.seen, "dialogs");
        QCOMPARE((QStringList {f->text(7), f->clipboard.content,
                     f->log.entries().size() > logged ? f->lastMessage() : QString()}),
            after.mid(0, 3));
        QCOMPARE(f->window.statusText(), after.value(3, u"Ready"_s));
        QCOMPARE(button(7)->text(), after[0].isEmpty() ? QString() : u"+"_s);
        // Every mouse-up shows the position's text in the viewer, whatever it did.
        QCOMPARE(f->window.viewerText(), after[0]);
    }

    // Alt+drag from position 3 to 8; "after" adds the last and the previous deleted text.
    void positionDrag_data()
    {
        columns();
        const QString overwrite = u"Overwrite text|Overwrite position 08"_s;
        const QString clearSource = u"Delete text|Clear position 03?"_s;
        const QStringList occupied {"three", "eight"};
        row("onto an empty position", {}, {}, {"", "three", "three", ""}, {"three", ""});
        row("declined overwrite, source cleared", {"LabelNo", "LabelYes"}, {overwrite, clearSource},
            {"", "eight", "three", ""}, occupied);
        row("accepted overwrite clears the source silently", {"LabelYes"}, {overwrite},
            {"", "three", "three", "eight"}, occupied);
        row("onto the same text asks before clearing the source", {"LabelYes"}, {clearSource},
            {"", "three", "three", ""}, {"three", "three"});
        row("empty onto occupied asks to clear the target", {"LabelYes"}, {"Delete text|Clear position 08?"},
            {"", "", "eight", ""}, {"", "eight"});
    }
    void positionDrag()
    {
        auto [before, answers] = fetchColumns<QStringList, QStringList>({"before", "answers"});
        f->save(3, before[0]);
        f->save(8, before[1]);
        expectLabels(answers);
        QTest::mousePress(button(3), Qt::LeftButton, Qt::AltModifier);
        QCOMPARE(f->window.statusText(), u"Moving ..."_s);
        QTest::mouseRelease(button(8), Qt::LeftButton, Qt::AltModifier);
        QTEST(f->dialogs.seen, "dialogs");
        QTEST((QStringList {f->text(3), f->text(8), f->store.undoText(1), f->store.undoText(2)}), "after");
        QCOMPARE(f->window.statusText() + u'|' + f->window.viewerText(), "Ready|");
        if (answers.isEmpty()) // a dialog takes the focus with it
            QVERIFY(button(8)->hasFocus());
    }

    // A macro command on the selected entry of macros 3 "a" and 5 "e": the list is reloaded and
    // the same macro stays selected, or the moved one. "after": the selected entry, entries
    // 3 to 5, the viewer and the status line.
    void macroCommands_data()
    {
        const DataTable<QString, int, QStringList, QStringList> row({"label", "index", "answers", "after"});
        row("clear after yes", "LabelClearMacro", 4, {"LabelYes"},
            {"4", "a|Macro 4|Macro 5", "Macro 5 - Macro 5", "", ""});
        row("move down", "LabelMacroMoveDown", 2, {}, {"3", "Macro 3|a|e", "Macro 4 - a", "x", ""});
        row("edit saved", "LabelMacroEdit", 4, {"LabelSave:z", "LabelYes"},
            {"4", "a|Macro 4|e", "Macro 5 - e", "z", "Ready"});
    }
    void macroCommands()
    {
        auto [index, answers] = fetchColumns<int, QStringList>({"index", "answers"});
        QVERIFY(TestFiles::write(DataFiles::macroFile(f->folder(), 1), "03!\xac:a>x\r\n05!\xac:e>y\r\n"));
        f->window.selectBox(1);
        macros()->setCurrentIndex(index);
        expectLabels(answers);
        f->window.setStatus(QString());
        QFETCH(QString, label);
        click(label);
        const QStringList entries {macros()->itemText(2), macros()->itemText(3), macros()->itemText(4)};
        QTEST((QStringList {QString::number(macros()->currentIndex()), entries.join(u'|'),
                  f->window.viewerTitle(), f->window.viewerText(), f->window.statusText()}),
            "after");
    }

    // The overwrite question shows both texts and opens where it was last left; closing it is a
    // No. The delete question hides the new text; its "Don't ask" tick turns the questions off.
    // The main window, too, stores where it was closed, in twips.
    void dialogsAndPlacement()
    {
        QVERIFY(f->settingsStore.writeValue("Settings", "FmOWLeft", "900").ok());
        QVERIFY(f->settingsStore.writeValue("Settings", "FmOWTop", "600").ok());
        f->save(7, u"stored text"_s);
        f->clipboard.content = u"new text"_s;
        f->dialogs.expect([](QDialog& dialog) {
            QCOMPARE(in<QPlainTextEdit>(dialog, "Text1")->toPlainText() + u'|'
                    + in<QPlainTextEdit>(dialog, "Text2")->toPlainText(),
                u"stored text|new text"_s);
            QVERIFY(in<QLabel>(dialog, "Label2")->isVisible());
            QCOMPARE(dialog.pos(), QPoint(900 / 15, 600 / 15));
            dialog.move(150 / 15, 300 / 15);
            dialog.close();
        });
        QTest::mouseClick(button(7), Qt::RightButton);
        QCOMPARE(f->text(7), u"stored text"_s);
        QCOMPARE(f->settingsStore.readValue("Settings", "FmOWTop", ""), u"300"_s);

        f->dialogs.expect([](QDialog& dialog) {
            QVERIFY(!in<QPlainTextEdit>(dialog, "Text2")->isVisible()
                && !in<QLabel>(dialog, "Label2")->isVisible());
            in<QCheckBox>(dialog, "CheckDontAsk")->setChecked(true);
            DialogScript::clickLabel(u"LabelYes"_s, Qt::RightButton)(dialog); // any button
        });
        QTest::mouseClick(button(7), Qt::RightButton, Qt::ControlModifier);
        QCOMPARE(f->text(7), QString());
        QVERIFY(!f->context.warnOverwrite());

        f->window.move(40, 60);
        f->window.close();
        QCOMPARE(f->settingsStore.readValue("Settings", "Left", "") + ','
                + f->settingsStore.readValue("Settings", "Top", ""),
            "600,900");
    }

    // "answers" are the replies to the dialogs in turn. "settings": MacroPromptBefore and
    // MacroInformAfter. How each step dialog is left, and Cancel in the progress window, are clicked
    // in the real program by the end-to-end test.
    void play_data()
    {
        const DataTable<QString, QString, QStringList, QStringList, QString> row(
            {"body", "settings", "answers", "calls", "logged"});
        const QString finished = u"Macro 'Greeting' from box 'Box 1' finished playing correctly"_s,
                      aborted = u"Macro 'Greeting' from box 'Box 1' aborted by user"_s;
        const QString error = u"An error was encountered playing macro 'Greeting' from box 'Box 1'"_s;
        row("finished, asked and told", "a\r\nb{TAB}", "11", {"Yes", "OK"}, calls("<ab\t>"), finished);
        row("not told", "ab", "10", {"Yes"}, calls("<ab>"), finished);
        row("not asked", "ab", "01", {"OK"}, calls("<ab>"), finished);
        row("declined", "ab", "11", {"No"}, calls(""), QString());
        row("empty", "", "11", {}, calls(""), QString());
        row("error midway", "a{WAIT x}b", "01", {"OK"}, calls("<a>"), error);
        row("input first, continue", "{GET Name~Smith}", "00", {"Jones"}, calls("<>Jones>"), finished);
        row("input, abort", "{GET Name~Smith}b", "00", {"Abort", "OK"}, calls("<>"), aborted);
    }

    void play()
    {
        auto [body, settings, answers, calls, logged]
            = fetchColumns<QString, QString, QStringList, QStringList, QString>(
                {"body", "settings", "answers", "calls", "logged"});

        QVERIFY(f->macros.saveMacro(u"Greeting>"_s + body, 1, 1));
        QVERIFY(f->settings.setText(Settings::Key::MacroPromptBefore, settings.left(1)));
        QVERIFY(f->settings.setText(Settings::Key::MacroInformAfter, settings.mid(1)));
        QVERIFY(f->settings.setText(Settings::Key::MacroDelay, u"0"_s));
        const QRect geometry = f->window.geometry();
        RecordingPlatform platform;
        ClockFormats formats;
        MacroPlayer player {f->context, f->macros, platform, platform, &f->window, formats};

        for (const QString& reply : answers) {
            if (reply == u"Yes" || reply == u"No") {
                answer(reply == u"Yes" ? QMessageBox::Yes : QMessageBox::No);
            } else if (reply == u"OK") {
                // The report comes after the main window is back and the progress window gone.
                f->dialogs.expect([this, &logged, geometry](QDialog& dialog) {
                    QVERIFY(f->window.isVisible());
                    QCOMPARE(f->window.geometry(), geometry);
                    QVERIFY(!visibleProgressWindow());
                    QCOMPARE(static_cast<QMessageBox&>(dialog).text(), logged + u'.');
                    DialogScript::messageButton(QMessageBox::Ok)(dialog);
                });
            } else {
                f->dialogs.expect([reply](QDialog& dialog) {
                    QCOMPARE(dialog.objectName(), u"Form3"_s);
                    auto* text = dialog.findChild<QLineEdit*>(u"Text1"_s);
                    if (reply == u"Abort")
                        return DialogScript::clickLabel(u"LabelAbort"_s)(dialog);
                    QCOMPARE(text->cursorPosition(), int(text->text().size()));
                    text->selectAll();
                    QTest::keyClicks(text, u"Jones"_s);
                    QTest::keyClick(text, Qt::Key_Enter);
                });
            }
        }
        const qsizetype logBefore = f->log.entries().size();
        QCOMPARE(player.play(1, 1, u"Greeting"_s, u"Box 1"_s), answers.value(0) != u"No");

        QCOMPARE(platform.calls, calls);
        if (settings.startsWith(u'1') && !answers.isEmpty())
            QCOMPARE(f->dialogs.seen.value(0), u"Moxeno Trellin|Play macro Greeting?"_s);
        if (logged.isEmpty())
            QCOMPARE(f->log.entries().size(), logBefore);
        else
            QCOMPARE(f->lastMessage(), logged);
        QVERIFY(f->window.isVisible());
        QVERIFY(!visibleProgressWindow());
    }

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
        (void)f->store.savePosition(u"old"_s, 4, 1, true);
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
                f->dialogs.expect(DialogScript::clickLabel(u"LabelNo"_s));
            QVERIFY(f->store.savePosition(u"new %1"_s.arg(on), 4, 1, false));
        }
        QCOMPARE(f->text(4), u"new 0"_s);
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
            in<QLineEdit>(advanced, "TextDelay")->setText(u"25"_s);
            click(advanced, "LabelClose");
            QCOMPARE(in<QLineEdit>(advanced, "TextDelay")->text(), u"10"_s);
        });
        QCOMPARE(f->stored(Settings::Key::MacroDelay), u"10"_s);
    }

    void controlsHaveTheirOwnPlace()
    {
        QStringList faults;
        throughAdvanced([&](QDialog& advanced) { faults += layoutFaults(advanced); });
        throughAbout([&](QDialog& about) { faults += layoutFaults(about); });
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; "_s)));
    }

    // "Shortcuts" in the advanced options: a combination pressed in a field is stored in Qt's
    // portable text, an emptied field stores nothing, an unchanged one stays.
    void shortcutsAreStored()
    {
        QVERIFY(f->settings.setText(Settings::Key::ShortcutShow, u"Ctrl+Alt+S"_s));
        QVERIFY(f->settings.setText(Settings::Key::ShortcutMacro1, u"Meta+F5"_s));
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
        QCOMPARE(f->stored(Settings::Key::ShortcutMacro3), u"Ctrl+Alt+M"_s);
        QCOMPARE(f->stored(Settings::Key::ShortcutShow), QString());
        QCOMPARE(f->stored(Settings::Key::ShortcutMacro1), u"Meta+F5"_s);
    }

    // The insert rules show what is stored (the defaults at first); Save stores only what the
    // user changed, and Reset defaults brings the default lists back.
    void insertRulesAreStoredWhenChanged()
    {
        const QByteArray ini = TestFiles::read(f->settingsStore.iniPath());
        throughAdvanced([](QDialog& advanced) {
            QVERIFY(in<QLineEdit>(advanced, "TextInsertShiftInsert")->text().startsWith(u"xterm"));
            in<QComboBox>(advanced, "ComboInsertDefault")->setCurrentIndex(1);
            in<QLineEdit>(advanced, "TextInsertTyped")->setText(u"emacs, my*term "_s);
            in<QLineEdit>(advanced, "TextInsertShiftInsert")->setText(QString(300, u'x'));
            click(advanced, "LabelClose");
        });
        QCOMPARE(f->stored(Settings::Key::InsertDefault), u"paste"_s);
        QCOMPARE(f->stored(Settings::Key::InsertTyped), u"emacs, my*term"_s);
        QCOMPARE(f->stored(Settings::Key::InsertShiftInsert), QString(254, u'x'));
        QVERIFY(!TestFiles::read(f->settingsStore.iniPath()).mid(ini.size()).contains("CtrlV"));
        throughAdvanced([](QDialog& advanced) {
            QCOMPARE(in<QComboBox>(advanced, "ComboInsertDefault")->currentIndex(), 1);
            click(advanced, "LabelResetDefaults");
            click(advanced, "LabelClose");
        });
        QCOMPARE(f->stored(Settings::Key::InsertShiftInsert),
            QLatin1String(Settings::entry(Settings::Key::InsertShiftInsert).defaultValue));
        QCOMPARE(f->stored(Settings::Key::InsertDefault), u"type"_s);
    }

    // Reset defaults and a chosen folder followed by Cancel store and move nothing. The chosen
    // folder gets one trailing separator; cancelling the browser keeps the shown one. Help opens
    // the help window.
    void cancelStoresNothing()
    {
        QVERIFY(f->settings.setText(Settings::Key::MacroDelay, u"5"_s));
        QVERIFY(f->settings.setFlag(Settings::Key::MacroPromptBefore, false));
        QVERIFY(TestFiles::write(f->oldFolder() + "MoxenoTrellin1.txt", "01!\xC2\xAC:kept\r\n"));
        const QByteArray ini = TestFiles::read(f->settingsStore.iniPath());
        for (const auto& [chosen, shown] : std::initializer_list<std::pair<std::optional<QString>, QString>> {
                 {f->dir.filePath(u"else where"_s), f->dir.filePath(u"else where/"_s)},
                 {"/tmp/x/", "/tmp/x/"}, {std::nullopt, f->oldFolder()}}) {
            f->pickers.folder = chosen;
            throughAdvanced([shown = shown](QDialog& advanced) {
                QCOMPARE(in<QLineEdit>(advanced, "TextDelay")->text(), u"5"_s);
                click(advanced, "LabelHelp");
                click(advanced, "LabelResetDefaults");
                click(advanced, "CommandGetDataPath");
                QCOMPARE(in<QLineEdit>(advanced, "TextDelay")->text(), u"0.01"_s);
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
        const QString configHome = f->dir.filePath(u"config home"_s);
        const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", oldConfigHome); });
        const QString path = SessionAutostart::entryPath();
        QCOMPARE(path, configHome + u"/autostart/example.moxeno.Trellin.desktop"_s);
        if (before == "!")
            QVERIFY(TestFiles::write(configHome + u"/autostart"_s, "not a folder"));
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
        QVERIFY(f->boxes.renameBox(1, u"Moved box"_s));
        const QString target = f->dir.filePath(u"new home"_s);
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
        QVERIFY(!QFileInfo::exists(f->oldFolder() + u"MoxenoTrellinNames.txt"_s));
        // The tabs are read anew from the new folder: the rename alone did not reach them.
        QCOMPARE(f->window.boxCaption(1), u"Moved box"_s);
    }

    // Each of the three commands opens the dialog fresh, with its stores ticked, the box on show
    // chosen and the history in the list; closing it stores where it stood.
    void opensFromTheMainWindow_data()
    {
        addColumns<QString, QString>({"label", "ticked"});
        for (const auto& [tag, label, ticked] : {std::tuple {"all", "LabelSearchAll", "11"},
                 {"texts", "LabelSearchText", "10"}, {"macros", "LabelSearchMacros", "01"}})
            QTest::newRow(tag) << label << ticked;
    }
    void opensFromTheMainWindow()
    {
        auto [label, ticked] = fetchColumns<QString, QString>({"label", "ticked"});
        (void)f->settings.setText(Settings::Key::SearchHistory0, "older");
        (void)f->settings.setText(Settings::Key::SearchHistory2, "oldest");
        f->window.selectBox(3);
        QStringList seen;
        f->dialogs.expect([&](QDialog& dialog) {
            const auto check
                = [&](const char* name) { return dialog.findChild<QCheckBox*>(name)->isChecked(); };
            auto* boxNo = dialog.findChild<QComboBox*>("ComboBoxNo");
            auto* history = dialog.findChild<QComboBox*>("ComboFind");
            seen << u"%1%2"_s.arg(check("CheckText")).arg(check("CheckMacros")) << boxNo->currentText()
                 << QString::number(boxNo->isEnabled()) << history->currentText()
                 << QStringList {history->itemText(0), history->itemText(1), history->itemText(2)}.join(u'|')
                 << QString::number(history->count());
            DialogScript::clickLabel("LabelClose")(dialog);
        });
        QTest::mouseClick(f->window.findChild<QWidget*>(label), Qt::LeftButton);
        QCOMPARE(seen, (QStringList {ticked, "Box 3", "0", "", "older||oldest", "9"}));
        QVERIFY(f->settings.text(Settings::Key::SearchLeft).toInt() > 0);
    }

    // Find next walks the text hits, then the macro hits; after the last the message says the
    // text was not found again, the field is ready for a new search and the next Find starts over.
    void walksEveryHitThenStartsOver()
    {
        f->save(4, "Blue sky\r\nline two", 2);
        f->save(9, "blue", 1);
        f->macro(7, 3, "Paint>BLUE sea");
        openDirect();
        const char* first = "Found in TEXT position 9 in box 1: 'Box 1'";
        run({{'t', "blue", "", ""},
            {'R', "", "where caption enabled", qPrintable(first + u"|Find next|0101111"_s)},
            {'r', "LabelFind", "where results",
                "Found in TEXT position 4 in box 2: 'Box 2'|Blue sky\nline two"},
            {'r', "LabelFind", "where results enabled",
                "Found in MACRO 3: 'Paint' in box 7: 'Box 7'|BLUE sea|0111111"},
            {'m', "", "", ""}, {'@', "2", "", ""},
            {'r', "LabelFind", "said where results enabled caption selected",
                "Moxeno Trellin Search|\"blue\" was not found again.|||0000010|Find|ue"}});
        QVERIFY(d->focusWidget() == findText() || d->focusWidget() == inSearch("ComboFind"));
        // A new search was made twice with the same text: it is in the history once.
        run({{'r', "LabelFind", "where history", qPrintable(first + u"|blue,"_s)},
            // Case sensitive only changes the match of the next Find; Only search in box starts over.
            {'x', "CheckCaseSensitive", "caption", "Find next"},
            {'x', "CheckSearchOnlyInBox", "caption enabled", "Find|0000010"}});
        QCOMPARE(f->settings.text(Settings::Key::SearchHistory0), "blue");
        QVERIFY(inSearch("ComboBoxNo")->isEnabled());
        QCOMPARE(d->engine().textHitPosition(), 0);
        run({{'t', "Blue", "", ""}, {'m', "", "", ""}, // box 1 holds only "blue"
            {'r', "LabelFind", "said", "Moxeno Trellin Search|\"Blue\" was not found in box Box 1"}});
    }

    void typingStartsOverAndBothStoresClearDoNothing()
    {
        f->save(1, "abc", 1);
        openDirect();
        run({{'t', "b", "", ""}, {'r', "LabelFind", "enabled", "0101111"}, // a hit is shown
            {'T', "c", "caption where results enabled", "Find|||0000010"},
            // Picking an entry of the history is no edit, and Find next adds nothing to the history.
            {'t', "b", "", ""}, {'r', "LabelFind", "", ""},
            {'i', "2", "caption", "Find next"}, // an empty row
            {'m', "", "", ""},
            {'r', "LabelFind", "said rows", "Moxeno Trellin Search|\" * \" was not found again.|10"},
            {'x', "CheckText", "", ""}, {'x', "CheckMacros", "", ""},
            {'r', "LabelFind", "history", "b,"}}); // no message, no history entry
    }

    // Save and Delete act on the kind of item found, whatever the names hold.
    void editsAndDeletesTheItemFound()
    {
        f->context.setWarnOverwrite(true);
        QVERIFY(f->boxes.renameBox(2, "TEXT"));
        f->window.setCaptions(f->boxes.captions());
        f->macro(2, 4, "TEXT position 1>first body");
        f->macro(2, 6, "second>first body");
        f->save(1, "keep", 2);
        openDirect();
        run({{'t', "first", "", ""},
            {'r', "LabelFind", "where", "Found in MACRO 4: 'TEXT position 1' in box 2: 'TEXT'"}});
        results()->setFocus();
        QTest::keyClick(results(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(parts().at("enabled").left(1) + results()->textCursor().selectedText(), "0first body");
        QTest::keyClick(results(), Qt::Key_End);
        run({{'k', "!", "enabled", "1111111"}, {'a', "LabelYes", "", ""}, {'r', "LabelSave", "", ""}});
        QCOMPARE(
            readText(f->macros.readMacroBody(4, 2)) + readText(f->macros.readMacroName(4, 2)) + f->text(1, 2),
            "first body!TEXT position 1keep");

        // Refused: nothing changes and the hit stays shown; accepted: the display empties and
        // Find next goes on after the deleted macro.
        run({{'a', "LabelNo", "", ""}, {'r', "LabelDelete", "results", "first body!"},
            {'a', "LabelYes", "", ""}, {'r', "LabelDelete", "where results", "|"},
            {'r', "LabelFind", "where", "Found in MACRO 6: 'second' in box 2: 'TEXT'"}});
        QCOMPARE(readText(f->macros.readMacroBody(4, 2)), "");

        // A text hit is saved back into its position with its line breaks.
        f->save(5, "first\r\nline", 3);
        run({{'t', "line", "", ""}, {'r', "LabelFind", "where", "Found in TEXT position 5 in box 3: 'Box 3'"},
            {'k', "new ", "", ""}, {'a', "LabelYes", "", ""}, {'r', "LabelSave", "", ""},
            {'r', "LabelCopyToClip", "", ""}});
        QCOMPARE(f->text(5, 3), "new first\r\nline");
        QCOMPARE(f->clipboard.text(), "new first\nline");
        QVERIFY(d->isVisible());
    }

    // Go to closes the dialog, makes the macro's box current and selects the macro.
    void goesToAMacroInAnotherBox()
    {
        f->macro(5, 7, "Target>go here");
        QString shown;
        f->dialogs.expect([&](QDialog& dialog) {
            auto* combo = dialog.findChild<QComboBox*>("ComboFind");
            QTest::keyClicks(combo, "here");
            QTest::keyClick(combo, Qt::Key_Return);
            shown = dialog.findChild<QLabel*>("Label3")->text();
            DialogScript::clickLabel("LabelGoTo")(dialog);
        });
        QTest::mouseClick(f->window.findChild<QWidget*>("LabelSearchMacros"), Qt::LeftButton);
        QCOMPARE(shown, "Found in MACRO 7: 'Target' in box 5: 'Box 5'");
        QCOMPARE(f->window.selectedBox(), 5);
        QCOMPARE(f->window.findChild<QComboBox*>("ComboMacros")->currentIndex(), 6);
        QCOMPARE(f->store.loadedBox(), 5);
    }

    // Delete is the window's own action: the box on show follows at once, and a hit in another
    // box leaves the box on show as it is.
    void deletingUpdatesTheBoxOnShow()
    {
        f->context.setWarnOverwrite(false);
        f->save(3, "gone soon", 1);
        f->save(4, "gone too", 2);
        (void)f->store.loadBox(1);
        openDirect();
        run({{'t', "gone", "", ""}, {'r', "LabelFind", "", ""}, {'r', "LabelDelete", "", ""}});
        QCOMPARE(f->store.cached(3), "");
        run({{'r', "LabelFind", "where", "Found in TEXT position 4 in box 2: 'Box 2'"},
            {'r', "LabelDelete", "", ""}});
        QCOMPARE(QString::number(f->store.loadedBox()) + f->text(4, 2), "1");
    }

    // A command label paints its caption as a label without a text document does: same place,
    // colour and frame, disabled too; markup still goes through QLabel's document.
    void captionPainting_data()
    {
        const DataTable<QString, bool, bool, bool> row({"caption", "button", "framed", "enabled"});
        row("plain", "Paste && go\tnow", false, false, true);
        row("panel button", "Cancel", true, true, true);
        row("framed, left", "Left", false, true, true);
        row("disabled", "Delete", false, false, false);
        row("markup", "<b>Bold</b> text", false, false, true);
    }
    void captionPainting()
    {
        auto [caption, button, framed, enabled]
            = fetchColumns<QString, bool, bool, bool>({"caption", "button", "framed", "enabled"});
        QWidget window;
        // Away from the pointer, which underlines the label it is over.
        const QRect place(20, 40, 140, 24);
        CommandLabel* label = button ? CommandLabel::button(u"a"_s, caption, &window, place)
                                     : new CommandLabel(u"a"_s, caption, &window, place);
        if (framed)
            label->setFrameStyle(QFrame::Panel | QFrame::Raised);
        auto* plain = new QLabel(caption, &window);
        plain->setGeometry(place.translated(0, 30));
        plain->setPalette(label->palette());
        plain->setAlignment(label->alignment());
        plain->setFrameStyle(label->frameStyle());
        label->setEnabled(enabled);
        plain->setEnabled(enabled);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(label->grab().toImage(), plain->grab().toImage());
        QCOMPARE(label->findChild<QTextDocument*>() != nullptr, Qt::mightBeRichText(caption));
    }

    // A macro saved without a name is called by its number.
    void macroEdit()
    {
        showMacro(u"a{t}b{T}c{Tab}d"_s);
        auto* name = f->editDialog.findChild<QLineEdit*>(u"Text2"_s);
        QVERIFY(name->isVisible());
        for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton})
            QTest::mouseClick(label(u"Label1"_s), button);
        QCOMPARE(f->sent, QStringList {"{F1}"}); // from the left click only
        name->clear();
        QTest::mouseClick(label(u"LabelSave"_s), Qt::LeftButton);
        const EditResult result = f->editDialog.result();
        QVERIFY(result.saved && result.macroName == u"Macro 4"_s);
        QCOMPARE(result.text, u"a{TAB}b{TAB}c{Tab}d"_s);
    }

    // Closing the dialog any way but Save is a cancel; it stores where it was closed.
    void closeCancelsAndStoresPosition()
    {
        f->dialogs.expect([this](QDialog& dialog) {
            QVERIFY(!dialog.findChild<QFrame*>(u"Frame1"_s)->isVisible());
            text1()->setPlainText(u"changed"_s);
            dialog.move(30, 40);
            dialog.close();
        });
        QVERIFY(!f->editDialog.edit({"Moxeno Trellin - edit text", "text", false, {}, 0}).saved);
        QCOMPARE(f->settingsStore.readValue("Settings", "FmEditMacrosLeft", ""), u"450"_s);
        QCOMPARE(f->settingsStore.readValue("Settings", "FmEditMacrosTop", ""), u"600"_s);
    }

    // On "one two three" with a part selected, a label clicked or keys pressed: the text, the
    // selection and the clipboard after. Select all a second time unselects.
    void editCommands()
    {
        const QString all = u"one two three"_s;
        struct Row
        {
            int from, to;
            const char *clipboard, *command;
            QStringList after;
        };
        for (const Row& row : {Row {4, 7, "", "LabelCopySelection", {all, "two", "two"}},
                 {4, 7, "2", "LabelPaste", {"one 2 three", "", "2"}},
                 {4, 7, "x", "LabelClearAll", {"", "", "x"}}, {0, 5, "", "LabelSelectAll", {all, all, ""}},
                 {0, 13, "", "LabelSelectAll", {all, "", ""}}, {4, 4, "", "Ctrl+Shift+A", {all, "", ""}}}) {
            showMacro(all);
            QTextCursor cursor = text1()->textCursor();
            cursor.setPosition(row.from);
            cursor.setPosition(row.to, QTextCursor::KeepAnchor);
            text1()->setTextCursor(cursor);
            f->clipboard.content = QString::fromLatin1(row.clipboard);
            if (QByteArray(row.command).startsWith("Label"))
                QTest::mouseClick(label(QString::fromLatin1(row.command)), Qt::LeftButton);
            else
                QTest::keySequence(text1(), QKeySequence(QString::fromLatin1(row.command)));
            QCOMPARE((QStringList {
                         text1()->toPlainText(), text1()->textCursor().selectedText(), f->clipboard.content}),
                row.after);
        }
    }

    // The editor knows only LF; the saved text gets back the line breaks of the text it started from.
    void lineBreaks()
    {
        const auto saved = [this](const char* original, const char* edited) {
            f->editDialog.prepare({QString(), QString::fromUtf8(original), false, {}, 0});
            text1()->setPlainText(QString::fromUtf8(edited));
            return f->editDialog.result().text;
        };
        QCOMPARE(saved("a\r\nb", "a\nb\nc"), u"a\r\nb\r\nc"_s);
        QCOMPARE(saved("a\nb", "a\nb\nc"), u"a\nb\nc"_s);
        QCOMPARE(saved("", "x\ny"), u"x\r\ny"_s); // a new text gets CR LF
        // A no-break space is a character of the text, not a blank.
        QCOMPARE(saved("a\u00a0b", "a\u00a0b"), QString::fromUtf8("a\u00a0b"));
    }

    // Only a place with both edges positive is stored. A stored edge past the far end of the
    // screens opens the dialog at its own place (the edge rule itself is Settings::edge's).
    void dialogPlacementRule()
    {
        DialogPlacement placement(f->settings, Settings::Key::OverwriteLeft, Settings::Key::OverwriteTop,
            DialogPlacement::kDialogTooFar);
        QWidget window;
        window.move(0, 40);
        QVERIFY(placement.store(window).ok());
        QCOMPARE(f->settingsStore.readValue("Settings", "FmOWTop", ""), QString());

        QVERIFY(f->settings.setText(Settings::Key::OverwriteLeft, u"1e20"_s).ok());
        QVERIFY(f->settings.setText(Settings::Key::OverwriteTop, u"99999"_s).ok());
        QCOMPARE(placement.restoredEdges(window), QPoint(336, 372));
    }
};

TRELLIN_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
