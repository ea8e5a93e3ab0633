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
#include <QTemporaryDir>

// FormEdit's commands and line breaks, and the dialog position rule.
class TestDialogs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    FakeClipboard m_clipboard;
    QStringList m_sent;
    std::unique_ptr<FormEdit> m_form;

    QPlainTextEdit* text1() { return m_form->findChild<QPlainTextEdit*>(QStringLiteral("Text1")); }
    CommandLabel* label(const QString& name) { return m_form->findChild<CommandLabel*>(name); }
    static EditRequest textEdit(const QString& text)
    {
        return {QStringLiteral("Moxeno Trellin - edit text"), text, false, {}, 0};
    }
    void prepareMacro(const QString& body)
    {
        m_form->prepare(
            {QStringLiteral("Moxeno Trellin - edit macro"), body, true, QStringLiteral("Greeting"), 4});
        m_form->show();
    }
    void select(int start, int end)
    {
        QTextCursor cursor = text1()->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        text1()->setTextCursor(cursor);
    }
    DialogPosition editPosition()
    {
        return DialogPosition(
            *m_settings, QStringLiteral("FmEditMacrosLeft"), QStringLiteral("FmEditMacrosTop"));
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        m_settings = std::make_unique<SettingsStore>(
            m_dir.path() + QStringLiteral("/data"), m_dir.path() + QStringLiteral("/config"));
        m_sent.clear();
        m_clipboard = FakeClipboard();
        m_form = std::make_unique<FormEdit>(
            *m_settings, m_clipboard, [this](const QString& keys) { m_sent.append(keys); });
    }
    void cleanup() { m_form.reset(); }

    void macroEdit()
    {
        prepareMacro(QStringLiteral("a{t}b{T}c{Tab}d"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Moxeno Trellin - edit macro"));
        QVERIFY(m_form->findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible());
        auto* name = m_form->findChild<QLineEdit*>(QStringLiteral("Text2"));
        QCOMPARE(name->text(), QStringLiteral("Greeting"));
        QCOMPARE(m_form->findChild<QLineEdit*>(QStringLiteral("TextPosition"))->text(), QStringLiteral("4"));
        QCOMPARE(label(QStringLiteral("Label1"))->text(),
            QStringLiteral("Tips:    Shift +   Ctrl ^   Alt %   Enter ~                                     "
                           "Press F1 or click here for more help in writing macros"));

        // A right click on the tips spells {t} out as {TAB}; a left click asks for the help.
        QTest::mouseClick(label(QStringLiteral("Label1")), Qt::RightButton);
        QCOMPARE(text1()->toPlainText(), QStringLiteral("a{TAB}b{TAB}c{Tab}d"));
        QTest::mouseClick(label(QStringLiteral("Label1")), Qt::MiddleButton);
        QVERIFY(m_sent.isEmpty());
        QTest::mouseClick(label(QStringLiteral("Label1")), Qt::LeftButton);
        QCOMPARE(m_sent, QStringList {"{F1}"});

        // A macro saved without a name is called by its number.
        name->clear();
        QTest::mouseClick(label(QStringLiteral("LabelSave")), Qt::LeftButton);
        const EditResult result = m_form->result();
        QVERIFY(result.saved);
        QCOMPARE(result.macroName, QStringLiteral("Macro 4"));
        QCOMPARE(result.text, QStringLiteral("a{TAB}b{TAB}c{Tab}d"));
    }

    void anyCloseOtherThanSaveCancels()
    {
        DialogScript dialogs;
        dialogs.expect([](QDialog& dialog) {
            QVERIFY(!dialog.findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible()); // no macro name
            dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
                ->setPlainText(QStringLiteral("changed"));
            dialog.close();
        });
        QVERIFY(!m_form->edit(textEdit(QStringLiteral("text"))).saved);
        QVERIFY(dialogs.usedUp());
    }

    // The editor holds "one two three" with [start, end) selected and the clipboard given.
    void editCommands_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("command"); // a label to click, or a key combination to press
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("clipboardAfter");
        const auto row = [](const char* name, int start, int end, const char* clipboard, const char* command,
                             const char* text, const char* selected, const char* clipboardAfter) {
            QTest::newRow(name) << start << end << QString::fromUtf8(clipboard) << QString::fromUtf8(command)
                                << QString::fromUtf8(text) << QString::fromUtf8(selected)
                                << QString::fromUtf8(clipboardAfter);
        };
        const char* all = "one two three";
        row("copy selection", 4, 7, "", "LabelCopySelection", all, "two", "two");
        row("paste replaces the selection", 4, 7, "2", "LabelPaste", "one 2 three", "", "2");
        row("paste without text removes the selection", 0, 4, "", "LabelPaste", "two three", "", "");
        row("clear all", 4, 7, "x", "LabelClearAll", "", "", "x");
        row("select all from a part", 0, 5, "", "LabelSelectAll", all, all, "");
        row("select all again unselects", 0, 13, "", "LabelSelectAll", all, "", "");
        row("ctrl+A selects all", 4, 4, "", "Ctrl+A", all, all, "");
        row("ctrl+shift+A is not select all", 4, 4, "", "Ctrl+Shift+A", all, "", "");
    }
    void editCommands()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, clipboard);
        QFETCH(QString, command);
        prepareMacro(QStringLiteral("one two three"));
        select(start, end);
        m_clipboard.text = clipboard;
        if (command.startsWith(QStringLiteral("Label")))
            QTest::mouseClick(label(command), Qt::LeftButton);
        else
            QTest::keySequence(text1(), QKeySequence(command));
        QTEST(text1()->toPlainText(), "text");
        QTEST(text1()->textCursor().selectedText(), "selected");
        QTEST(m_clipboard.text, "clipboardAfter");
    }

    // The editor knows only LF; the saved text gets back the line breaks of the original.
    void lineBreaks()
    {
        const auto saved = [this](const char* original, const char* edited) {
            m_form->prepare(textEdit(QString::fromUtf8(original)));
            text1()->setPlainText(QString::fromUtf8(edited));
            return m_form->result().text;
        };
        QCOMPARE(saved("a\r\nb", "a\nb\nc"), QStringLiteral("a\r\nb\r\nc"));
        QCOMPARE(saved("a\nb", "a\nb\nc"), QStringLiteral("a\nb\nc"));
        QCOMPARE(saved("", "x\ny"), QStringLiteral("x\r\ny")); // a new text gets CR LF
    }

    // Where a dialog opens on a screen of 19200 x 15360 twips: a missing or unreadable place gives
    // the default, one too near the right or bottom edge the fallback.
    void dialogPositionRule()
    {
        QCOMPARE(editPosition().restore(19200, 15360), QPoint(36, 36));
        const auto restore = [this](const char* left, const char* top) {
            m_settings->IniWrite("Settings", "FmEditMacrosLeft", left);
            m_settings->IniWrite("Settings", "FmEditMacrosTop", top);
            return editPosition().restore(19200, 15360);
        };
        QCOMPARE(restore("17700", "13860"), QPoint(17700, 13860)); // at the limit
        QCOMPARE(restore("17701", "13861"), QPoint(336, 372));
        QCOMPARE(restore("left", "x"), QPoint(36, 36));
    }

    void positionStoredOnlyWhenBothEdgesPositive()
    {
        QVERIFY(!editPosition().store(QPoint(0, 900)));
        QVERIFY(!editPosition().store(QPoint(300, -15)));
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosLeft", ""), QString());
        // The dialog stores where it was closed, even when cancelled (15 twips to the pixel).
        DialogScript dialogs;
        dialogs.expect([](QDialog& dialog) {
            dialog.move(30, 40);
            dialog.reject();
        });
        m_form->edit(textEdit(QString()));
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosLeft", ""), QStringLiteral("450"));
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosTop", ""), QStringLiteral("600"));
    }
};

TRELLIN_GUI_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
