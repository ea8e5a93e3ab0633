#include "GuiFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "app/CommandLabel.h"
#include "app/MakerPage.h"
#include "app/UpDownControl.h"
#include "boxes/DataFiles.h"
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
        return widget ? widget : (qFatal("no control %s", qPrintable(name)), nullptr);
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
        QTest::mouseMove(
            widget, name.startsWith(QStringLiteral("Frame")) ? QPoint(4, widget->height() - 4) : QPoint());
    }
    QString boxText(int box, int position)
    {
        return RecordFile::ReadRecord(DataFiles::boxFile(f->folder(), box), position, QString());
    }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
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

    void startsReadyWithNewestResultFirst()
    {
        QCOMPARE(f->form.statusText(), QStringLiteral("Ready"));
        auto* results = child<QComboBox>(QStringLiteral("ComboMainRes"));
        QCOMPARE(results->placeholderText(), QStringLiteral("Results"));
        QCOMPARE(results->currentIndex(), -1);
        f->log.LogStatus(QStringLiteral("first"));
        f->log.LogStatus(QStringLiteral("second"));
        QVERIFY(results->currentText().endsWith(QStringLiteral("  second")));
    }

    // A tab click selects its box at once, the slider only when the mouse lets go of it.
    void tabAndSliderSelectBox()
    {
        f->save(1, QStringLiteral("in box 3"), 3);
        f->save(2, QStringLiteral("forty"), 40);
        auto* tabs = child<QTabBar>(QStringLiteral("TabStripMain"));
        auto* slider = child<QSlider>(QStringLiteral("Slider1"));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QCOMPARE(f->state.currentBox(), 3);
        QCOMPARE(slider->value(), 3);
        QCOMPARE(f->store.cached(1), QStringLiteral("in box 3"));

        slider->setSliderPosition(40); // as a drag does: the slider moves, the box not yet
        QCOMPARE(f->state.currentBox(), 3);
        QTest::mouseRelease(slider, Qt::LeftButton);
        QTRY_COMPARE(f->state.currentBox(), 40);
        QCOMPARE(tabs->currentIndex(), 39);
        QCOMPARE(f->store.cached(2), QStringLiteral("forty"));
    }

    void upDownSteps()
    {
        auto* upDown = child<UpDownControl>(QStringLiteral("UpDown3"));
        const QPoint up(upDown->width() / 2, 2);
        const QPoint down(upDown->width() / 2, upDown->height() - 3);
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

    // Help (shown directly, then typed as F1 through the real key sender), About and the maker's
    // page from the menu, which shows "Select" again after each; the icon opens the page too.
    void menuHelpAndMakerPage()
    {
        QTest::keyClick(menu(), Qt::Key_Down); // "Help", shown directly without a key sender
        QVERIFY(f->help.isVisible());
        QCOMPARE(menu()->currentText(), QStringLiteral("Select"));
        // The tests run far from any installed manual.
        QVERIFY(f->help.toPlainText().contains(QStringLiteral("Manual not found")));
        f->help.close();

        QtKeySender keys;
        f->form.setSendKeys([&keys](const QString& notation) { keys.SendKeys(notation, false); });
        f->help.catchF1Everywhere();
        menu()->setFocus();
        QTest::keyClick(menu(), Qt::Key_Down);
        QTRY_VERIFY(f->help.isVisible());
        QCOMPARE(menu()->currentText(), QStringLiteral("Select"));

        f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok));
        emit menu()->activated(2);
        QCOMPARE(f->dialogs.seen, QStringList {"Moxeno Trellin|Moxeno Trellin\nRelease " TRELLIN_VERSION});
        QCOMPARE(menu()->currentIndex(), 0);
        emit menu()->activated(3);
        QCOMPARE(m_opened, QList<QUrl> {MakerPage::address()});
        QCOMPARE(menu()->currentIndex(), 0);
        click(QStringLiteral("picIcon"));
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_opened.last(), MakerPage::address());
    }

    void helpFindsManualBesideProgram()
    {
        QTemporaryDir prefix;
        const QString bin = prefix.path() + QStringLiteral("/bin");
        QCOMPARE(HelpWindow::findManual(bin), QString());
        const QString manual = prefix.path() + QStringLiteral("/share/moxeno-trellin/help/index.html");
        QVERIFY(TestFiles::write(manual, QByteArray()));
        QCOMPARE(HelpWindow::findManual(bin), manual);
    }

    // One control of each kind of hint, with "Macro 5" selected, text on the clipboard and "5:"
    // "kept" in the viewer: the status line, then the viewer's title and text.
    void hoverHints()
    {
        macros()->setCurrentIndex(4);
        f->clipboard.text = QStringLiteral("on the clipboard");
        const auto hint = [this](const char* control) {
            f->form.showInViewer(QStringLiteral("5:"), QStringLiteral("kept"));
            hover(QString::fromUtf8(control));
            return QStringList {f->form.statusText(), f->form.viewerTitle(), f->form.viewerText()};
        };
        QCOMPARE(hint("Slider1"), (QStringList {"Move quickly between boxes.", "5:", "kept"}));
        // The viewer's hint sits on its viewport, not on the text control itself.
        QCOMPARE(hint("TextSee"),
            (QStringList {"Double-click to copy the contents straight to the clipboard.", "5:", "kept"}));
        QCOMPARE(hint("FrameCalculator"), (QStringList {"Ready", "5:", "kept"}));
        QCOMPARE(
            hint("LabelMoveBox0"), (QStringList {"Move box 'Box 1' one place to the right.", "5:", "kept"}));
        QCOMPARE(
            hint("LabelPlay"), (QStringList {"Play 'Macro 5' in the last window you left.", "5:", "kept"}));
        QCOMPARE(hint("FrameMacros"), (QStringList {"", "Macro 5 - Macro 5", ""}));
        QCOMPARE(hint("LabelEditClipboard"),
            (QStringList {"Work with clipboard contents.", "Clipboard contents:", "on the clipboard"}));
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
    }

    // Clear asks first unless warnings are off, and a No keeps the text; Edit puts the edited text
    // back; the copy label refills the clipboard only when the refill text is set.
    void clipboardLabels()
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
        QCOMPARE(f->lastMessage(), QStringLiteral("Clipboard cleared"));
        f->clipboard.text = QStringLiteral("again");
        f->state.setWarnOverwrite(false);
        click(QStringLiteral("LabelClearClipboard"));
        QCOMPARE(f->clipboard.text, QString());

        f->clipboard.text = QStringLiteral("before");
        click(QStringLiteral("LabelEditClipboard"));
        auto* viewer = f->child<QWidget>(QStringLiteral("ClipboardViewer"));
        QVERIFY(viewer && viewer->isVisible());
        auto* text = viewer->findChild<QPlainTextEdit*>(QStringLiteral("TextClipboard"));
        QCOMPARE(text->toPlainText(), QStringLiteral("before"));
        text->setPlainText(QStringLiteral("after"));
        QTest::mouseClick(viewer->findChild<QPushButton*>(QStringLiteral("ButtonPutBack")), Qt::LeftButton);
        QCOMPARE(f->clipboard.text, QStringLiteral("after"));

        hover(QStringLiteral("LabelCopyToClip"));
        QCOMPARE(f->clipboard.text, QStringLiteral("after"));
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

    // Each answer reaches its own files, kept as backups: declined at once, texts only, macros only.
    void clearBox()
    {
        f->save(4, QStringLiteral("text"));
        QFile macros(DataFiles::macroFile(f->folder(), 1));
        QVERIFY(TestFiles::write(macros.fileName(), "01!\xac:Name>body\r\n"));
        const auto clear = [this](const QList<bool>& answers) {
            for (bool yes : answers)
                f->dialogs.expect(DialogScript::messageButton(yes ? QMessageBox::Yes : QMessageBox::No));
            click(QStringLiteral("LabelClearBox"));
        };
        const QString before = f->log.latest();
        clear({false});
        QCOMPARE(f->form.positionButtons()->button(4)->text(), QStringLiteral("+"));
        QCOMPARE(f->log.latest(), before);

        clear({true, true, false});
        const QString sure
            = QStringLiteral("Moxeno Trellin|Are you sure you wish to clear data in box 1: Box 1 ?");
        QCOMPARE(f->dialogs.seen,
            (QStringList {sure, sure,
                QStringLiteral("Moxeno Trellin|Do you wish to clear the clipboard data?"),
                QStringLiteral("Moxeno Trellin|Do you wish to clear the macros?")}));
        QCOMPARE(f->form.positionButtons()->button(4)->text(), QString());
        QVERIFY(QFile::exists(DataFiles::boxBackup(f->folder(), 1)));
        QVERIFY(QFile::exists(macros.fileName()));
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 'Box 1' cleared successfully."));

        clear({true, false, true});
        QVERIFY(!QFile::exists(macros.fileName()));
        QVERIFY(QFile::exists(DataFiles::macroBackup(f->folder(), 1)));
        QVERIFY(QFile::exists(DataFiles::boxBackup(f->folder(), 1)));
    }

    // Left and right labels, the ends, the name and texts going along with the box.
    void moveBox()
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
        QCOMPARE(f->log.latest(), before);

        f->save(2, QStringLiteral("box three text"), 3);
        f->form.selectBox(3);
        click(QStringLiteral("LabelMoveBox0"));
        QCOMPARE(f->state.currentBox(), 4);
        QCOMPARE(f->form.boxCaption(4), QStringLiteral("Box 3"));
        QCOMPARE(f->form.boxCaption(3), QStringLiteral("Box 4"));
        QCOMPARE(f->store.cached(2), QStringLiteral("box three text"));
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

        f->dialogs.expect(answer("fifteen chars!!", ""));
        click(QStringLiteral("LabelRenameBox"));
        QCOMPARE(f->form.boxCaption(1), QStringLiteral("fifteen chars!!"));
    }

    // Closing stores the box and the placement in twips, but not a placement at the screen edge.
    void closeStoresBoxAndPlacement()
    {
        f->settings.IniWrite("Settings", "Left", "1200");
        f->form.move(0, 60);
        f->form.close();
        QCOMPARE(f->settings.IniRead("Settings", "Left", ""), QStringLiteral("1200"));
        QCOMPARE(f->settings.IniRead("Settings", "Top", ""), QString());

        f->form.show();
        f->form.selectBox(12);
        f->form.move(40, 60);
        click(QStringLiteral("LabelClose"));
        QVERIFY(!f->form.isVisible());
        QCOMPARE(f->settings.IniRead("Settings", "BoxNo", ""), QStringLiteral("12"));
        QCOMPARE(f->settings.IniRead("Settings", "Left", ""), QStringLiteral("600"));
        QCOMPARE(f->settings.IniRead("Settings", "Top", ""), QStringLiteral("900"));
    }
};

TRELLIN_GUI_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
