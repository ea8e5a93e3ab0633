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
    void prepareMacro(const QString& body, const QString& name = QStringLiteral("Greeting"))
    {
        m_form->prepare({QStringLiteral("Moxeno Trellin - edit macro"), body, true, name, 4});
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

    void macroEditShowsNameAndPosition()
    {
        prepareMacro(QStringLiteral("body"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Moxeno Trellin - edit macro"));
        QVERIFY(m_form->findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible());
        QCOMPARE(m_form->findChild<QLineEdit*>(QStringLiteral("Text2"))->text(), QStringLiteral("Greeting"));
        QCOMPARE(m_form->findChild<QLineEdit*>(QStringLiteral("TextPosition"))->text(), QStringLiteral("4"));
        QCOMPARE(label(QStringLiteral("Label1"))->text(),
            QStringLiteral("Tips:    Shift +   Ctrl ^   Alt %   Enter ~                                     "
                           "Press F1 or click here for more help in writing macros"));
        QCOMPARE(label(QStringLiteral("LabelCopySelection"))->text(), QStringLiteral("Copy selection"));
    }

    void emptyNameBecomesMacroNumber()
    {
        prepareMacro(QStringLiteral("body"), QString());
        QTest::mouseClick(label(QStringLiteral("LabelSave")), Qt::LeftButton);
        const EditResult result = m_form->result();
        QVERIFY(result.saved);
        QCOMPARE(result.macroName, QStringLiteral("Macro 4"));
        QCOMPARE(result.text, QStringLiteral("body"));
    }

    void anyCloseOtherThanSaveCancels()
    {
        DialogScript dialogs;
        dialogs.expect([](QDialog& dialog) {
            dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
                ->setPlainText(QStringLiteral("changed"));
            dialog.close();
        });
        QVERIFY(!m_form->edit(textEdit(QStringLiteral("text"))).saved);
        QVERIFY(dialogs.usedUp());
    }

    void tipsLabel()
    {
        prepareMacro(QStringLiteral("a{t}b{T}c{Tab}d"));
        QTest::mouseClick(label(QStringLiteral("Label1")), Qt::RightButton);
        QCOMPARE(text1()->toPlainText(), QStringLiteral("a{TAB}b{TAB}c{Tab}d"));
        QTest::mouseClick(label(QStringLiteral("Label1")), Qt::MiddleButton);
        QVERIFY(m_sent.isEmpty());
        QTest::mouseClick(label(QStringLiteral("Label1")), Qt::LeftButton);
        QCOMPARE(m_sent, QStringList {"{F1}"});
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
    void lineBreaks_data()
    {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("edited"); // empty: left as it was
        QTest::addColumn<QString>("saved");
        const auto row = [](const char* name, const char* original, const char* edited, const char* saved) {
            QTest::newRow(name) << QString::fromUtf8(original) << QString::fromUtf8(edited)
                                << QString::fromUtf8(saved);
        };
        row("unchanged keeps mixed breaks", "a\r\nb\nc", "", "a\r\nb\nc");
        row("changed CR LF text", "a\r\nb", "a\nb\nc", "a\r\nb\r\nc");
        row("changed LF-only text", "a\nb", "a\nb\nc", "a\nb\nc");
        row("new text gets CR LF", "", "x\ny", "x\r\ny");
    }
    void lineBreaks()
    {
        QFETCH(QString, original);
        QFETCH(QString, edited);
        m_form->prepare(textEdit(original));
        if (!edited.isEmpty())
            text1()->setPlainText(edited);
        QTEST(m_form->result().text, "saved");
    }

    void dialogPositionRule_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QPoint>("expected");
        const auto row = [](const char* name, const char* left, const char* top, QPoint expected) {
            QTest::newRow(name) << QString::fromUtf8(left) << QString::fromUtf8(top) << expected;
        };
        row("missing", "", "", QPoint(36, 36));
        row("stored", "1200", "800", QPoint(1200, 800));
        row("beyond the screen", "18000", "14000", QPoint(336, 372));
        row("at the limit", "17700", "13860", QPoint(17700, 13860));
        row("not a number", "left", "x", QPoint(36, 36));
    }
    void dialogPositionRule()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        if (!left.isEmpty())
            m_settings->IniWrite("Settings", "FmEditMacrosLeft", left);
        if (!top.isEmpty())
            m_settings->IniWrite("Settings", "FmEditMacrosTop", top);
        // A screen of 19200 x 15360 twips (1280 x 1024 pixels).
        QTEST(editPosition().restore(19200, 15360), "expected");
    }

    void positionStoredOnlyWhenBothEdgesPositive()
    {
        QVERIFY(editPosition().store(QPoint(450, 600)));
        QVERIFY(!editPosition().store(QPoint(0, 900)));
        QVERIFY(!editPosition().store(QPoint(300, -15)));
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosLeft", ""), QStringLiteral("450"));
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosTop", ""), QStringLiteral("600"));

        DialogScript dialogs;
        dialogs.expect([](QDialog& dialog) {
            dialog.move(0, 40);
            dialog.reject();
        });
        m_form->edit(textEdit(QString()));
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosLeft", ""), QStringLiteral("450"));
    }
};

TRELLIN_GUI_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
