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
    qsizetype m_logged = 0;

    PositionButton* button(int position) { return f->form.positionButtons()->button(position); }
    // Answers given as text: a label to click, "edit:<text>" to save an edit, "cancel".
    void expectAnswers(const QStringList& answers)
    {
        for (const QString& answer : answers) {
            if (answer.startsWith(QStringLiteral("edit:"))) {
                f->dialogs.expect([text = answer.mid(5)](QDialog& dialog) {
                    dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->setPlainText(text);
                    DialogScript::clickLabel(QStringLiteral("LabelSave"))(dialog);
                });
            } else {
                f->dialogs.expect(DialogScript::clickLabel(
                    answer == QStringLiteral("cancel") ? QStringLiteral("LabelCancel") : answer));
            }
        }
    }
    // Stores the texts with no question, and forgets the log entries that makes.
    void store(const QList<std::pair<int, QString>>& texts)
    {
        for (const auto& [position, text] : texts) {
            if (!text.isEmpty())
                f->save(position, text);
        }
        m_logged = f->log.entries().size();
    }
    // The newest log entry since store(), or nothing.
    QString newMessage() const { return f->log.entries().size() > m_logged ? f->lastMessage() : QString(); }
    // "ctrl+shift+right": the mouse button last, the keyboard modifiers before it.
    static std::pair<Qt::MouseButton, Qt::KeyboardModifiers> parseClick(const QString& click)
    {
        QStringList parts = click.split(u'+');
        const QString mouse = parts.takeLast();
        Qt::KeyboardModifiers modifiers;
        for (const QString& part : parts)
            modifiers |= part == QStringLiteral("shift") ? Qt::ShiftModifier
                : part == QStringLiteral("ctrl")         ? Qt::ControlModifier
                : part == QStringLiteral("alt")          ? Qt::AltModifier
                                                         : Qt::KeypadModifier;
        return {mouse == QStringLiteral("left")    ? Qt::LeftButton
                : mouse == QStringLiteral("right") ? Qt::RightButton
                                                   : Qt::MiddleButton,
            modifiers};
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

    // A click on position 7, which holds "before", with "clipboard" on the clipboard. Each row's
    // name begins with the click: "ctrl+shift+right", the mouse button after the keys held.
    void mouseUpRules_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("clipboardAfter");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QString>("message"); // the newest log entry; empty when nothing was logged
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("status");
        const auto row = [](const char* name, const QStringList& answers, const char* stored,
                             const char* clipboardAfter, const QStringList& dialogs, const char* message,
                             const char* before = "old", const char* clipboard = "clip",
                             const char* status = "Ready") {
            QTest::newRow(name) << answers << QString::fromUtf8(stored) << QString::fromUtf8(clipboardAfter)
                                << dialogs << QString::fromUtf8(message) << QString::fromUtf8(before)
                                << QString::fromUtf8(clipboard) << QString::fromUtf8(status);
        };
        const QStringList none;
        const QStringList overwrite {QStringLiteral("Overwrite text|Overwrite position 07")};
        const QStringList clear {QStringLiteral("Delete text|Clear position 07?")};
        const QStringList edit {QStringLiteral("Moxeno Trellin - edit text|")};
        const QStringList yes {QStringLiteral("LabelYes")}, no {QStringLiteral("LabelNo")};
        const char* copied = "Box 1, position 7 copied to clipboard";
        const char* saved = "Box 1, position 7 saved";
        const char* cleared = "Box 1, position 7 cleared";
        const char* notUpdated = "Box 1, position 7 not updated";

        row("left copies", none, "old", "old", none, copied);
        row("shift+left copies", none, "old", "old", none, copied);
        row("ctrl+left copies", none, "old", "old", none, copied);
        row("ctrl+shift+left copies", none, "old", "old", none, copied);
        row("alt+shift+left copies", none, "old", "old", none, copied);
        row("ctrl+alt+left copies", none, "old", "old", none, copied);
        row("ctrl+alt+shift+left copies", none, "old", "old", none, copied);
        row("left on an empty position copies nothing", none, "", "clip", none, "", "");

        row("right pastes after yes", yes, "clip", "clip", overwrite, saved);
        row("right paste answered no", no, "old", "clip", overwrite, notUpdated);
        row("right pastes onto an empty position without asking", none, "clip", "clip", none, saved, "");
        row("right paste of the same text asks nothing", none, "old", "old", none,
            "Already saved in box 1, position 7", "old", "old");
        row("right with an empty clipboard does nothing", none, "old", "", none, "", "old", "");
        row("keypad+right pastes", yes, "clip", "clip", overwrite, saved);

        row("shift+right saves the edit", {"edit:new text"}, "new text", "clip", edit, saved);
        row("shift+right edit cancelled", {"cancel"}, "old", "clip", edit, "Box 1, 7 not updated", "old",
            "clip", "Editing ...");
        row("shift+right unchanged keeps mixed line breaks", {"LabelSave"}, "a\r\nb\nc", "clip", edit,
            "Box 1, 7 already saved in this location", "a\r\nb\nc");
        row("shift+right types into an empty position", {"edit:typed"}, "typed", "clip", edit, saved, "");
        row("shift+right saving nothing into an empty position", {"LabelSave"}, "", "clip", edit, "", "");

        row("ctrl+right deletes after yes", yes, "", "clip", clear, cleared);
        row("ctrl+right delete answered no", no, "old", "clip", clear, notUpdated);
        row("alt+right cuts without asking", none, "", "old", none, cleared);

        row("ctrl+shift+right does nothing", none, "old", "clip", none, "");
        row("alt+shift+right does nothing", none, "old", "clip", none, "");
        row("ctrl+alt+right does nothing", none, "old", "clip", none, "");
        row("ctrl+alt+shift+right does nothing", none, "old", "clip", none, "");
        row("middle does nothing", none, "old", "clip", none, "");
    }
    void mouseUpRules()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, stored);
        QFETCH(QString, before);
        QFETCH(QString, clipboard);
        store({{7, before}});
        f->clipboard.text = clipboard;
        f->form.showInViewer(QStringLiteral("title"), QStringLiteral("something else"));
        expectAnswers(answers);

        const auto [mouse, modifiers]
            = parseClick(QString::fromUtf8(QTest::currentDataTag()).section(u' ', 0, 0));
        QTest::mouseClick(button(7), mouse, modifiers);

        QTEST(f->dialogs.seen, "dialogs");
        QCOMPARE(f->store.ReadPosition(7), stored);
        QTEST(f->clipboard.text, "clipboardAfter");
        QTEST(newMessage(), "message");
        QTEST(f->form.statusText(), "status");
        QCOMPARE(button(7)->text(), stored.isEmpty() ? QString() : QStringLiteral("+"));
        // Every mouse-up shows the position's text in the viewer, whatever it did.
        QCOMPARE(f->form.viewerText(), stored);
    }

    void altPressAndReleaseOnOneButtonChangesNothing()
    {
        store({{5, QStringLiteral("five")}});
        f->clipboard.text = QStringLiteral("clip");
        QTest::mouseClick(button(5), Qt::LeftButton, Qt::AltModifier);
        QCOMPARE(f->store.ReadPosition(5), QStringLiteral("five"));
        QCOMPARE(f->clipboard.text, QStringLiteral("clip")); // the release is no copy
        QCOMPARE(newMessage(), QString());
    }

    // Alt+drag from position 3 to position 8.
    void dragMoves_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QString>("sourceAfter");
        QTest::addColumn<QString>("targetAfter");
        QTest::addColumn<QStringList>("undo"); // last and previous deleted text
        const auto row = [](const char* name, const char* source, const char* target,
                             const QStringList& answers, const QStringList& dialogs, const char* sourceAfter,
                             const char* targetAfter, const QStringList& undo) {
            QTest::newRow(name) << QString::fromUtf8(source) << QString::fromUtf8(target) << answers
                                << dialogs << QString::fromUtf8(sourceAfter) << QString::fromUtf8(targetAfter)
                                << undo;
        };
        const QString overwrite = QStringLiteral("Overwrite text|Overwrite position 08");
        const QString clearSource = QStringLiteral("Delete text|Clear position 03?");
        const QString clearTarget = QStringLiteral("Delete text|Clear position 08?");
        row("onto an empty position", "three", "", {}, {}, "", "three", {"three", ""});
        row("declined overwrite, source kept", "three", "eight", {"LabelNo", "LabelNo"},
            {overwrite, clearSource}, "three", "eight", {"", ""});
        row("declined overwrite, source cleared", "three", "eight", {"LabelNo", "LabelYes"},
            {overwrite, clearSource}, "", "eight", {"three", ""});
        row("accepted overwrite clears the source silently", "three", "eight", {"LabelYes"}, {overwrite}, "",
            "three", {"three", "eight"});
        row("empty onto occupied, clearing declined", "", "eight", {"LabelNo"}, {clearTarget}, "", "eight",
            {"", ""});
        row("empty onto occupied, target cleared", "", "eight", {"LabelYes"}, {clearTarget}, "", "",
            {"eight", ""});
    }
    void dragMoves()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QStringList, answers);
        store({{3, source}, {8, target}});
        expectAnswers(answers);
        QTest::mousePress(button(3), Qt::LeftButton, Qt::AltModifier);
        QCOMPARE(f->form.statusText(), QStringLiteral("Moving ..."));
        QTest::mouseRelease(button(8), Qt::LeftButton, Qt::AltModifier);
        QTEST(f->dialogs.seen, "dialogs");
        QTEST(f->store.ReadPosition(3), "sourceAfter");
        QTEST(f->store.ReadPosition(8), "targetAfter");
        QTEST((QStringList {f->store.undoText(1), f->store.undoText(2)}), "undo");
        QCOMPARE(f->form.statusText(), QStringLiteral("Ready"));
        QCOMPARE(f->form.viewerText(), QString());
        if (answers.isEmpty()) // a dialog takes the focus with it
            QVERIFY(button(8)->hasFocus());
    }

    void overwriteDialogShowsBothTexts()
    {
        store({{7, QStringLiteral("stored text")}});
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
    }

    void deleteDialogIsShortened()
    {
        store({{23, QStringLiteral("stored")}});
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
    }

    void dontAskTickedWithNoStopsTheQuestions()
    {
        store({{7, QStringLiteral("old")}});
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
        store({{7, QStringLiteral("old")}});
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

    void editDialogShowsTheTextWhileEditing()
    {
        store({{6, QStringLiteral("six")}});
        f->dialogs.expect([this](QDialog& dialog) {
            QCOMPARE(f->form.statusText(), QStringLiteral("Editing ..."));
            QVERIFY(!dialog.findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible());
            QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("Label1"))->isVisible());
            QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText(),
                QStringLiteral("six"));
            DialogScript::clickLabel(QStringLiteral("LabelCancel"))(dialog);
        });
        QTest::mouseClick(button(6), Qt::RightButton, Qt::ShiftModifier);
    }

    void hoverHints()
    {
        store({{12, QStringLiteral("twelve")}});
        QTest::mouseMove(button(7));
        QCOMPARE(f->form.statusText(), QStringLiteral("R/click = Paste   Shift+R/click = Edit"));
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("7:"));
        QCOMPARE(f->form.viewerText(), QString());
        QTest::mouseMove(button(12));
        QCOMPARE(f->form.statusText(),
            QStringLiteral("L/click = Copy   R/click = Paste   Ctl+R/click = Delete   Alt+R/click = Cut   "
                           "Shift+R/click = Edit   Alt+drag/drop = Move"));
        QCOMPARE(f->form.viewerTitle(), QStringLiteral("12:"));
        QCOMPARE(f->form.viewerText(), QStringLiteral("twelve"));
    }
};

TRELLIN_GUI_TEST_MAIN(TestPositionButtons)
#include "tst_positionbuttons.moc"
