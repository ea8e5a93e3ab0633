#include "GuiFixture.h"
#include "GuiTestMain.h"
#include "TestFiles.h"
#include "gui/main/MakerPage.h"
#include "boxes/DataFiles.h"
#include "gui/boxes/PositionButton.h"
#include "gui/boxes/PositionButtonsFrame.h"
#include "gui/main/HelpWindow.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTabBar>

// The main window's controls, its menu, labels, viewer and hover hints, driven with mouse and keys.
class TestMainWindow : public QObject
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { m_opened.append(url); }

private:
    std::unique_ptr<GuiFixture> f;
    QList<QUrl> m_opened;

    template<typename T = QWidget> T* child(const QString& name) { return f->child<T>(name); }
    void click(const QString& name, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(child(name), b); }
    void answer(int button) { f->dialogs.expect(DialogScript::messageButton(button)); }
    QComboBox* macros() { return child<QComboBox>("ComboMacros"); }
    QComboBox* menu() { return child<QComboBox>("ComboMain"); }
    QString button(int position) { return f->window.positionButtons()->button(position)->text(); }
    // Leaves first (a move to where the mouse is delivers nothing); enters a frame at an empty corner.
    void hover(const QString& name)
    {
        QTest::mouseMove(&f->window, QPoint(1, 1));
        f->window.setStatus(QString());
        QWidget* widget = child(name);
        QTest::mouseMove(widget, name.startsWith("Frame") ? QPoint(4, widget->height() - 4) : QPoint());
    }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    void init() { QVERIFY((f = GuiFixture::shown()) != nullptr); }
    void cleanup()
    {
        QVERIFY2(f->dialogs.usedUp(), "an expected dialog did not open");
        f.reset();
    }

    // A tab click selects its box at once, the slider only when the mouse lets go of it. The
    // macro list's up and down stop at its ends; a right click goes straight to the first item.
    void boxAndMacroSelection()
    {
        f->save(2, QStringLiteral("forty"), 40);
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
        QCOMPARE(f->store.cached(2), "forty");

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

    // Help, About and the maker's page from the menu,
    // which shows "Select" again after each; the icon opens the page too. The manual is looked
    // for beside the program; the tests run far from any installed one.
    void menuHelpAndMakerPage()
    {
        menu()->setFocus();
        QTest::keyClick(menu(), Qt::Key_Down);
        QTRY_VERIFY(f->help.isVisible());
        QCOMPARE(menu()->currentText(), "Select");
        QVERIFY(f->help.toPlainText().contains("Manual not found"));

        answer(QMessageBox::Ok);
        emit menu()->activated(2);
        QCOMPARE(f->dialogs.seen, QStringList {"Moxeno Trellin|Moxeno Trellin\nRelease " TRELLIN_VERSION});
        menu()->setCurrentIndex(3);
        emit menu()->activated(3);
        QCOMPARE(menu()->currentIndex(), 0);
        click("picIcon");
        QCOMPARE(m_opened, (QList<QUrl> {MakerPage::address(), MakerPage::address()}));

        QTemporaryDir prefix;
        const QString manual = prefix.path() + "/share/moxeno-trellin/help/index.html";
        QCOMPARE(HelpWindow::findManual(prefix.path() + "/bin"), QString());
        QVERIFY(TestFiles::write(manual, QByteArray()));
        QCOMPARE(HelpWindow::findManual(prefix.path() + "/bin"), manual);
    }

    // The status line starts "Ready", the results list shows the newest entry. Then one control
    // of each kind of hint (the viewer's on its viewport), with "Macro 5" selected, text on the
    // clipboard and "5:" "kept" in the viewer: the status line, the viewer's title and text.
    void statusAndHoverHints()
    {
        QCOMPARE(f->window.statusText(), "Ready");
        f->log.logStatus(QStringLiteral("first"));
        f->log.logStatus(QStringLiteral("second"));
        QVERIFY(child<QComboBox>("ComboMainRes")->currentText().endsWith("  second"));

        macros()->setCurrentIndex(4);
        f->clipboard.content = QStringLiteral("clip");
        const auto hint = [this](const char* control) {
            f->window.showInViewer(QStringLiteral("5:"), QStringLiteral("kept"));
            hover(control);
            return QStringList {f->window.statusText(), f->window.viewerTitle(), f->window.viewerText()}.join(u'|');
        };
        QCOMPARE(hint("Slider1"), "Move quickly between boxes.|5:|kept");
        QCOMPARE(hint("TextSee"), "Double-click to copy the contents straight to the clipboard.|5:|kept");
        QCOMPARE(hint("FrameCalculator"), "Ready|5:|kept");
        QCOMPARE(hint("LabelMoveBox0"), "Move box 'Box 1' one place to the right.|5:|kept");
        QCOMPARE(hint("LabelPlay"), "Play 'Macro 5' in the last window you left.|5:|kept");
        QCOMPARE(hint("FrameMacros"), "|Macro 5 - Macro 5|");
        QCOMPARE(hint("LabelEditClipboard"), "Work with clipboard contents.|Clipboard contents:|clip");
    }

    // The undo labels show, copy and empty their level. Clear asks first unless warnings are off,
    // and a No keeps the text; Edit puts the edited text back; the copy label refills the
    // clipboard only when the refill text is set. A double click on the viewer copies its text.
    void undoClipboardAndViewer()
    {
        f->save(1, QStringLiteral("first"));
        f->save(2, QStringLiteral("second"));
        QTest::mouseClick(f->window.positionButtons()->button(1), Qt::RightButton, Qt::AltModifier);
        QTest::mouseClick(f->window.positionButtons()->button(2), Qt::RightButton, Qt::AltModifier);
        hover("LabelTextUndo1");
        QCOMPARE(f->window.viewerTitle(), "Last deleted text.");
        QCOMPARE(f->window.viewerText(), "second");
        click("LabelTextUndo2");
        QCOMPARE(f->clipboard.content, "first");
        click("LabelTextUndo1", Qt::RightButton);
        QCOMPARE(f->store.undoText(1), QString());
        QCOMPARE(f->store.undoText(2), "first");

        f->clipboard.content = QStringLiteral("something");
        answer(QMessageBox::No);
        click("LabelClearClipboard");
        QCOMPARE(f->clipboard.content, "something");
        answer(QMessageBox::Yes);
        click("LabelClearClipboard");
        QCOMPARE(f->dialogs.seen, QStringList(2, "Moxeno Trellin|Clear the clipboard?"));
        QCOMPARE(f->clipboard.content, QString());
        QCOMPARE(f->lastMessage(), "Clipboard cleared");
        f->clipboard.content = QStringLiteral("again");
        f->context.setWarnOverwrite(false);
        click("LabelClearClipboard");
        QCOMPARE(f->clipboard.content, QString());

        f->clipboard.content = QStringLiteral("before");
        click("LabelEditClipboard");
        auto* text = child<QPlainTextEdit>("TextClipboard");
        QVERIFY(text->isVisible());
        QCOMPARE(text->toPlainText(), "before");
        text->setPlainText(QStringLiteral("after"));
        QTest::mouseClick(child("ButtonPutBack"), Qt::LeftButton);
        QCOMPARE(f->clipboard.content, "after");
        hover("LabelCopyToClip");
        QCOMPARE(f->clipboard.content, "after");
        f->context.setRefillText(QStringLiteral("refill"));
        hover("LabelCopyToClip");
        QCOMPARE(f->clipboard.content, "refill");

        f->window.showInViewer(QStringLiteral("3:"), QStringLiteral("line one\r\nline two"));
        auto* see = child<QPlainTextEdit>("TextSee");
        QTest::mouseDClick(see->viewport(), Qt::LeftButton);
        QCOMPARE(f->clipboard.content, "line one\nline two"); // the clipboard speaks LF
        QTest::keyClick(see, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(see->textCursor().selectedText().size(), 17);
    }

    // Clear box: each answer reaches its own files, kept as backups: declined at once, texts
    // only, macros only. Rename refuses sixteen characters and asks again; an empty answer is a
    // cancel. Move does nothing at either end; otherwise the box and its name go along.
    void boxLabels()
    {
        const QString macros = DataFiles::macroFile(f->folder(), 1);
        QVERIFY(TestFiles::write(macros, "01!\xac:Name>body\r\n"));
        f->save(4, QStringLiteral("text"));
        for (int b : {QMessageBox::No, QMessageBox::Yes, QMessageBox::Yes, QMessageBox::No, QMessageBox::Yes,
                 QMessageBox::No, QMessageBox::Yes})
            answer(b);
        const QString before = f->log.latest();
        click("LabelClearBox"); // No
        QCOMPARE(button(4), "+");
        QCOMPARE(f->log.latest(), before);
        click("LabelClearBox"); // Yes, texts: yes, macros: no
        const QString sure = "Moxeno Trellin|Are you sure you wish to clear data in box 1: Box 1 ?";
        QCOMPARE(f->dialogs.seen,
            (QStringList {sure, sure, "Moxeno Trellin|Do you wish to clear the clipboard data?",
                "Moxeno Trellin|Do you wish to clear the macros?"}));
        QCOMPARE(button(4), QString());
        QVERIFY(QFile::exists(DataFiles::boxBackup(f->folder(), 1)));
        QVERIFY(QFile::exists(macros));
        QCOMPARE(f->lastMessage(), "Box 'Box 1' cleared successfully.");
        f->save(4, QStringLiteral("text"));
        click("LabelClearBox"); // Yes, texts: no, macros: yes
        QCOMPARE(button(4), "+");
        QVERIFY(!QFile::exists(macros));
        QVERIFY(QFile::exists(DataFiles::macroBackup(f->folder(), 1)));

        f->dialogs.seen.clear();
        f->dialogs.expect(DialogScript::inputText(QStringLiteral("sixteen chars!!!")));
        answer(QMessageBox::Ok);
        f->dialogs.expect(DialogScript::inputText(QStringLiteral("fifteen chars!!")));
        click("LabelRenameBox");
        const QString question = "Rename box 1|Enter a name for this box of data (max 15 characters).";
        QCOMPARE(f->dialogs.seen,
            (QStringList {question, "Moxeno Trellin|Only 15 characters allowed.", question}));
        f->dialogs.expect(DialogScript::inputText(QString()));
        click("LabelRenameBox");
        QCOMPARE(f->window.boxCaption(1), "fifteen chars!!");

        f->save(1, QStringLiteral("last box"), 99);
        const auto file = [this](int box) { return TestFiles::read(DataFiles::boxFile(f->folder(), box)); };
        const QString logged = f->log.latest();
        click("LabelMoveBox1"); // left, from box 1
        QCOMPARE(f->window.selectedBox(), 1);
        f->window.selectBox(99);
        click("LabelMoveBox0"); // right, from box 99
        QCOMPARE(f->window.selectedBox(), 99);
        QCOMPARE(f->log.latest(), logged);
        QVERIFY(file(1).contains("text") && file(99).contains("last box"));
        click("LabelMoveBox1");
        QCOMPARE(f->store.loadedBox(), 98);
        QCOMPARE(f->window.boxCaption(98), "Box 99");
    }

    // Closing stores the placement in twips, but not a placement at the screen edge.
    void closeStoresPlacement()
    {
        const auto stored = [this](const char* key) { return f->settingsStore.readValue("Settings", key, ""); };
        f->window.move(0, 60);
        f->window.close();
        QCOMPARE(stored("Left") + ',' + stored("Top"), ",");
        f->window.show();
        f->window.move(40, 60);
        f->window.close();
        QCOMPARE(stored("Left") + ',' + stored("Top"), "600,900");
    }
};

TRELLIN_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
