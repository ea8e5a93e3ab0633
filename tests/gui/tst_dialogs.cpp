#include "DataColumns.h"
#include "DialogScript.h"
#include "DomainFixture.h"
#include "GuiTestMain.h"
#include "gui/dialogs/EditDialog.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/DialogPlacement.h"
#include "platform/RecordingPlatform.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

class TestDialogs : public QObject
{
    Q_OBJECT

private:
    struct Fixture : SettingsFixture
    {
        RecordingPlatform clipboard;
        QStringList sent;
        EditDialog dialog {settings, clipboard, [this](const QString& keys) { sent.append(keys); }};
    };
    std::unique_ptr<Fixture> f;

    QPlainTextEdit* text1() { return f->dialog.findChild<QPlainTextEdit*>(u"Text1"_s); }
    CommandLabel* label(const QString& name) { return f->dialog.findChild<CommandLabel*>(name); }
    void showMacro(const QString& body)
    {
        f->dialog.prepare({"Moxeno Trellin - edit macro", body, true, u"Greeting"_s, 4});
        f->dialog.show();
    }

private slots:
    void init() { f = std::make_unique<Fixture>(); }

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
        auto* name = f->dialog.findChild<QLineEdit*>(u"Text2"_s);
        QVERIFY(name->isVisible());
        for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton})
            QTest::mouseClick(label(u"Label1"_s), button);
        QCOMPARE(f->sent, QStringList {"{F1}"}); // from the left click only
        name->clear();
        QTest::mouseClick(label(u"LabelSave"_s), Qt::LeftButton);
        const EditResult result = f->dialog.result();
        QVERIFY(result.saved && result.macroName == u"Macro 4"_s);
        QCOMPARE(result.text, u"a{TAB}b{TAB}c{Tab}d"_s);
    }

    // Closing the dialog any way but Save is a cancel; it stores where it was closed.
    void closeCancelsAndStoresPosition()
    {
        DialogScript dialogs;
        dialogs.expect([this](QDialog& dialog) {
            QVERIFY(!dialog.findChild<QFrame*>(u"Frame1"_s)->isVisible());
            text1()->setPlainText(u"changed"_s);
            dialog.move(30, 40);
            dialog.close();
        });
        QVERIFY(!f->dialog.edit({"Moxeno Trellin - edit text", "text", false, {}, 0}).saved);
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
            f->dialog.prepare({QString(), QString::fromUtf8(original), false, {}, 0});
            text1()->setPlainText(QString::fromUtf8(edited));
            return f->dialog.result().text;
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

TRELLIN_GUI_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
