#include "GuiFixture.h"
#include "TestEnvironment.h"
#include "app/SettingsStore.h"
#include "boxes/PositionButton.h"
#include "boxes/PositionButtonsFrame.h"

#include <QCheckBox>
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
    // "ctrl+shift+right": the keyboard modifiers held, then the mouse button.
    static void click(PositionButton* target, const QString& click)
    {
        Qt::KeyboardModifiers modifiers;
        for (const auto& [name, modifier] : {std::pair {"shift", Qt::ShiftModifier},
                 {"ctrl", Qt::ControlModifier}, {"alt", Qt::AltModifier}, {"keypad", Qt::KeypadModifier}}) {
            if (click.contains(QLatin1String(name)))
                modifiers |= modifier;
        }
        const Qt::MouseButton mouse = click.endsWith(QStringLiteral("left")) ? Qt::LeftButton
            : click.endsWith(QStringLiteral("right"))                        ? Qt::RightButton
                                                                             : Qt::MiddleButton;
        QTest::mouseClick(target, mouse, modifiers);
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
        const QStringList edit {QStringLiteral("Moxeno Trellin - edit text|")};
        const char* copied = "Box 1, position 7 copied to clipboard";
        const char* saved = "Box 1, position 7 saved";

        // A left click copies whatever keys are held.
        for (const char* keys :
            {"", "shift+", "ctrl+", "ctrl+shift+", "alt+shift+", "ctrl+alt+", "ctrl+alt+shift+"})
            row(QByteArray(keys).append("left copies").constData(), none, "old", "old", none, copied);
        row("left on an empty position copies nothing", none, "", "clip", none, "", "");

        row("right with an empty clipboard does nothing", none, "old", "", none, "", "old", "");
        row("keypad+right pastes after yes", {"LabelYes"}, "clip", "clip",
            {"Overwrite text|Overwrite position 07"}, saved);

        row("shift+right saves the edit", {"edit:new text"}, "new text", "clip", edit, saved);
        row("shift+right edit cancelled", {"cancel"}, "old", "clip", edit, "Box 1, 7 not updated", "old",
            "clip", "Editing ...");
        row("shift+right unchanged keeps mixed line breaks", {"LabelSave"}, "a\r\nb\nc", "clip", edit,
            "Box 1, 7 already saved in this location", "a\r\nb\nc");
        row("shift+right saving nothing into an empty position", {"LabelSave"}, "", "clip", edit, "", "");

        row("ctrl+right delete answered no", {"LabelNo"}, "old", "clip", {"Delete text|Clear position 07?"},
            "Box 1, position 7 not updated");
        row("alt+right cuts without asking", none, "", "old", none, "Box 1, position 7 cleared");

        // Two or more keys held with a right click do nothing.
        for (const char* keys : {"ctrl+shift+", "alt+shift+", "ctrl+alt+", "ctrl+alt+shift+"})
            row(QByteArray(keys).append("right does nothing").constData(), none, "old", "clip", none, "");
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

        click(button(7), QString::fromUtf8(QTest::currentDataTag()).section(u' ', 0, 0));

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
        row("onto an empty position", "three", "", {}, {}, "", "three", {"three", ""});
        row("declined overwrite, source kept", "three", "eight", {"LabelNo", "LabelNo"},
            {overwrite, clearSource}, "three", "eight", {"", ""});
        row("declined overwrite, source cleared", "three", "eight", {"LabelNo", "LabelYes"},
            {overwrite, clearSource}, "", "eight", {"three", ""});
        row("accepted overwrite clears the source silently", "three", "eight", {"LabelYes"}, {overwrite}, "",
            "three", {"three", "eight"});
        row("onto the same text asks before clearing the source", "three", "three", {"LabelYes"},
            {clearSource}, "", "three", {"three", ""});
        row("empty onto occupied asks to clear the target", "", "eight", {"LabelYes"},
            {QStringLiteral("Delete text|Clear position 08?")}, "", "", {"eight", ""});
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

    // The overwrite question shows both texts and opens where it was last left (kept on the
    // screen); closing it is a No. The delete question hides the new text and is shorter.
    void overwriteAndDeleteDialogs()
    {
        f->settings.IniWrite("Settings", "FmOWLeft", "900");
        f->settings.IniWrite("Settings", "FmOWTop", "99999"); // beyond the screen: 372
        store({{7, QStringLiteral("stored text")}});
        f->clipboard.text = QStringLiteral("new text");
        int fullHeight = 0;
        f->dialogs.expect([&fullHeight](QDialog& dialog) {
            QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText(),
                QStringLiteral("stored text"));
            QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("Label2"))->isVisible());
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("with"));
            QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text2"))->toPlainText(),
                QStringLiteral("new text"));
            QCOMPARE(dialog.findChild<QCheckBox*>(QStringLiteral("CheckDontAsk"))->text(),
                QStringLiteral("Don't ask me about overwriting / deleting in future"));
            QCOMPARE(dialog.pos(), QPoint(900 / 15, 372 / 15 + 1));
            fullHeight = dialog.height();
            dialog.move(150 / 15, 300 / 15);
            dialog.close();
        });
        QTest::mouseClick(button(7), Qt::RightButton);
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("stored text"));
        QCOMPARE(f->settings.IniRead("Settings", "FmOWLeft", ""), QStringLiteral("150"));
        QCOMPARE(f->settings.IniRead("Settings", "FmOWTop", ""), QStringLiteral("300"));

        f->dialogs.expect([&fullHeight](QDialog& dialog) {
            QVERIFY(!dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text2"))->isVisible());
            QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("Label2"))->isVisible());
            QVERIFY(dialog.height() < fullHeight);
            dialog.findChild<QCheckBox*>(QStringLiteral("CheckDontAsk"))->setChecked(true);
            DialogScript::clickLabel(QStringLiteral("LabelYes"), Qt::RightButton)(dialog); // any button
        });
        QTest::mouseClick(button(7), Qt::RightButton, Qt::ControlModifier);
        QCOMPARE(f->store.ReadPosition(7), QString());

        // With "Don't ask" ticked, pasting over a text asks nothing.
        QTest::mouseClick(button(7), Qt::RightButton);
        f->clipboard.text = QStringLiteral("newer");
        QTest::mouseClick(button(7), Qt::RightButton);
        QCOMPARE(f->store.ReadPosition(7), QStringLiteral("newer"));
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
