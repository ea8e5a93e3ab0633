#include "GuiFixture.h"
#include "TestEnvironment.h"
#include "app/SettingsStore.h"
#include "boxes/FormEdit.h"
#include "boxes/FormOWrite.h"
#include "boxes/PositionButton.h"
#include "boxes/PositionButtonsFrame.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>

// The 99 position buttons of the main window, driven with real mouse events; their dialogs are
// the real FormOWrite and FormEdit.
class TestPositionButtons : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<GuiFixture> f;

    PositionButton* button(int position) { return f->form.positionButtons()->button(position); }
    // Answers given as text: a label to click, "edit:<text>" to save an edit, "cancel".
    void expectAnswers(const QStringList& answers)
    {
        for (const QString& answer : answers) {
            if (answer.startsWith(QStringLiteral("edit:"))) {
                const QString text = answer.mid(5);
                f->dialogs.expect([text](QDialog& dialog) {
                    dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->setPlainText(text);
                    DialogScript::clickLabel(QStringLiteral("LabelSave"))(dialog);
                });
            } else if (answer == QStringLiteral("cancel")) {
                f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelCancel")));
            } else {
                f->dialogs.expect(DialogScript::clickLabel(answer));
            }
        }
    }
    void drag(int source, int target)
    {
        QTest::mousePress(button(source), Qt::LeftButton, Qt::AltModifier);
        QTest::mouseRelease(button(target), Qt::LeftButton, Qt::AltModifier);
    }

private slots:
    void init()
    {
        f = std::make_unique<GuiFixture>();
        f->form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->form));
    }
    void cleanup()
    {
        QVERIFY2(f->dialogs.usedUp(), "an expected dialog did not open");
        f.reset();
    }

    void layoutFollowsTheDesignedTwips()
    {
        // 96 DPI: 15 twips to the pixel. Row 1 holds 1-9; 10 starts row 2; 99 ends row 7.
        QCOMPARE(button(1)->geometry(), QRect(0, 0, 17, 17));
        QCOMPARE(button(4)->pos(), QPoint(56, 0));
        QCOMPARE(button(10)->pos(), QPoint(0, 24));
        QCOMPARE(button(24)->pos(), QPoint(256, 24));
        QCOMPARE(button(25)->pos(), QPoint(0, 40));
        QCOMPARE(button(99)->pos(), QPoint(256, 120));
    }

    void mouseUpRules_data()
    {
        QTest::addColumn<int>("mouse");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("clipboardBefore");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("clipboardAfter");
        QTest::addColumn<QStringList>("dialogs");

        const int left = Qt::LeftButton, right = Qt::RightButton;
        const int shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
        const QString overwrite = QStringLiteral("Overwrite text|Overwrite position 07");
        const QString clear = QStringLiteral("Delete text|Clear position 07?");
        const QString edit = QStringLiteral("Moxeno Trellin - edit text|");
        const QString old = QStringLiteral("old");
        const QString clip = QStringLiteral("clip");
        QTest::newRow("left copies") << left << 0 << clip << QStringList() << old << old << QStringList();
        QTest::newRow("shift+left copies")
            << left << shift << clip << QStringList() << old << old << QStringList();
        QTest::newRow("ctrl+left copies")
            << left << ctrl << clip << QStringList() << old << old << QStringList();
        QTest::newRow("ctrl+shift+left copies")
            << left << (ctrl | shift) << clip << QStringList() << old << old << QStringList();
        QTest::newRow("right pastes after yes")
            << right << 0 << clip << QStringList {"LabelYes"} << clip << clip << QStringList {overwrite};
        QTest::newRow("right paste answered no")
            << right << 0 << clip << QStringList {"LabelNo"} << old << clip << QStringList {overwrite};
        QTest::newRow("right paste with empty clipboard")
            << right << 0 << QString() << QStringList() << old << QString() << QStringList();
        QTest::newRow("shift+right edits") << right << shift << clip << QStringList {"edit:new text"}
                                           << QStringLiteral("new text") << clip << QStringList {edit};
        QTest::newRow("shift+right edit cancelled")
            << right << shift << clip << QStringList {"cancel"} << old << clip << QStringList {edit};
        QTest::newRow("ctrl+right deletes after yes")
            << right << ctrl << clip << QStringList {"LabelYes"} << QString() << clip << QStringList {clear};
        QTest::newRow("ctrl+right delete answered no")
            << right << ctrl << clip << QStringList {"LabelNo"} << old << clip << QStringList {clear};
        QTest::newRow("alt+right cuts without asking")
            << right << alt << clip << QStringList() << QString() << old << QStringList();
        QTest::newRow("ctrl+shift+right does nothing")
            << right << (ctrl | shift) << clip << QStringList() << old << clip << QStringList();
        QTest::newRow("alt+shift+right does nothing")
            << right << (alt | shift) << clip << QStringList() << old << clip << QStringList();
        QTest::newRow("ctrl+alt+right does nothing")
            << right << (ctrl | alt) << clip << QStringList() << old << clip << QStringList();
        QTest::newRow("middle does nothing")
            << int(Qt::MiddleButton) << 0 << clip << QStringList() << old << clip << QStringList();
    }
    void mouseUpRules()
    {
        QFETCH(int, mouse);
        QFETCH(int, modifiers);
        QFETCH(QString, clipboardBefore);
        QFETCH(QStringList, answers);
        QFETCH(QString, stored);
        QFETCH(QString, clipboardAfter);
        QFETCH(QStringList, dialogs);

        f->save(7, QStringLiteral("old"));
        f->clipboard.text = clipboardBefore;
        f->form.showInViewer(QStringLiteral("title"), QStringLiteral("something else"));
        expectAnswers(answers);

        QTest::mouseClick(button(7), Qt::MouseButton(mouse), Qt::KeyboardModifiers(modifiers));

        QCOMPARE(f->dialogs.seen, dialogs);
        QCOMPARE(f->store.ReadPosition(7), stored);
        QCOMPARE(f->clipboard.text, clipboardAfter);
        QCOMPARE(button(7)->text(), stored.isEmpty() ? QString() : QStringLiteral("+"));
        // Every mouse-up shows the position's text in the viewer, whatever it did.
        QCOMPARE(f->form.viewerText(), stored);
    }

    void copyOfEmptyPositionDoesNothing()
    {
        f->clipboard.text = QStringLiteral("keep");
        QTest::mouseClick(button(3), Qt::LeftButton);
        QCOMPARE(f->clipboard.text, QStringLiteral("keep"));
        QVERIFY(f->log.entries().isEmpty());
    }

    void overwriteDialogShowsBothTexts()
    {
        f->save(7, QStringLiteral("stored text"));
        f->clipboard.text = QStringLiteral("new text");
        f->dialogs.expect([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Overwrite text"));
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                QStringLiteral("Overwrite position 07"));
            QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText(),
                QStringLiteral("stored text"));
            QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("Label2"))->isVisible());
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("with"));
            QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text2"))->toPlainText(),
                QStringLiteral("new text"));
            QCOMPARE(dialog.findChild<QCheckBox*>(QStringLiteral("CheckDontAsk"))->text(),
                QStringLiteral("Don't ask me about overwriting / deleting in future"));
            QCOMPARE(dialog.findChild<QFrame*>(QStringLiteral("Frame1"))->y(), 6480 / 15);
            QCOMPARE(dialog.height(), 6930 / 15);
            dialog.close(); // any close other than Yes is No
        });
        QTest::mouseClick(button(7), Qt::RightButton);
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("stored text"));
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, position 7 not updated"));
    }

    void deleteDialogIsShortened()
    {
        f->save(23, QStringLiteral("stored"));
        f->dialogs.expect([](QDialog& dialog) {
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                QStringLiteral("Clear position 23?"));
            QVERIFY(!dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text2"))->isVisible());
            QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("Label2"))->isVisible());
            QCOMPARE(dialog.findChild<QFrame*>(QStringLiteral("Frame1"))->y(), 3210 / 15);
            QCOMPARE(dialog.height(), FormOWrite::kShortClientHeight / 15);
            DialogScript::clickLabel(QStringLiteral("LabelYes"), Qt::RightButton)(dialog); // any button
        });
        QTest::mouseClick(button(23), Qt::RightButton, Qt::ControlModifier);
        QCOMPARE(f->store.ReadPosition(23), QString());
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, position 23 cleared"));
    }

    void dontAskTickedWithNoStopsTheQuestions()
    {
        f->save(7, QStringLiteral("old"));
        f->clipboard.text = QStringLiteral("new");
        f->dialogs.expect([](QDialog& dialog) {
            dialog.findChild<QCheckBox*>(QStringLiteral("CheckDontAsk"))->setChecked(true);
            DialogScript::clickLabel(QStringLiteral("LabelNo"))(dialog);
        });
        QTest::mouseClick(button(7), Qt::RightButton);
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("old"));
        QVERIFY(!f->state.warnOverwrite());
        QCOMPARE(f->settings.IniRead("Settings", "WarnOverwrite", "1"), QStringLiteral("0"));
        QTest::mouseClick(button(7), Qt::RightButton); // no dialog this time
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("new"));
    }

    void overwriteDialogRemembersItsPlace()
    {
        f->settings.IniWrite("Settings", "FmOWLeft", "900");
        f->settings.IniWrite("Settings", "FmOWTop", "99999"); // beyond the screen: 372
        f->save(7, QStringLiteral("old"));
        f->clipboard.text = QStringLiteral("new");
        f->dialogs.expect([](QDialog& dialog) {
            QCOMPARE(dialog.pos(), QPoint(900 / 15, 372 / 15 + 1));
            dialog.move(150 / 15, 300 / 15);
            DialogScript::clickLabel(QStringLiteral("LabelNo"))(dialog);
        });
        QTest::mouseClick(button(7), Qt::RightButton);
        QCOMPARE(f->settings.IniRead("Settings", "FmOWLeft", ""), QStringLiteral("150"));
        QCOMPARE(f->settings.IniRead("Settings", "FmOWTop", ""), QStringLiteral("300"));
    }

    void editShowsEditingThenReady()
    {
        f->save(6, QStringLiteral("six"));
        QString statusWhileOpen;
        f->dialogs.expect([&](QDialog& dialog) {
            statusWhileOpen = f->form.statusText();
            QVERIFY(!dialog.findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible());
            QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("Label1"))->isVisible());
            QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText(),
                QStringLiteral("six"));
            DialogScript::clickLabel(QStringLiteral("LabelSave"))(dialog);
        });
        QTest::mouseClick(button(6), Qt::RightButton, Qt::ShiftModifier);
        QCOMPARE(statusWhileOpen, QStringLiteral("Editing ..."));
        QCOMPARE(f->form.statusText(), QStringLiteral("Ready"));
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, 6 already saved in this location"));

        f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelCancel")));
        QTest::mouseClick(button(6), Qt::RightButton, Qt::ShiftModifier);
        QCOMPARE(f->form.statusText(), QStringLiteral("Editing ..."));
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, 6 not updated"));
    }

    void editKeepsLineBreaksOfUnchangedText()
    {
        f->save(6, QStringLiteral("one\r\ntwo\nthree"));
        f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelSave")));
        QTest::mouseClick(button(6), Qt::RightButton, Qt::ShiftModifier);
        QCOMPARE(f->store.ReadPosition(6), QStringLiteral("one\r\ntwo\nthree"));
        QCOMPARE(f->lastMessage(), QStringLiteral("Box 1, 6 already saved in this location"));
    }

    void dragMovesOntoEmptyPosition()
    {
        f->save(3, QStringLiteral("three"));
        drag(3, 8);
        QCOMPARE(f->store.ReadPosition(8), QStringLiteral("three"));
        QCOMPARE(f->store.ReadPosition(3), QString());
        QCOMPARE(f->form.statusText(), QStringLiteral("Ready"));
        QCOMPARE(f->form.viewerText(), QString());
        QVERIFY(button(8)->hasFocus());
    }

    void dragDeclinedOverwriteThenAsksToClearSource()
    {
        f->save(3, QStringLiteral("three"));
        f->save(8, QStringLiteral("eight"));
        f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelNo")));
        f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelNo")));
        drag(3, 8);
        QCOMPARE(f->dialogs.seen,
            (QStringList {"Overwrite text|Overwrite position 08", "Delete text|Clear position 03?"}));
        QCOMPARE(f->store.ReadPosition(8), QStringLiteral("eight"));
        QCOMPARE(f->store.ReadPosition(3), QStringLiteral("three"));
    }

    void dragAcceptedOverwriteClearsSourceSilently()
    {
        f->save(3, QStringLiteral("three"));
        f->save(8, QStringLiteral("eight"));
        f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelYes")));
        drag(3, 8);
        QCOMPARE(f->store.ReadPosition(8), QStringLiteral("three"));
        QCOMPARE(f->store.ReadPosition(3), QString());
        QCOMPARE(f->store.undoText(1), QStringLiteral("three"));
        QCOMPARE(f->store.undoText(2), QStringLiteral("eight"));
    }

    void dragOfEmptyPositionAsksToClearTarget()
    {
        f->save(8, QStringLiteral("eight"));
        f->dialogs.expect(DialogScript::clickLabel(QStringLiteral("LabelNo")));
        drag(2, 8);
        QCOMPARE(f->dialogs.seen, QStringList {"Delete text|Clear position 08?"});
        QCOMPARE(f->store.ReadPosition(8), QStringLiteral("eight"));
    }

    void altPressAndReleaseOnSameButtonChangesNothing()
    {
        f->save(5, QStringLiteral("five"));
        f->clipboard.text = QStringLiteral("clip");
        QTest::mousePress(button(5), Qt::LeftButton, Qt::AltModifier);
        QCOMPARE(f->form.statusText(), QStringLiteral("Moving ..."));
        QTest::mouseRelease(button(5), Qt::LeftButton, Qt::AltModifier);
        QCOMPARE(f->store.ReadPosition(5), QStringLiteral("five"));
        QCOMPARE(f->clipboard.text, QStringLiteral("clip")); // the release is no copy
        QVERIFY(f->log.entries().size() == 1); // only the save of the setup
    }

    void hoverHints()
    {
        f->save(12, QStringLiteral("twelve"));
        QTest::mouseMove(button(7));
        QCOMPARE(f->form.statusText(), PositionButtonsFrame::emptyHint());
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("7:"));
        QCOMPARE(f->form.viewerText(), QString());
        QTest::mouseMove(button(12));
        QCOMPARE(f->form.statusText(),
            QStringLiteral("L/click = Copy   R/click = Paste   Ctl+R/click = Delete   Alt+R/click = Cut   "
                           "Shift+R/click = Edit   Alt+drag/drop = Move"));
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("12:"));
        QCOMPARE(f->form.viewerText(), QStringLiteral("twelve"));
        QCOMPARE(PositionButtonsFrame::emptyHint(), QStringLiteral("R/click = Paste   Shift+R/click = Edit"));
    }

    void buttonColourComesFromBgrSetting()
    {
        QCOMPARE(f->form.positionButtons()->buttonColour(), QColor(0xC0, 0xC0, 0xFF));
        f->form.applyClipColour(0x0000FFu); // red in 0xBBGGRR
        QCOMPARE(f->form.positionButtons()->buttonColour(), QColor(0xFF, 0, 0));
    }
};

TRELLIN_GUI_TEST_MAIN(TestPositionButtons)
#include "tst_positionbuttons.moc"
