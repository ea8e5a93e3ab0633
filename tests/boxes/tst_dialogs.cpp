#include "DialogScript.h"
#include "FakeClipboard.h"
#include "TestEnvironment.h"
#include "app/CommandLabel.h"
#include "app/DialogPosition.h"
#include "app/SettingsStore.h"
#include "boxes/FormEdit.h"

#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>

// FormEdit's commands and line breaks, and the dialog position rule.
class TestDialogs : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        QTemporaryDir dir;
        SettingsStore settings {dir.filePath("data"), dir.filePath("config")};
        FakeClipboard clipboard;
        QStringList sent;
        FormEdit form {settings, clipboard, [this](const QString& keys) { sent.append(keys); }};
    };
    std::unique_ptr<Fixture> f;

    QPlainTextEdit* text1() { return f->form.findChild<QPlainTextEdit*>(QStringLiteral("Text1")); }
    CommandLabel* label(const QString& name) { return f->form.findChild<CommandLabel*>(name); }
    void showMacro(const QString& body)
    {
        f->form.prepare({"Moxeno Trellin - edit macro", body, true, QStringLiteral("Greeting"), 4});
        f->form.show();
    }

private slots:
    void init() { f = std::make_unique<Fixture>(); }

    // The macro name shows; a right click on the tips spells {t} out as {TAB}, a left click asks
    // for the help; a macro saved without a name is called by its number.
    void macroEdit()
    {
        showMacro(QStringLiteral("a{t}b{T}c{Tab}d"));
        auto* name = f->form.findChild<QLineEdit*>(QStringLiteral("Text2"));
        QVERIFY(name->isVisible());
        for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton})
            QTest::mouseClick(label(QStringLiteral("Label1")), button);
        QCOMPARE(f->sent, QStringList {"{F1}"}); // from the left click only
        name->clear();
        QTest::mouseClick(label(QStringLiteral("LabelSave")), Qt::LeftButton);
        const EditResult result = f->form.result();
        QVERIFY(result.saved && result.macroName == QStringLiteral("Macro 4"));
        QCOMPARE(result.text, QStringLiteral("a{TAB}b{TAB}c{Tab}d"));
    }

    // A text edit has no macro name; closing it any way but Save is a cancel, and it stores where
    // it was closed (15 twips to the pixel).
    void closeCancelsAndStoresPosition()
    {
        DialogScript dialogs;
        dialogs.expect([this](QDialog& dialog) {
            QVERIFY(!dialog.findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible());
            text1()->setPlainText(QStringLiteral("changed"));
            dialog.move(30, 40);
            dialog.close();
        });
        QVERIFY(!f->form.edit({"Moxeno Trellin - edit text", "text", false, {}, 0}).saved);
        QVERIFY(dialogs.usedUp());
        QCOMPARE(f->settings.IniRead("Settings", "FmEditMacrosLeft", ""), QStringLiteral("450"));
        QCOMPARE(f->settings.IniRead("Settings", "FmEditMacrosTop", ""), QStringLiteral("600"));
    }

    // On "one two three" with a part selected: "after" is the text, the selection and the clipboard.
    void editCommands_data()
    {
        QTest::addColumn<QPoint>("selection"); // from, to
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("command"); // a label to click, or a key combination to press
        QTest::addColumn<QStringList>("after");
        const auto row = [](const char* name, int from, int to, const QString& clipboard,
                             const QString& command, const QStringList& after) {
            QTest::newRow(name) << QPoint(from, to) << clipboard << command << after;
        };
        const QString all = QStringLiteral("one two three");
        row("copy selection", 4, 7, "", "LabelCopySelection", {all, "two", "two"});
        row("paste replaces the selection", 4, 7, "2", "LabelPaste", {"one 2 three", "", "2"});
        row("paste without text removes the selection", 0, 4, "", "LabelPaste", {"two three", "", ""});
        row("clear all", 4, 7, "x", "LabelClearAll", {"", "", "x"});
        row("select all from a part", 0, 5, "", "LabelSelectAll", {all, all, ""});
        row("select all again unselects", 0, 13, "", "LabelSelectAll", {all, "", ""});
        row("ctrl+A selects all", 4, 4, "", "Ctrl+A", {all, all, ""});
        row("ctrl+shift+A is not select all", 4, 4, "", "Ctrl+Shift+A", {all, "", ""});
    }
    void editCommands()
    {
        QFETCH(QPoint, selection);
        QFETCH(QString, command);
        showMacro(QStringLiteral("one two three"));
        QTextCursor cursor = text1()->textCursor();
        cursor.setPosition(selection.x());
        cursor.setPosition(selection.y(), QTextCursor::KeepAnchor);
        text1()->setTextCursor(cursor);
        QFETCH(QString, clipboard);
        f->clipboard.text = clipboard;
        if (command.startsWith(QStringLiteral("Label")))
            QTest::mouseClick(label(command), Qt::LeftButton);
        else
            QTest::keySequence(text1(), QKeySequence(command));
        QTEST((QStringList {text1()->toPlainText(), text1()->textCursor().selectedText(), f->clipboard.text}),
            "after");
    }

    // The editor knows only LF; the saved text gets back the line breaks of the original.
    void lineBreaks()
    {
        const auto saved = [this](const char* original, const char* edited) {
            f->form.prepare({QString(), QString::fromUtf8(original), false, {}, 0});
            text1()->setPlainText(QString::fromUtf8(edited));
            return f->form.result().text;
        };
        QCOMPARE(saved("a\r\nb", "a\nb\nc"), QStringLiteral("a\r\nb\r\nc"));
        QCOMPARE(saved("a\nb", "a\nb\nc"), QStringLiteral("a\nb\nc"));
        QCOMPARE(saved("", "x\ny"), QStringLiteral("x\r\ny")); // a new text gets CR LF
    }

    // Only a place with both edges positive is stored. On a 19200 x 15360 twips screen a missing or
    // unreadable place opens at the default, one too near the right or bottom edge at the fallback.
    void dialogPositionRule()
    {
        DialogPosition position(f->settings, QStringLiteral("Left"), QStringLiteral("Top"));
        QVERIFY(!position.store(QPoint(0, 900)) && !position.store(QPoint(300, -15)));
        QCOMPARE(position.restore(19200, 15360), QPoint(36, 36));
        const auto restore = [&](const char* left, const char* top) {
            f->settings.IniWrite("Settings", "Left", left);
            f->settings.IniWrite("Settings", "Top", top);
            return position.restore(19200, 15360);
        };
        QCOMPARE(restore("17700", "13860"), QPoint(17700, 13860)); // at the limit
        QCOMPARE(restore("17701", "13861"), QPoint(336, 372));
        QCOMPARE(restore("left", "x"), QPoint(36, 36));
    }
};

TRELLIN_GUI_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
