#include "GuiFixture.h"
#include "GuiTestMain.h"
#include "gui/boxes/PositionButton.h"
#include "gui/boxes/PositionButtonsFrame.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>

// The main window's position buttons under real mouse events, with the real OverwriteDialog and EditDialog.
class TestPositionButtons : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<GuiFixture> f;

    PositionButton* button(int position) { return f->window.positionButtons()->button(position); }
    template<typename T> static T* in(QDialog& d, const char* name)
    {
        return d.findChild<T*>(QLatin1String(name));
    }
    // Each answer is a label to click; "LabelSave:<text>" saves that text in the editor.
    void expectAnswers(const QStringList& answers)
    {
        for (const QString& answer : answers)
            f->dialogs.expect([answer](QDialog& dialog) {
                if (answer.contains(u':'))
                    in<QPlainTextEdit>(dialog, "Text1")->setPlainText(answer.section(u':', 1));
                DialogScript::clickLabel(answer.section(u':', 0, 0))(dialog);
            });
    }

private slots:
    void init() { QVERIFY((f = GuiFixture::shown()) != nullptr); }
    void cleanup()
    {
        QVERIFY2(f->dialogs.usedUp(), "an expected dialog did not open");
        f.reset();
    }

    // Rows of the click and drag tests: the texts before, the answers given to the dialogs, the
    // dialogs seen (title|text), and the texts after.
    static void columns()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QStringList>("after");
    }
    static void row(const QByteArray& name, const QStringList& answers, const QStringList& dialogs,
        const QStringList& after, const QStringList& before = {"old", "clip"})
    {
        QTest::newRow(name.constData()) << before << answers << dialogs << after;
    }

    // A click on position 7 (holding "old", with "clip" on the clipboard) named by the keys held
    // and the mouse button: "ctrl+shift+right". "after" is the stored text, the clipboard, the new
    // log entry (empty: none) and the status line when it is not "Ready".
    void mouseUpRules_data()
    {
        columns();
        const QStringList edit {"Moxeno Trellin - edit text|"};
        // A left click copies whatever keys are held.
        for (const char* keys :
            {"", "shift+", "ctrl+", "ctrl+shift+", "alt+shift+", "ctrl+alt+", "ctrl+alt+shift+"})
            row(QByteArray(keys).append("left copies"), {}, {},
                {"old", "old", "Box 1, position 7 copied to clipboard"});
        row("left on an empty position copies nothing", {}, {}, {"", "clip", ""}, {"", "clip"});
        row("right with an empty clipboard does nothing", {}, {}, {"old", "", ""}, {"old", ""});
        row("keypad+right pastes after yes", {"LabelYes"}, {"Overwrite text|Overwrite position 07"},
            {"clip", "clip", "Box 1, position 7 saved"});
        row("shift+right saves the edit", {"LabelSave:new text"}, edit,
            {"new text", "clip", "Box 1, position 7 saved"});
        row("shift+right edit cancelled", {"LabelCancel"}, edit,
            {"old", "clip", "Box 1, 7 not updated", "Editing ..."});
        row("shift+right unchanged keeps mixed line breaks", {"LabelSave"}, edit,
            {"a\r\nb\nc", "clip", "Box 1, 7 already saved in this location"}, {"a\r\nb\nc", "clip"});
        row("shift+right saving nothing into an empty position", {"LabelSave"}, edit, {"", "clip", ""},
            {"", "clip"});
        row("ctrl+right delete answered no", {"LabelNo"}, {"Delete text|Clear position 07?"},
            {"old", "clip", "Box 1, position 7 not updated"});
        row("alt+right cuts without asking", {}, {}, {"", "old", "Box 1, position 7 cleared"});
        // Two or more keys held with a right click do nothing, and so does the middle button.
        for (const char* keys :
            {"ctrl+shift+right", "alt+shift+right", "ctrl+alt+right", "ctrl+alt+shift+right", "middle"})
            row(QByteArray(keys).append(" does nothing"), {}, {}, {"old", "clip", ""});
    }
    void mouseUpRules()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, after);
        f->save(7, before[0]);
        f->clipboard.content = before[1];
        const qsizetype logged = f->log.entries().size();
        f->window.showInViewer(QStringLiteral("title"), QStringLiteral("something else"));
        expectAnswers(answers);

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
        QCOMPARE((QStringList {f->store.readPosition(7, 1), f->clipboard.content,
                     f->log.entries().size() > logged ? f->lastMessage() : QString()}),
            after.mid(0, 3));
        QCOMPARE(f->window.statusText(), after.value(3, QStringLiteral("Ready")));
        QCOMPARE(button(7)->text(), after[0].isEmpty() ? QString() : QStringLiteral("+"));
        // Every mouse-up shows the position's text in the viewer, whatever it did.
        QCOMPARE(f->window.viewerText(), after[0]);
    }

    // Alt+drag from position 3 to position 8. "before" is the text at 3 and at 8; "after" adds
    // the last and the previous deleted text.
    void dragMoves_data()
    {
        columns();
        const QString overwrite = QStringLiteral("Overwrite text|Overwrite position 08");
        const QString clearSource = QStringLiteral("Delete text|Clear position 03?");
        const QStringList occupied {"three", "eight"};
        row("onto an empty position", {}, {}, {"", "three", "three", ""}, {"three", ""});
        row("declined overwrite, source kept", {"LabelNo", "LabelNo"}, {overwrite, clearSource},
            {"three", "eight", "", ""}, occupied);
        row("declined overwrite, source cleared", {"LabelNo", "LabelYes"}, {overwrite, clearSource},
            {"", "eight", "three", ""}, occupied);
        row("accepted overwrite clears the source silently", {"LabelYes"}, {overwrite},
            {"", "three", "three", "eight"}, occupied);
        row("onto the same text asks before clearing the source", {"LabelYes"}, {clearSource},
            {"", "three", "three", ""}, {"three", "three"});
        row("empty onto occupied asks to clear the target", {"LabelYes"}, {"Delete text|Clear position 08?"},
            {"", "", "eight", ""}, {"", "eight"});
    }
    void dragMoves()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, answers);
        f->save(3, before[0]);
        f->save(8, before[1]);
        expectAnswers(answers);
        QTest::mousePress(button(3), Qt::LeftButton, Qt::AltModifier);
        QCOMPARE(f->window.statusText(), QStringLiteral("Moving ..."));
        QTest::mouseRelease(button(8), Qt::LeftButton, Qt::AltModifier);
        QTEST(f->dialogs.seen, "dialogs");
        QTEST((QStringList {f->store.readPosition(3, 1), f->store.readPosition(8, 1), f->store.undoText(1),
                  f->store.undoText(2)}),
            "after");
        QCOMPARE(f->window.statusText(), QStringLiteral("Ready"));
        QCOMPARE(f->window.viewerText(), QString());
        if (answers.isEmpty()) // a dialog takes the focus with it
            QVERIFY(button(8)->hasFocus());
    }

    // The overwrite question shows both texts and opens where it was last left; closing it is a
    // No. The delete question hides the new text; its "Don't ask" tick turns the questions off.
    void overwriteAndDeleteDialogs()
    {
        f->settingsStore.writeValue("Settings", "FmOWLeft", "900");
        f->settingsStore.writeValue("Settings", "FmOWTop", "600");
        f->save(7, QStringLiteral("stored text"));
        f->clipboard.content = QStringLiteral("new text");
        f->dialogs.expect([](QDialog& dialog) {
            QCOMPARE(in<QPlainTextEdit>(dialog, "Text1")->toPlainText(), QStringLiteral("stored text"));
            QVERIFY(in<QLabel>(dialog, "Label2")->isVisible());
            QCOMPARE(in<QPlainTextEdit>(dialog, "Text2")->toPlainText(), QStringLiteral("new text"));
            QCOMPARE(in<QCheckBox>(dialog, "CheckDontAsk")->text(),
                QStringLiteral("Don't ask me about overwriting / deleting in future"));
            QCOMPARE(dialog.pos(), QPoint(900 / 15, 600 / 15));
            dialog.move(150 / 15, 300 / 15);
            dialog.close();
        });
        QTest::mouseClick(button(7), Qt::RightButton);
        QCOMPARE(f->store.readPosition(7, 1), QStringLiteral("stored text"));
        QCOMPARE(f->settingsStore.readValue("Settings", "FmOWTop", ""), QStringLiteral("300"));

        f->dialogs.expect([](QDialog& dialog) {
            QVERIFY(!in<QPlainTextEdit>(dialog, "Text2")->isVisible()
                && !in<QLabel>(dialog, "Label2")->isVisible());
            in<QCheckBox>(dialog, "CheckDontAsk")->setChecked(true);
            DialogScript::clickLabel(QStringLiteral("LabelYes"), Qt::RightButton)(dialog); // any button
        });
        QTest::mouseClick(button(7), Qt::RightButton, Qt::ControlModifier);
        QCOMPARE(f->store.readPosition(7, 1), QString());
        QVERIFY(!f->context.warnOverwrite());
    }

    // The hint, viewer title and text on hovering an empty and an occupied position; an Alt click
    // is a drag onto the same button, and neither copies nor logs.
    void hoverHintsAndAltClick()
    {
        f->save(12, QStringLiteral("twelve"));
        const auto hover = [this](int position) {
            QTest::mouseMove(button(position));
            return QStringList {f->window.statusText(), f->window.viewerTitle(), f->window.viewerText()};
        };
        QCOMPARE(hover(7), (QStringList {"R/click = Paste   Shift+R/click = Edit", "7:", ""}));
        QCOMPARE(hover(12),
            (QStringList {"L/click = Copy   R/click = Paste   Ctl+R/click = Delete   Alt+R/click = Cut   "
                          "Shift+R/click = Edit   Alt+drag/drop = Move",
                "12:", "twelve"}));
        const QString logged = f->log.latest();
        QTest::mouseClick(button(12), Qt::LeftButton, Qt::AltModifier);
        QVERIFY(f->clipboard.content.isEmpty() && f->log.latest() == logged);
    }
};

TRELLIN_GUI_TEST_MAIN(TestPositionButtons)
#include "tst_positionbuttons.moc"
