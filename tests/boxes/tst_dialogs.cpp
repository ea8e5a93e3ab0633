#include "DialogScript.h"
#include "FakeClipboard.h"
#include "TestEnvironment.h"
#include "app/CommandLabel.h"
#include "app/DialogPosition.h"
#include "app/SettingsStore.h"
#include "boxes/FormEdit.h"
#include "core/LineBreaks.h"

#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

// FormEdit's commands, the dialog position rule and the line breaks of edited texts.
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
    void prepareMacro(const QString& body, const QString& name = QStringLiteral("Greeting"), int number = 4)
    {
        EditRequest request;
        request.caption = QStringLiteral("Moxeno Trellin - edit macro");
        request.macro = true;
        request.text = body;
        request.macroName = name;
        request.macroNumber = number;
        m_form->prepare(request);
        m_form->show();
    }
    void select(int start, int end)
    {
        QTextCursor cursor = text1()->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        text1()->setTextCursor(cursor);
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
        for (const char* name : {"LabelPaste", "LabelCopySelection", "LabelClearAll", "LabelSelectAll",
                 "LabelCancel", "LabelSave"})
            QVERIFY2(label(QString::fromLatin1(name)), name);
        QCOMPARE(label(QStringLiteral("LabelCopySelection"))->text(), QStringLiteral("Copy selection"));
    }

    void emptyNameBecomesMacroNumber()
    {
        prepareMacro(QStringLiteral("body"), QString(), 4);
        QTest::mouseClick(label(QStringLiteral("LabelSave")), Qt::LeftButton);
        const EditResult result = m_form->result();
        QVERIFY(result.saved);
        QCOMPARE(result.macroName, QStringLiteral("Macro 4"));
        QCOMPARE(result.text, QStringLiteral("body"));
    }

    void anyCloseOtherThanSaveCancels()
    {
        EditRequest request;
        request.caption = QStringLiteral("Moxeno Trellin - edit text");
        request.text = QStringLiteral("text");
        DialogScript dialogs;
        dialogs.expect([](QDialog& dialog) {
            dialog.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
                ->setPlainText(QStringLiteral("changed"));
            dialog.close();
        });
        const EditResult result = m_form->edit(request);
        QVERIFY(!result.saved);
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

    void selectAllToggles()
    {
        prepareMacro(QStringLiteral("hello world"));
        select(0, 5);
        QTest::mouseClick(label(QStringLiteral("LabelSelectAll")), Qt::LeftButton);
        QCOMPARE(text1()->textCursor().selectedText(), QStringLiteral("hello world"));
        QTest::mouseClick(label(QStringLiteral("LabelSelectAll")), Qt::LeftButton);
        QVERIFY(!text1()->textCursor().hasSelection());
    }

    void ctrlAWithExactlyCtrl()
    {
        prepareMacro(QStringLiteral("hello"));
        select(0, 0);
        QTest::keyClick(text1(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!text1()->textCursor().hasSelection());
        QCOMPARE(text1()->toPlainText(), QStringLiteral("hello"));
        QTest::keyClick(text1(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(text1()->textCursor().selectedText(), QStringLiteral("hello"));
    }

    void clipboardCommands()
    {
        prepareMacro(QStringLiteral("one two three"));
        select(4, 7);
        QTest::mouseClick(label(QStringLiteral("LabelCopySelection")), Qt::LeftButton);
        QCOMPARE(m_clipboard.text, QStringLiteral("two"));
        m_clipboard.text = QStringLiteral("2");
        select(4, 7);
        QTest::mouseClick(label(QStringLiteral("LabelPaste")), Qt::LeftButton);
        QCOMPARE(text1()->toPlainText(), QStringLiteral("one 2 three"));
        m_clipboard.text.clear();
        select(0, 4);
        QTest::mouseClick(
            label(QStringLiteral("LabelPaste")), Qt::LeftButton); // no text removes the selection
        QCOMPARE(text1()->toPlainText(), QStringLiteral("2 three"));
        QTest::mouseClick(label(QStringLiteral("LabelClearAll")), Qt::LeftButton);
        QCOMPARE(text1()->toPlainText(), QString());
    }

    void dialogPositionRule_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("missing") << QString() << QString() << QPoint(36, 36);
        QTest::newRow("stored") << "1200"
                                << "800" << QPoint(1200, 800);
        QTest::newRow("beyond the screen") << "18000"
                                           << "14000" << QPoint(336, 372);
        QTest::newRow("at the limit") << "17700"
                                      << "13860" << QPoint(17700, 13860);
        QTest::newRow("not a number") << "left"
                                      << "x" << QPoint(36, 36);
    }
    void dialogPositionRule()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QPoint, expected);
        if (!left.isEmpty())
            m_settings->IniWrite("Settings", "FmEditMacrosLeft", left);
        if (!top.isEmpty())
            m_settings->IniWrite("Settings", "FmEditMacrosTop", top);
        // A screen of 19200 x 15360 twips (1280 x 1024 pixels).
        DialogPosition position(
            *m_settings, QStringLiteral("FmEditMacrosLeft"), QStringLiteral("FmEditMacrosTop"));
        QCOMPARE(position.restore(19200, 15360), expected);
    }

    void positionStoredOnlyWhenBothEdgesPositive()
    {
        DialogPosition position(
            *m_settings, QStringLiteral("FmEditMacrosLeft"), QStringLiteral("FmEditMacrosTop"));
        QVERIFY(position.store(QPoint(450, 600)));
        QVERIFY(!position.store(QPoint(0, 900)));
        QVERIFY(!position.store(QPoint(300, -15)));
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosLeft", ""), QStringLiteral("450"));
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosTop", ""), QStringLiteral("600"));

        EditRequest request;
        DialogScript dialogs;
        dialogs.expect([](QDialog& dialog) {
            dialog.move(0, 40);
            dialog.reject();
        });
        m_form->edit(request);
        QCOMPARE(m_settings->IniRead("Settings", "FmEditMacrosLeft", ""), QStringLiteral("450"));
    }

    void lineBreaks_data()
    {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QString>("stored");
        QTest::newRow("unchanged keeps mixed breaks") << "a\r\nb\nc"
                                                      << "a\nb\nc"
                                                      << "a\r\nb\nc";
        QTest::newRow("changed CR LF text") << "a\r\nb"
                                            << "a\nb\nc"
                                            << "a\r\nb\r\nc";
        QTest::newRow("changed LF-only text") << "a\nb"
                                              << "a\nb\nc"
                                              << "a\nb\nc";
        QTest::newRow("new text gets CR LF") << ""
                                             << "x\ny"
                                             << "x\r\ny";
    }
    void lineBreaks()
    {
        QFETCH(QString, original);
        QFETCH(QString, edited);
        QFETCH(QString, stored);
        QCOMPARE(LineBreaks::fromEditor(edited, original), stored);
    }
};

TRELLIN_GUI_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
