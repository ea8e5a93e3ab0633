#include "GuiFixture.h"
#include "TestEnvironment.h"
#include "app/CommandLabel.h"
#include "app/MakerPage.h"
#include "app/UpDownControl.h"
#include "boxes/DataFiles.h"
#include "boxes/NamesFile.h"
#include "boxes/PositionButton.h"
#include "boxes/PositionButtonsFrame.h"
#include "boxes/RecordFile.h"
#include "platform/QtKeySender.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTabBar>

// The main window: box selection, the macro list stepping, the menu, box management, the
// undo and clipboard labels, the viewer and the hover hints, driven with mouse and keys.
class TestForm1 : public QObject
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { m_opened.append(url); }

private:
    std::unique_ptr<GuiFixture> f;
    QList<QUrl> m_opened;

    template<typename T = CommandLabel> T* child(const QString& name)
    {
        T* widget = f->child<T>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void click(const QString& label, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(child(label), button);
    }
    QComboBox* macros() { return child<QComboBox>(QStringLiteral("ComboMacros")); }
    QComboBox* menu() { return child<QComboBox>(QStringLiteral("ComboMain")); }
    // Moves away first (a move to where the mouse already is delivers nothing) and empties the
    // status line, then enters the control. Frames are entered near their bottom left corner,
    // where they hold no control.
    void hover(const QString& name)
    {
        QTest::mouseMove(&f->form, QPoint(1, 1));
        f->form.setStatus(QString());
        QWidget* widget = child<QWidget>(name);
        if (name == QStringLiteral("FrameViewer"))
            QTest::mouseMove(widget, QPoint(3375 / 15 + 2, 36)); // between title and copy label
        else if (name.startsWith(QStringLiteral("Frame")))
            QTest::mouseMove(widget, QPoint(4, widget->height() - 4));
        else
            QTest::mouseMove(widget);
    }
    QString boxText(int box, int position)
    {
        return RecordFile::ReadRecord(DataFiles::boxFile(f->folder(), box), position, QString());
    }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl"); }
    void init()
    {
        f = std::make_unique<GuiFixture>();
        f->form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->form));
        m_opened.clear();
    }
    void cleanup()
    {
        QVERIFY2(f->dialogs.usedUp(), "an expected dialog did not open");
        f.reset();
    }

    void startsReadyWithResultsPlaceholder()
    {
        QCOMPARE(f->form.windowTitle(), QStringLiteral("Moxeno Trellin"));
        QCOMPARE(f->form.statusText(), QStringLiteral("Ready"));
        auto* results = child<QComboBox>(QStringLiteral("ComboMainRes"));
        QCOMPARE(results->placeholderText(), QStringLiteral("Results"));
        QCOMPARE(results->currentIndex(), -1);
        f->log.LogStatus(QStringLiteral("first"));
        f->log.LogStatus(QStringLiteral("second"));
        QCOMPARE(results->currentIndex(), 0);
        QVERIFY(results->currentText().endsWith(QStringLiteral("  second")));
        QCOMPARE(results->count(), 2);
    }

    void tabClickSelectsBox()
    {
        f->save(1, QStringLiteral("in box 3"), 3);
        auto* tabs = child<QTabBar>(QStringLiteral("TabStripMain"));
        QCOMPARE(tabs->count(), 99);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QCOMPARE(f->state.currentBox(), 3);
        QCOMPARE(child<QSlider>(QStringLiteral("Slider1"))->value(), 3);
        QCOMPARE(f->store.cached(1), QStringLiteral("in box 3"));
    }

    void sliderSelectsBoxOnlyOnRelease()
    {
        f->save(2, QStringLiteral("forty"), 40);
        auto* slider = child<QSlider>(QStringLiteral("Slider1"));
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = option.sliderValue = slider->value();
        const QRect handle
            = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
        QTest::mousePress(slider, Qt::LeftButton, {}, handle.center());
        // Dragging moves the slider but not the box.
        slider->setSliderPosition(40);
        QCOMPARE(slider->value(), 40);
        QCOMPARE(f->state.currentBox(), 1);
        QTest::mouseRelease(slider, Qt::LeftButton, {}, handle.center());
        QTRY_COMPARE(f->state.currentBox(), 40);
        QCOMPARE(child<QTabBar>(QStringLiteral("TabStripMain"))->currentIndex(), 39);
        QCOMPARE(f->store.cached(2), QStringLiteral("forty"));
        QCOMPARE(slider->value(), 40);
    }

    void upDownSteps()
    {
        auto* upDown = child<UpDownControl>(QStringLiteral("UpDown3"));
        const QPoint up(upDown->width() / 2, 2);
        const QPoint down(upDown->width() / 2, upDown->height() - 3);
        QCOMPARE(macros()->count(), 99);
        QTest::mouseClick(upDown, Qt::LeftButton, {}, up);
        QCOMPARE(macros()->currentIndex(), 0);
        QTest::mouseClick(upDown, Qt::LeftButton, {}, down);
        QCOMPARE(macros()->currentIndex(), 1);
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("Macro 2 - Macro 2"));
        macros()->setCurrentIndex(98);
        QTest::mouseClick(upDown, Qt::LeftButton, {}, down);
        QCOMPARE(macros()->currentIndex(), 98);
        QTest::mouseClick(upDown, Qt::LeftButton, {}, up);
        QCOMPARE(macros()->currentIndex(), 97);
        QTest::mouseClick(upDown, Qt::RightButton, {}, down);
        QCOMPARE(macros()->currentIndex(), 0);
    }

    // Help, About and the maker's page; the menu shows "Select" again after each.
    void menuReturnsToSelect()
    {
        QCOMPARE(menu()->currentText(), QStringLiteral("Select"));
        QTest::keyClick(menu(), Qt::Key_Down); // "Help", shown directly without a key sender
        QVERIFY(f->help.isVisible());
        QCOMPARE(menu()->currentText(), QStringLiteral("Select"));
        f->help.close();

        // The program types F1 into itself, so Help opens exactly as F1 does.
        QtKeySender keys;
        f->form.setSendKeys([&keys](const QString& notation) { keys.SendKeys(notation, false); });
        f->help.catchF1Everywhere();
        menu()->setFocus();
        QTest::keyClick(menu(), Qt::Key_Down);
        QTRY_VERIFY(f->help.isVisible());
        QCOMPARE(menu()->currentText(), QStringLiteral("Select"));

        f->dialogs.expect([](QDialog& dialog) {
            QVERIFY(qobject_cast<QMessageBox*>(&dialog)->text().contains(
                QStringLiteral("Release " TRELLIN_VERSION)));
            dialog.accept();
        });
        emit menu()->activated(2);
        QCOMPARE(menu()->currentIndex(), 0);
        emit menu()->activated(3);
        QCOMPARE(m_opened, QList<QUrl> {MakerPage::address()});
        QCOMPARE(menu()->currentIndex(), 0);
    }

    void iconOpensMakerPage()
    {
        click(QStringLiteral("picIcon"));
        QCOMPARE(m_opened, QList<QUrl> {MakerPage::address()});
        QVERIFY(!child(QStringLiteral("picIcon"))->pixmap().isNull());
    }

    void f1OpensHelpAnywhere()
    {
        f->help.catchF1Everywhere();
        QTest::keyClick(child<QPlainTextEdit>(QStringLiteral("TextSee")), Qt::Key_F1);
        QVERIFY(f->help.isVisible());
        // The tests run far from any installed manual.
        QVERIFY(!f->help.manualFound());
        QVERIFY(f->help.toPlainText().contains(QStringLiteral("Manual not found")));
    }

    void helpFindsManualBesideProgram()
    {
        QTemporaryDir prefix;
        const QString manual = prefix.path() + QStringLiteral("/share/moxeno-trellin/help/index.html");
        QDir(prefix.path()).mkpath(QStringLiteral("bin"));
        QDir(prefix.path()).mkpath(QStringLiteral("share/moxeno-trellin/help"));
        QCOMPARE(HelpWindow::findManual(prefix.path() + QStringLiteral("/bin")), QString());
        QFile file(manual);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(HelpWindow::findManual(prefix.path() + QStringLiteral("/bin")), manual);
    }

    // Hovering each control, with "Macro 5" selected, text on the clipboard and "5:" "kept" in
    // the viewer: the status line, then the viewer's title and text.
    void hoverHints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("viewerTitle");
        QTest::addColumn<QString>("viewerText");
        const auto row = [](const char* control, const QString& status,
                             const char* title = "5:", const char* text = "kept") {
            QTest::newRow(control) << QString::fromUtf8(control) << status << QString::fromUtf8(title)
                                   << QString::fromUtf8(text);
        };
        const QString ready = QStringLiteral("Ready");
        const QString undoHint = QStringLiteral(" Click to copy to clipboard; right-click to clear.");
        row("Slider1", QStringLiteral("Move quickly between boxes."));
        row("UpDown3", QStringLiteral("Right-click to go straight to the first item in the list."));
        row("picIcon", QStringLiteral("Visit Moxeno website for more products and support."));
        row("LabelSearchAll", QStringLiteral("Search text and macros."));
        row("LabelSearchText", QStringLiteral("Search text."));
        row("LabelSearchMacros", QStringLiteral("Search macros."));
        row("FrameCalculator", ready);
        row("FrameNotepads", ready);
        row("FrameViewer", ready);
        row("TextSee", QStringLiteral("Double-click to copy the contents straight to the clipboard."));
        row("LabelClearBox", QStringLiteral("Clear all text and/or macros in box 'Box 1'."));
        row("LabelRenameBox", QStringLiteral("Rename box 'Box 1'."));
        row("LabelMoveBox0", QStringLiteral("Move box 'Box 1' one place to the right."));
        row("LabelMoveBox1", QStringLiteral("Move box 'Box 1' one place to the left."));
        row("LabelMacroEdit", QStringLiteral("Edit 'Macro 5'."));
        row("LabelClearMacro",
            QStringLiteral("Delete 'Macro 5'. Right-click to overwrite with the clipboard contents."));
        row("LabelMacroMoveDown", QStringLiteral("Move 'Macro 5' down in list."));
        row("LabelMacroMoveUp", QStringLiteral("Move 'Macro 5' up in list."));
        row("LabelPlay", QStringLiteral("Play 'Macro 5' in the last window you left."));
        row("FrameMacros", QString(), "Macro 5 - Macro 5", "");
        row("LabelTextUndo2", QStringLiteral("Previous deleted text.") + undoHint, "Previous deleted text.",
            "");
        row("LabelMacroUndo1", QStringLiteral("Last deleted macro.") + undoHint, "Last deleted macro.", "");
        row("LabelClearClipboard", QStringLiteral("Clear clipboard contents."),
            "Clipboard contents:", "on the clipboard");
        row("LabelEditClipboard", QStringLiteral("Work with clipboard contents."),
            "Clipboard contents:", "on the clipboard");
    }
    void hoverHints()
    {
        QFETCH(QString, control);
        macros()->setCurrentIndex(4);
        f->clipboard.text = QStringLiteral("on the clipboard");
        f->form.showInViewer(QStringLiteral("5:"), QStringLiteral("kept"));
        hover(control);
        QTEST(f->form.statusText(), "status");
        QTEST(f->form.viewerTitle(), "viewerTitle");
        QTEST(f->form.viewerText(), "viewerText");
    }

    void undoLabels()
    {
        f->save(1, QStringLiteral("first"));
        f->save(2, QStringLiteral("second"));
        QTest::mouseClick(f->form.positionButtons()->button(1), Qt::RightButton, Qt::AltModifier);
        QTest::mouseClick(f->form.positionButtons()->button(2), Qt::RightButton, Qt::AltModifier);
        f->clipboard.text.clear();

        hover(QStringLiteral("LabelTextUndo1"));
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("Last deleted text."));
        QCOMPARE(f->form.viewerText(), QStringLiteral("second"));
        click(QStringLiteral("LabelTextUndo2"));
        QCOMPARE(f->clipboard.text, QStringLiteral("first"));

        click(QStringLiteral("LabelTextUndo1"), Qt::RightButton);
        QCOMPARE(f->store.undoText(1), QString());
        QCOMPARE(f->store.undoText(2), QStringLiteral("first"));
        hover(QStringLiteral("LabelTextUndo1"));
        QCOMPARE(f->form.viewerText(), QString());
        click(QStringLiteral("LabelTextUndo1"));
        QCOMPARE(f->clipboard.text, QString());
    }

    void clearClipboard()
    {
        f->clipboard.text = QStringLiteral("something");
        f->dialogs.expect(DialogScript::messageButton(QMessageBox::No));
        click(QStringLiteral("LabelClearClipboard"));
        QCOMPARE(f->clipboard.text, QStringLiteral("something"));

        f->dialogs.expect(DialogScript::messageButton(QMessageBox::Yes));
        click(QStringLiteral("LabelClearClipboard"));
        QCOMPARE(f->dialogs.seen, QStringList(2, QStringLiteral("Moxeno Trellin|Clear the clipboard?")));
        QCOMPARE(f->clipboard.text, QString());
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("Clipboard contents:"));
        QCOMPARE(f->form.viewerText(), QString());
        QCOMPARE(f->lastMessage(), QStringLiteral("Clipboard cleared"));

        f->clipboard.text = QStringLiteral("again");
        f->state.setWarnOverwrite(false); // no question then
        click(QStringLiteral("LabelClearClipboard"));
        QCOMPARE(f->clipboard.text, QString());
    }

    void editClipboardPutsTextBack()
    {
        f->clipboard.text = QStringLiteral("before");
        click(QStringLiteral("LabelEditClipboard"));
        auto* viewer = f->child<QWidget>(QStringLiteral("ClipboardViewer"));
        QVERIFY(viewer && viewer->isVisible());
        auto* text = viewer->findChild<QPlainTextEdit*>(QStringLiteral("TextClipboard"));
        QCOMPARE(text->toPlainText(), QStringLiteral("before"));
        text->setPlainText(QStringLiteral("after"));
        QTest::mouseClick(viewer->findChild<QPushButton*>(QStringLiteral("ButtonPutBack")), Qt::LeftButton);
        QCOMPARE(f->clipboard.text, QStringLiteral("after"));
    }

    void refillOnCopyToClipLabel()
    {
        f->clipboard.text = QStringLiteral("other");
        hover(QStringLiteral("LabelCopyToClip"));
        QCOMPARE(f->clipboard.text, QStringLiteral("other")); // the feature is off
        f->state.setRefillText(QStringLiteral("refill"));
        hover(QStringLiteral("LabelCopyToClip"));
        QCOMPARE(f->clipboard.text, QStringLiteral("refill"));
    }

    void viewerShortcuts()
    {
        f->form.showInViewer(QStringLiteral("3:"), QStringLiteral("line one\r\nline two"));
        auto* viewer = child<QPlainTextEdit>(QStringLiteral("TextSee"));
        QTest::mouseDClick(viewer->viewport(), Qt::LeftButton);
        QCOMPARE(f->clipboard.text, QStringLiteral("line one\r\nline two"));
        QTest::keyClick(viewer, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(viewer->textCursor().selectedText().size(), QStringLiteral("line one\nline two").size());
    }

    void clearBox_data()
    {
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("textsCleared");
        QTest::addColumn<bool>("macrosCleared");
        QTest::newRow("no") << QList<bool> {false} << false << false;
        QTest::newRow("yes no no") << QList<bool> {true, false, false} << false << false;
        QTest::newRow("yes yes no") << QList<bool> {true, true, false} << true << false;
        QTest::newRow("yes no yes") << QList<bool> {true, false, true} << false << true;
        QTest::newRow("yes yes yes") << QList<bool> {true, true, true} << true << true;
    }
    void clearBox()
    {
        QFETCH(QList<bool>, answers);
        QFETCH(bool, textsCleared);
        QFETCH(bool, macrosCleared);
        f->save(4, QStringLiteral("text"));
        QFile macroFile(DataFiles::macroFile(f->folder(), 1));
        QVERIFY(macroFile.open(QIODevice::WriteOnly));
        macroFile.write("01!\xac:Name>body\r\n");
        macroFile.close();
        const QString before = f->log.latest();
        for (qsizetype i = 0; i < answers.size(); ++i) {
            // Only the first question carries the question mark icon.
            const auto icon = i == 0 ? QMessageBox::Question : QMessageBox::NoIcon;
            f->dialogs.expect([yes = answers.at(i), icon](QDialog& dialog) {
                QCOMPARE(qobject_cast<QMessageBox*>(&dialog)->icon(), icon);
                DialogScript::messageButton(yes ? QMessageBox::Yes : QMessageBox::No)(dialog);
            });
        }

        click(QStringLiteral("LabelClearBox"));

        const QStringList questions {"Moxeno Trellin|Are you sure you wish to clear data in box 1: Box 1 ?",
            "Moxeno Trellin|Do you wish to clear the clipboard data?",
            "Moxeno Trellin|Do you wish to clear the macros?"};
        QCOMPARE(f->dialogs.seen, questions.mid(0, answers.size()));
        QCOMPARE(QFile::exists(DataFiles::boxFile(f->folder(), 1)), !textsCleared);
        QCOMPARE(QFile::exists(DataFiles::boxBackup(f->folder(), 1)), textsCleared);
        QCOMPARE(QFile::exists(DataFiles::macroFile(f->folder(), 1)), !macrosCleared);
        QCOMPARE(QFile::exists(DataFiles::macroBackup(f->folder(), 1)), macrosCleared);
        QCOMPARE(
            f->form.positionButtons()->button(4)->text(), textsCleared ? QString() : QStringLiteral("+"));
        if (textsCleared || macrosCleared)
            QCOMPARE(f->lastMessage(), QStringLiteral("Box 'Box 1' cleared successfully."));
        else
            QCOMPARE(f->log.latest(), before);
    }

    void moveBoxAtTheEndsDoesNothing()
    {
        f->save(1, QStringLiteral("first box"), 1);
        f->save(1, QStringLiteral("last box"), 99);
        const QString before = f->log.latest();
        click(QStringLiteral("LabelMoveBox1")); // left
        QCOMPARE(f->form.selectedBox(), 1);
        f->form.selectBox(99);
        click(QStringLiteral("LabelMoveBox0")); // right
        QCOMPARE(f->form.selectedBox(), 99);
        QCOMPARE(boxText(1, 1), QStringLiteral("first box"));
        QCOMPARE(boxText(99, 1), QStringLiteral("last box"));
        QCOMPARE(f->form.boxCaption(1), QStringLiteral("Box 1"));
        QCOMPARE(f->form.boxCaption(99), QStringLiteral("Box 99"));
        QCOMPARE(f->log.latest(), before);
    }

    void moveBoxRightTakesTextsAndName()
    {
        QVERIFY(f->boxes.renameBox(3, QStringLiteral("Third")));
        f->form.setCaptions(f->boxes.captions());
        f->save(2, QStringLiteral("box three text"), 3);
        f->form.selectBox(3);
        click(QStringLiteral("LabelMoveBox0"));
        QCOMPARE(f->form.selectedBox(), 4);
        QCOMPARE(f->state.currentBox(), 4);
        QCOMPARE(f->form.boxCaption(4), QStringLiteral("Third"));
        QCOMPARE(f->form.boxCaption(3), QStringLiteral("Box 4"));
        QCOMPARE(f->store.cached(2), QStringLiteral("box three text"));
        QVERIFY(!QFile::exists(DataFiles::boxFile(f->folder(), 3)));
        QCOMPARE(NamesFile::readOrDefaults(f->folder()).at(3), QStringLiteral("Third"));
    }

    void moveBoxLeftWithoutFiles()
    {
        f->form.selectBox(6);
        click(QStringLiteral("LabelMoveBox1"));
        QCOMPARE(f->form.selectedBox(), 5);
        QCOMPARE(f->form.boxCaption(5), QStringLiteral("Box 6"));
        QCOMPARE(f->form.boxCaption(6), QStringLiteral("Box 5"));
    }

    void renameBox()
    {
        // The question shows the current name; an empty answer is a cancel.
        const auto answer = [](const char* current, const char* name) -> DialogScript::Answer {
            return [current, name](QDialog& dialog) {
                QCOMPARE(qobject_cast<QInputDialog*>(&dialog)->textValue(), QString::fromUtf8(current));
                DialogScript::inputText(QString::fromUtf8(name))(dialog);
            };
        };
        // Sixteen characters are refused, and the question comes again.
        f->dialogs.expect(answer("Box 1", "sixteen chars!!!"));
        f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok));
        f->dialogs.expect(answer("Box 1", "fifteen chars!!"));
        click(QStringLiteral("LabelRenameBox"));
        const QString question
            = QStringLiteral("Rename box 1|Enter a name for this box of data (max 15 characters).");
        QCOMPARE(f->dialogs.seen,
            (QStringList {question, QStringLiteral("Moxeno Trellin|Only 15 characters allowed."), question}));
        QCOMPARE(f->form.boxCaption(1), QStringLiteral("fifteen chars!!"));
        QCOMPARE(NamesFile::readOrDefaults(f->folder()).at(0), QStringLiteral("fifteen chars!!"));

        f->dialogs.expect(answer("fifteen chars!!", ""));
        click(QStringLiteral("LabelRenameBox"));
        QCOMPARE(f->form.boxCaption(1), QStringLiteral("fifteen chars!!"));
    }

    void closeStoresBoxAndPlacement()
    {
        f->form.selectBox(12);
        f->form.move(40, 60);
        click(QStringLiteral("LabelClose"));
        QVERIFY(!f->form.isVisible());
        QCOMPARE(f->settings.IniRead("Settings", "BoxNo", ""), QStringLiteral("12"));
        QCOMPARE(f->settings.IniRead("Settings", "Left", ""), QStringLiteral("600"));
        QCOMPARE(f->settings.IniRead("Settings", "Top", ""), QStringLiteral("900"));
    }

    void closeAtScreenEdgeKeepsStoredPlacement()
    {
        f->settings.IniWrite("Settings", "Left", "1200");
        f->form.move(0, 60);
        f->form.close();
        QCOMPARE(f->settings.IniRead("Settings", "Left", ""), QStringLiteral("1200"));
        QCOMPARE(f->settings.IniRead("Settings", "Top", ""), QString());
    }
};

TRELLIN_GUI_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
