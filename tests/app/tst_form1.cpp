#include "GuiFixture.h"
#include "TestEnvironment.h"
#include "app/CommandLabel.h"
#include "app/MakerPage.h"
#include "app/UpDownControl.h"
#include "boxes/DataFiles.h"
#include "boxes/NamesFile.h"
#include "boxes/PositionButton.h"
#include "boxes/PositionButtonsFrame.h"
#include "platform/QtKeySender.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QInputDialog>
#include <QLineEdit>
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
    QComboBox* macros() { return child<QComboBox>(QStringLiteral("ComboMacros")); }
    // Moves away first: a move to where the mouse already is delivers nothing. Frames are
    // entered near their bottom left corner, where they hold no control.
    void hover(const QString& name)
    {
        QTest::mouseMove(&f->form, QPoint(1, 1));
        QWidget* widget = child<QWidget>(name);
        if (name == QStringLiteral("FrameViewer"))
            QTest::mouseMove(widget, QPoint(3375 / 15 + 2, 36)); // between title and copy label
        else if (name.startsWith(QStringLiteral("Frame")))
            QTest::mouseMove(widget, QPoint(4, widget->height() - 4));
        else
            QTest::mouseMove(widget);
    }
    void writeFile(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
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

    void menuReturnsToSelect()
    {
        auto* menu = child<QComboBox>(QStringLiteral("ComboMain"));
        QCOMPARE(menu->currentText(), QStringLiteral("Select"));
        QTest::keyClick(menu, Qt::Key_Down); // "Help"
        QCOMPARE(menu->currentText(), QStringLiteral("Select"));
        QVERIFY(f->help.isVisible());
        f->help.close();

        f->dialogs.expect([](QDialog& dialog) {
            QVERIFY(qobject_cast<QMessageBox*>(&dialog)->text().contains(
                QStringLiteral("Release " TRELLIN_VERSION)));
            dialog.accept();
        });
        emit menu->activated(2);
        QCOMPARE(menu->currentIndex(), 0);
        emit menu->activated(3);
        QCOMPARE(m_opened, QList<QUrl> {MakerPage::address()});
        QCOMPARE(menu->currentIndex(), 0);
    }

    void menuHelpTypesF1IntoTheProgram()
    {
        QtKeySender keys;
        f->form.setSendKeys([&keys](const QString& notation) { keys.SendKeys(notation, false); });
        f->help.catchF1Everywhere();
        auto* menu = child<QComboBox>(QStringLiteral("ComboMain"));
        menu->setFocus();
        QTest::keyClick(menu, Qt::Key_Down); // "Help"
        QTRY_VERIFY(f->help.isVisible());
        QCOMPARE(menu->currentText(), QStringLiteral("Select"));
    }

    void iconOpensMakerPage()
    {
        QTest::mouseClick(child(QStringLiteral("picIcon")), Qt::LeftButton);
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
        QDir(prefix.path()).mkpath(QStringLiteral("bin"));
        QDir(prefix.path()).mkpath(QStringLiteral("share/moxeno-trellin/help"));
        QCOMPARE(HelpWindow::findManual(prefix.path() + QStringLiteral("/bin")), QString());
        writeFile(prefix.path() + QStringLiteral("/share/moxeno-trellin/help/index.html"), "<h1>Manual</h1>");
        QCOMPARE(HelpWindow::findManual(prefix.path() + QStringLiteral("/bin")),
            prefix.path() + QStringLiteral("/share/moxeno-trellin/help/index.html"));
    }

    void staticHints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("hint");
        QTest::newRow("slider") << "Slider1"
                                << "Move quickly between boxes.";
        QTest::newRow("up-down") << "UpDown3"
                                 << "Right-click to go straight to the first item in the list.";
        QTest::newRow("icon") << "picIcon"
                              << "Visit Moxeno website for more products and support.";
        QTest::newRow("search all") << "LabelSearchAll"
                                    << "Search text and macros.";
        QTest::newRow("search text") << "LabelSearchText"
                                     << "Search text.";
        QTest::newRow("search macros") << "LabelSearchMacros"
                                       << "Search macros.";
        QTest::newRow("calculator frame") << "FrameCalculator"
                                          << "Ready";
        QTest::newRow("notepads frame") << "FrameNotepads"
                                        << "Ready";
        QTest::newRow("viewer frame") << "FrameViewer"
                                      << "Ready";
        QTest::newRow("clear box") << "LabelClearBox"
                                   << "Clear all text and/or macros in box 'Box 1'.";
        QTest::newRow("rename box") << "LabelRenameBox"
                                    << "Rename box 'Box 1'.";
        QTest::newRow("move right") << "LabelMoveBox0"
                                    << "Move box 'Box 1' one place to the right.";
        QTest::newRow("move left") << "LabelMoveBox1"
                                   << "Move box 'Box 1' one place to the left.";
        QTest::newRow("edit macro") << "LabelMacroEdit"
                                    << "Edit 'Macro 1'.";
        QTest::newRow("clear macro")
            << "LabelClearMacro"
            << "Delete 'Macro 1'. Right-click to overwrite with the clipboard contents.";
        QTest::newRow("macro down") << "LabelMacroMoveDown"
                                    << "Move 'Macro 1' down in list.";
        QTest::newRow("macro up") << "LabelMacroMoveUp"
                                  << "Move 'Macro 1' up in list.";
        QTest::newRow("play") << "LabelPlay"
                              << "Play 'Macro 1' in the last window you left.";
        QTest::newRow("undo 2") << "LabelTextUndo2"
                                << "Previous deleted text. Click to copy to clipboard; right-click to clear.";
        QTest::newRow("macro undo 1")
            << "LabelMacroUndo1"
            << "Last deleted macro. Click to copy to clipboard; right-click to clear.";
    }
    void staticHints()
    {
        QFETCH(QString, control);
        QFETCH(QString, hint);
        f->form.setStatus(QString());
        hover(control);
        QCOMPARE(f->form.statusText(), hint);
    }

    void viewerHint()
    {
        f->form.showInViewer(QStringLiteral("5:"), QStringLiteral("kept"));
        hover(QStringLiteral("TextSee"));
        QCOMPARE(f->form.statusText(),
            QStringLiteral("Double-click to copy the contents straight to the clipboard."));
        QCOMPARE(f->form.viewerText(), QStringLiteral("kept"));
    }

    void clipboardLabelsShowClipboard()
    {
        f->clipboard.text.clear();
        hover(QStringLiteral("LabelClearClipboard"));
        QCOMPARE(f->form.statusText(), QStringLiteral("Clear clipboard contents."));
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("Clipboard contents:"));
        QCOMPARE(f->form.viewerText(), QString());
        f->clipboard.text = QStringLiteral("on the clipboard");
        hover(QStringLiteral("LabelEditClipboard"));
        QCOMPARE(f->form.statusText(), QStringLiteral("Work with clipboard contents."));
        QCOMPARE(f->form.viewerText(), QStringLiteral("on the clipboard"));
    }

    void macroFrameShowsSelectedMacro()
    {
        macros()->setCurrentIndex(4);
        f->form.emptyViewer();
        hover(QStringLiteral("FrameMacros"));
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("Macro 5 - Macro 5"));
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
        QTest::mouseClick(child(QStringLiteral("LabelTextUndo2")), Qt::LeftButton);
        QCOMPARE(f->clipboard.text, QStringLiteral("first"));

        QTest::mouseClick(child(QStringLiteral("LabelTextUndo1")), Qt::RightButton);
        QCOMPARE(f->store.undoText(1), QString());
        hover(QStringLiteral("LabelTextUndo1"));
        QCOMPARE(f->form.viewerText(), QString());
        QTest::mouseClick(child(QStringLiteral("LabelTextUndo1")), Qt::LeftButton);
        QCOMPARE(f->clipboard.text, QString());
    }

    void clearClipboard()
    {
        f->clipboard.text = QStringLiteral("something");
        f->dialogs.expect(DialogScript::messageButton(QMessageBox::No));
        QTest::mouseClick(child(QStringLiteral("LabelClearClipboard")), Qt::LeftButton);
        QCOMPARE(f->clipboard.text, QStringLiteral("something"));

        f->dialogs.expect(DialogScript::messageButton(QMessageBox::Yes));
        QTest::mouseClick(child(QStringLiteral("LabelClearClipboard")), Qt::LeftButton);
        QCOMPARE(f->dialogs.seen.last(), QStringLiteral("Moxeno Trellin|Clear the clipboard?"));
        QCOMPARE(f->clipboard.text, QString());
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("Clipboard contents:"));
        QCOMPARE(f->form.viewerText(), QString());
        QCOMPARE(f->lastMessage(), QStringLiteral("Clipboard cleared"));

        f->state.setWarnOverwrite(false); // no question then
        QTest::mouseClick(child(QStringLiteral("LabelClearClipboard")), Qt::LeftButton);
    }

    void editClipboardPutsTextBack()
    {
        f->clipboard.text = QStringLiteral("before");
        QTest::mouseClick(child(QStringLiteral("LabelEditClipboard")), Qt::LeftButton);
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
        writeFile(DataFiles::macroFile(f->folder(), 1), "01!\xac:Name>body\r\n");
        const int logged = int(f->log.entries().size());
        for (bool yes : answers)
            f->dialogs.expect(DialogScript::messageButton(yes ? QMessageBox::Yes : QMessageBox::No));

        QTest::mouseClick(child(QStringLiteral("LabelClearBox")), Qt::LeftButton);

        const QStringList questions {"Moxeno Trellin|Are you sure you wish to clear data in box 1: Box 1 ?",
            "Moxeno Trellin|Do you wish to clear the clipboard data?",
            "Moxeno Trellin|Do you wish to clear the macros?"};
        QCOMPARE(f->dialogs.seen, questions.mid(0, answers.size()));
        QCOMPARE(QFile::exists(DataFiles::boxFile(f->folder(), 1)), !textsCleared);
        QCOMPARE(QFile::exists(DataFiles::boxBackup(f->folder(), 1)), textsCleared);
        QCOMPARE(QFile::exists(DataFiles::macroFile(f->folder(), 1)), !macrosCleared);
        QCOMPARE(
            f->form.positionButtons()->button(4)->text(), textsCleared ? QString() : QStringLiteral("+"));
        QCOMPARE(f->log.entries().size() > logged, textsCleared || macrosCleared);
    }

    void moveBoxAtTheEndsDoesNothing()
    {
        QTest::mouseClick(child(QStringLiteral("LabelMoveBox1")), Qt::LeftButton);
        QCOMPARE(f->form.selectedBox(), 1);
        f->form.selectBox(99);
        QTest::mouseClick(child(QStringLiteral("LabelMoveBox0")), Qt::LeftButton);
        QCOMPARE(f->form.selectedBox(), 99);
        QVERIFY(f->log.entries().isEmpty());
    }

    void moveBoxRightTakesTextsAndName()
    {
        QVERIFY(f->boxes.renameBox(3, QStringLiteral("Third")));
        f->form.setCaptions(f->boxes.captions());
        f->save(2, QStringLiteral("box three text"), 3);
        f->form.selectBox(3);
        QTest::mouseClick(child(QStringLiteral("LabelMoveBox0")), Qt::LeftButton);
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
        QTest::mouseClick(child(QStringLiteral("LabelMoveBox1")), Qt::LeftButton);
        QCOMPARE(f->form.selectedBox(), 5);
        QCOMPARE(f->form.boxCaption(5), QStringLiteral("Box 6"));
        QCOMPARE(f->form.boxCaption(6), QStringLiteral("Box 5"));
    }

    void renameBox()
    {
        f->dialogs.expect([](QDialog& dialog) {
            auto* input = qobject_cast<QInputDialog*>(&dialog);
            QCOMPARE(input->windowTitle(), QStringLiteral("Rename box 1"));
            QCOMPARE(
                input->labelText(), QStringLiteral("Enter a name for this box of data (max 15 characters)."));
            QCOMPARE(input->textValue(), QStringLiteral("Box 1"));
            DialogScript::inputText(QStringLiteral("sixteen chars!!!"))(dialog);
        });
        f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok));
        f->dialogs.expect(DialogScript::inputText(QStringLiteral("fifteen chars!!")));
        QTest::mouseClick(child(QStringLiteral("LabelRenameBox")), Qt::LeftButton);
        QCOMPARE(f->dialogs.seen.at(1), QStringLiteral("Moxeno Trellin|Only 15 characters allowed."));
        QCOMPARE(f->form.boxCaption(1), QStringLiteral("fifteen chars!!"));
        QCOMPARE(NamesFile::readOrDefaults(f->folder()).at(0), QStringLiteral("fifteen chars!!"));

        f->dialogs.expect(DialogScript::inputText(QString())); // cancel
        QTest::mouseClick(child(QStringLiteral("LabelRenameBox")), Qt::LeftButton);
        QCOMPARE(f->form.boxCaption(1), QStringLiteral("fifteen chars!!"));
    }

    void closeStoresBoxAndPlacement()
    {
        f->form.selectBox(12);
        f->form.move(40, 60);
        QTest::mouseClick(child(QStringLiteral("LabelClose")), Qt::LeftButton);
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
