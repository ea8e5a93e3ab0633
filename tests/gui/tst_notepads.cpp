#include "DialogScript.h"
#include "GuiTestMain.h"
#include "TestFiles.h"
#include "gui/notepads/NotepadDialogs.h"
#include "gui/notepads/NotepadPrinter.h"
#include "gui/notepads/NotepadsFrame.h"
#include "gui/notepads/SystemNotepadDialogs.h"
#include "platform/RecordingPlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTabBar>

// File names and copies answered in order; every print job is kept, and written as a PDF file
// when a folder for them is given.
class ScriptedNotepadDialogs : public NotepadDialogs
{
public:
    QString openFileName(QWidget*) override { return next(QStringLiteral("open")); }
    QString saveFileName(QWidget*) override { return next(QStringLiteral("save")); }
    int printCopies(QWidget*) override
    {
        asked.append(QStringLiteral("print"));
        return copies;
    }
    bool printJob(const QString& text) override
    {
        jobs.append(text);
        if (pdfFolder.isEmpty())
            return !failJobs;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFolder + QStringLiteral("/job%1.pdf").arg(jobs.size()));
        return NotepadPrinter::print(printer, text);
    }

    QStringList names; // answers of the file dialogs, "" for cancel
    QStringList asked; // "open", "save", "print", in order
    int copies = 1;
    QStringList jobs;
    QString pdfFolder;
    bool failJobs = false;

private:
    QString next(const QString& kind)
    {
        asked.append(kind);
        return names.isEmpty() ? QString() : names.takeFirst();
    }
};

class TestNotepads : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        Fixture()
        {
            frame.setDialogs(&dialogs);
            frame.resize(420, 300);
            frame.show();
            frame.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&frame));
            QObject::connect(
                &frame, &NotepadsFrame::statusText, [this](const QString& text) { status = text; });
        }
        QTemporaryDir dir;
        RecordingPlatform clipboard;
        ScriptedNotepadDialogs dialogs;
        NotepadsFrame frame {clipboard};
        QString status;
    };
    std::unique_ptr<Fixture> f;

    QString path(const QString& name) const { return f->dir.filePath(name); }
    template<typename T> T* child(const QString& name) const
    {
        auto* widget = f->frame.findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void click(const QString& label) { QTest::mouseClick(child<CommandLabel>(label), Qt::LeftButton); }
    QPlainTextEdit* editor(int index) const { return f->frame.notepad(index); }
    // Selection start, selection length of a notepad.
    QPair<int, int> selection(int index) const
    {
        const QTextCursor cursor = editor(index)->textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
    }
    void setSelection(int index, int start, int length)
    {
        QTextCursor cursor = editor(index)->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        editor(index)->setTextCursor(cursor);
    }
    // The text of a PDF file, by pdftotext (poppler-utils).
    static QString pdfText(const QString& pdf)
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            return QStringLiteral("(pdftotext is missing: scripts/install-deps.sh installs poppler-utils)");
        QProcess process;
        process.start(pdftotext, {pdf, QStringLiteral("-")});
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    QStringList items(const QString& combo) const
    {
        QStringList list;
        auto* box = child<QComboBox>(combo);
        for (int i = 0; i < box->count(); ++i)
            list.append(box->itemText(i));
        return list;
    }

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    // Ten notepads behind tabs "1" to "10"; clicking a tab shows its notepad with the focus in it.
    void tabsSelectNotepads()
    {
        auto* tabs = child<QTabBar>("TabStripNotepads");
        QCOMPARE(tabs->count(), 10);
        QCOMPARE(tabs->tabText(9), "10");
        QCOMPARE(f->frame.selectedNotepad(), 0);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(9).center());
        QCOMPARE(f->frame.selectedNotepad(), 9);
        QVERIFY(editor(9)->isVisible() && !editor(0)->isVisible());
        QCOMPARE(editor(9)->objectName(), "Text19");
        QCOMPARE(QApplication::focusWidget(), editor(9));
    }

    // Every command acts on the notepad whose tab is selected, notepad 10 included.
    void commandsActOnTheSelectedNotepad()
    {
        for (int index = 0; index < 10; ++index)
            editor(index)->setPlainText(QStringLiteral("text %1").arg(index));
        f->frame.selectNotepad(9);
        click("LabelNotepadCopyAll");
        QCOMPARE(f->clipboard.content, "text 9");
        click("LabelNotepadSelAll");
        QCOMPARE(selection(9), qMakePair(0, 6));
        f->clipboard.content = QStringLiteral("new");
        click("LabelNotepadPaste");
        QCOMPARE(editor(9)->toPlainText(), "new");
        child<QComboBox>("ComboFind")->setEditText("e");
        click("LabelFind");
        QCOMPARE(selection(9), qMakePair(1, 1));
        click("LabelNotepadClear");
        QVERIFY(editor(9)->toPlainText().isEmpty());
        QCOMPARE(QApplication::focusWidget(), editor(9));
        for (int index = 0; index < 9; ++index)
            QCOMPARE(editor(index)->toPlainText(), QStringLiteral("text %1").arg(index));
    }

    // Open asks before it replaces text; No, a cancelled dialog and a file that cannot be read
    // all leave the text as it was, the last one with a message that says why.
    void openFile()
    {
        DialogScript script;
        QVERIFY(TestFiles::write(path("in.txt"), "one\r\n\xC3\xA9\r\n"));
        f->dialogs.names = QStringList {path("in.txt")};
        click("LabelNotepadOpen"); // an empty notepad asks nothing
        QCOMPARE(f->frame.notepadText(0), QStringLiteral("one\r\n\u00E9"));
        QCOMPARE(editor(0)->toPlainText(), QStringLiteral("one\n\u00E9"));
        QCOMPARE(QApplication::focusWidget(), editor(0));

        script.expect(DialogScript::messageButton(QMessageBox::No));
        click("LabelNotepadOpen");
        QCOMPARE(f->dialogs.asked, QStringList {"open"}); // no file dialog after No
        script.expect(DialogScript::messageButton(QMessageBox::Yes));
        click("LabelNotepadOpen"); // the file dialog is cancelled
        f->dialogs.names = QStringList {path("missing.txt")};
        script.expect(DialogScript::messageButton(QMessageBox::Yes));
        script.expect(DialogScript::messageButton(QMessageBox::Ok));
        click("LabelNotepadOpen");
        QVERIFY(script.usedUp());
        QCOMPARE(script.seen.value(0), "Overwrite|Overwrite existing text?");
        QVERIFY2(script.seen.value(3).contains(path("missing.txt")), qPrintable(script.seen.value(3)));
        QVERIFY(script.seen.value(3).startsWith("Moxeno Trellin|Notepad 1 is unchanged"));
        QCOMPARE(f->frame.notepadText(0), QStringLiteral("one\r\n\u00E9"));
    }

    // Save writes the text with CR LF and one more at the end, and opening the file gives the
    // same text back. Over an existing file, No goes back to the file dialog and Cancel stops
    // without writing.
    void saveFile()
    {
        DialogScript script;
        const QString text = QStringLiteral("a\u00A0b\n\n\u65E5\n");
        editor(0)->setPlainText(text);
        f->dialogs.names = QStringList {path("out.txt")};
        click("LabelNotepadSave");
        QCOMPARE(TestFiles::read(path("out.txt")), QStringLiteral("a\u00A0b\r\n\r\n\u65E5\r\n\r\n").toUtf8());
        f->frame.selectNotepad(9);
        f->dialogs.names = QStringList {path("out.txt")};
        click("LabelNotepadOpen");
        QCOMPARE(f->frame.notepadText(9), QStringLiteral("a\u00A0b\r\n\r\n\u65E5\r\n"));

        editor(9)->setPlainText(QStringLiteral("changed"));
        QVERIFY(TestFiles::write(path("other.txt"), "other"));
        f->dialogs.asked.clear();
        f->dialogs.names = QStringList {path("out.txt"), path("other.txt")};
        script.expect(DialogScript::messageButton(QMessageBox::No));
        script.expect(DialogScript::messageButton(QMessageBox::Cancel));
        click("LabelNotepadSave");
        QCOMPARE(f->dialogs.asked, (QStringList {"save", "save"}));
        QCOMPARE(script.seen,
            (QStringList {"File exists|Overwrite " + path("out.txt") + "?",
                "File exists|Overwrite " + path("other.txt") + "?"}));
        QCOMPARE(TestFiles::read(path("other.txt")), "other");
        QCOMPARE(TestFiles::read(path("out.txt")), QStringLiteral("a\u00A0b\r\n\r\n\u65E5\r\n\r\n").toUtf8());

        f->dialogs.names = QStringList {path("other.txt")};
        script.expect(DialogScript::messageButton(QMessageBox::Yes));
        click("LabelNotepadSave");
        QCOMPARE(TestFiles::read(path("other.txt")), "changed\r\n");
        QVERIFY(script.usedUp());
    }

    // A save that fails says so and names the file; the notepad keeps its text. Save and Print
    // on an empty notepad show no dialog at all.
    void saveFailureAndEmptyNotepad()
    {
        DialogScript script;
        click("LabelNotepadSave");
        click("LabelNotepadPrint");
        QVERIFY(f->dialogs.asked.isEmpty());

        editor(0)->setPlainText(QStringLiteral("keep"));
        f->dialogs.names = QStringList {path("no/such/folder/out.txt")};
        script.expect(DialogScript::messageButton(QMessageBox::Ok));
        click("LabelNotepadSave");
        QVERIFY(script.usedUp());
        QVERIFY(script.seen.value(0).startsWith("Moxeno Trellin|Notepad 1 was not saved"));
        QVERIFY(script.seen.value(0).contains(path("no/such/folder/out.txt")));
        QCOMPARE(editor(0)->toPlainText(), "keep");
    }

    // One print job per copy, each the whole text; a cancelled dialog prints nothing; a job that
    // fails stops the copies after it and says so.
    void printJobs()
    {
        DialogScript script;
        editor(0)->setPlainText(QStringLiteral("one\ntwo"));
        f->dialogs.copies = 3;
        click("LabelNotepadPrint");
        QCOMPARE(f->dialogs.jobs, QStringList(3, QStringLiteral("one\r\ntwo")));
        f->dialogs.copies = 0;
        click("LabelNotepadPrint");
        QCOMPARE(f->dialogs.jobs.size(), 3);

        f->dialogs.jobs.clear();
        f->dialogs.copies = 2;
        f->dialogs.failJobs = true;
        script.expect(DialogScript::messageButton(QMessageBox::Ok));
        click("LabelNotepadPrint");
        QCOMPARE(f->dialogs.jobs.size(), 1);
        QCOMPARE(script.seen, QStringList {"Moxeno Trellin|Notepad 1: copy 1 of 2 could not be printed."});
    }

    // The printed page holds the notepad's lines.
    void printsToPdf()
    {
        editor(0)->setPlainText(QStringLiteral("First line\nSecond line \u00E9"));
        f->dialogs.pdfFolder = f->dir.path();
        f->dialogs.copies = 2;
        click("LabelNotepadPrint");
        for (int job = 1; job <= 2; ++job) {
            const QString printed = pdfText(path(QStringLiteral("job%1.pdf").arg(job)));
            QVERIFY2(printed.contains(QStringLiteral("First line\nSecond line \u00E9")), qPrintable(printed));
        }
    }

    // The clipboard gets LF line breaks; Copy all on an empty notepad leaves an empty text.
    // Paste replaces the selection, but a clipboard that cannot be read leaves it.
    void clipboardCommands()
    {
        click("LabelNotepadCopyAll");
        QCOMPARE(f->clipboard.calls, (QStringList {"clipboard clear", "clipboard set "}));
        editor(0)->setPlainText(QStringLiteral("ab\ncd"));
        setSelection(0, 1, 3);
        click("LabelNotepadCopySel");
        QCOMPARE(f->clipboard.content, "b\nc");
        f->clipboard.content = QStringLiteral("X\r\nY");
        click("LabelNotepadPaste");
        QCOMPARE(f->frame.notepadText(0), "aX\r\nYd");
        setSelection(0, 0, 2);
        f->clipboard.failing = true;
        click("LabelNotepadPaste");
        QCOMPARE(f->frame.notepadText(0), "aX\r\nYd");
        QCOMPARE(selection(0), qMakePair(0, 2));
    }

    // Select all toggles between everything and nothing selected, leaving the caret where the
    // selection began.
    void selectAllToggles()
    {
        editor(0)->setPlainText(QStringLiteral("one\ntwo"));
        click("LabelNotepadSelAll");
        QCOMPARE(selection(0), qMakePair(0, 7));
        click("LabelNotepadSelAll");
        QCOMPARE(selection(0), qMakePair(0, 0));
        QCOMPARE(editor(0)->textCursor().position(), 0);
        click("LabelNotepadSelAll");
        QCOMPARE(selection(0), qMakePair(0, 7));
    }

    // Clear all empties all ten notepads and the find and replace texts, not their lists.
    void clearAll()
    {
        for (int index = 0; index < 10; ++index)
            editor(index)->setPlainText(QStringLiteral("text"));
        child<QComboBox>("ComboFind")->setEditText("t");
        child<QComboBox>("ComboReplace")->setEditText("T");
        click("LabelReplaceAll");
        click("LabelClearAllNotepads");
        for (int index = 0; index < 10; ++index)
            QVERIFY(editor(index)->toPlainText().isEmpty());
        QCOMPARE(child<QComboBox>("ComboFind")->currentText(), "");
        QCOMPARE(child<QComboBox>("ComboReplace")->currentText(), "");
        QCOMPARE(items("ComboFind"), QStringList {"t"});
        QCOMPARE(items("ComboReplace"), QStringList {"T"});
    }

    // Find next walks through the occurrences and stops after the last; the match case box
    // counts for Find next only.
    void findNext()
    {
        editor(0)->setPlainText(QStringLiteral("aaa"));
        child<QComboBox>("ComboFind")->setEditText("a");
        QList<QPair<int, int>> steps;
        for (int click = 0; click < 4; ++click) {
            this->click("LabelFind");
            steps.append(selection(0));
        }
        QCOMPARE(steps, (QList<QPair<int, int>> {{0, 1}, {1, 1}, {2, 1}, {2, 1}}));
        setSelection(0, 3, 0); // a click that leaves no selection: from the start again
        click("LabelFind");
        QCOMPARE(selection(0), qMakePair(0, 1));

        editor(0)->setPlainText(QStringLiteral("Cat"));
        child<QComboBox>("ComboFind")->setEditText("cat");
        click("LabelFind");
        QCOMPARE(selection(0), qMakePair(0, 3));
        child<QCheckBox>("CheckMatchCase")->setChecked(true);
        setSelection(0, 0, 0);
        click("LabelFind");
        QCOMPARE(selection(0), qMakePair(0, 0));
        child<QCheckBox>("CheckMatchCase")->setChecked(false);
        child<QComboBox>("ComboReplace")->setEditText("dog");
        click("LabelReplaceAll");
        QCOMPARE(editor(0)->toPlainText(), "Cat");
        QCOMPARE(items("ComboFind"), (QStringList {"cat", "a"}));
    }

    // Replace selection replaces whatever is selected and selects the new text; without a
    // selection it does nothing, not even remember the texts. Replace all is one undo step.
    void replace()
    {
        editor(0)->setPlainText(QStringLiteral("abab"));
        child<QComboBox>("ComboFind")->setEditText("ab");
        child<QComboBox>("ComboReplace")->setEditText("abab");
        click("LabelReplace");
        QVERIFY(items("ComboFind").isEmpty() && items("ComboReplace").isEmpty());
        click("LabelReplaceAll");
        QCOMPARE(editor(0)->toPlainText(), "abababab");
        editor(0)->undo();
        QCOMPARE(editor(0)->toPlainText(), "abab");

        setSelection(0, 1, 2);
        child<QComboBox>("ComboReplace")->setEditText("XYZ");
        click("LabelReplace");
        QCOMPARE(editor(0)->toPlainText(), "aXYZb");
        QCOMPARE(selection(0), qMakePair(1, 3));
        QCOMPARE(items("ComboFind"), QStringList {"ab"});
        QCOMPARE(items("ComboReplace"), (QStringList {"XYZ", "abab"}));
    }

    // Entering the empty replace box offers the find text with the caret at its end; a replace
    // text already there stays.
    void replaceBoxTakesFindText()
    {
        auto* find = child<QComboBox>("ComboFind");
        auto* replace = child<QComboBox>("ComboReplace");
        find->setFocus();
        find->setEditText("word");
        replace->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(replace->hasFocus());
        QCOMPARE(replace->currentText(), "word");
        QTRY_VERIFY(!replace->lineEdit()->hasSelectedText());
        QCOMPARE(replace->lineEdit()->cursorPosition(), 4);
        replace->setEditText("kept");
        find->setFocus();
        replace->setFocus();
        QCOMPARE(replace->currentText(), "kept");
    }

    // The file dialogs offer text files, give the chosen path, "" when cancelled; a name saved
    // without an extension gets ".txt". The print dialog gives the copies asked for and leaves
    // the printer printing one copy per job.
    void systemDialogs()
    {
        DialogScript script;
        SystemNotepadDialogs dialogs;
        QVERIFY(TestFiles::write(path("in.txt"), "x"));
        const auto choose = [](const QString& file) {
            return [file](QDialog& dialog) {
                auto* files = qobject_cast<QFileDialog*>(&dialog);
                QVERIFY(files);
                QCOMPARE(files->nameFilters(), QStringList {"Text files(*.txt)"});
                files->selectFile(file);
                dialog.accept(); // QFileDialog::accept, which takes the typed name
            };
        };
        script.expect(choose(path("in.txt")));
        QCOMPARE(dialogs.openFileName(&f->frame), path("in.txt"));
        script.expect(choose(path("new")));
        QCOMPARE(dialogs.saveFileName(&f->frame), path("new.txt"));
        script.expect([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(dialogs.saveFileName(&f->frame), QString());

        script.expect([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(dialogs.printCopies(&f->frame), 0);
        const QString pdf = path("job.pdf");
        script.expect([pdf](QDialog& dialog) {
            auto* print = qobject_cast<QPrintDialog*>(&dialog);
            QVERIFY(print);
            print->printer()->setOutputFileName(pdf);
            print->printer()->setCopyCount(3);
            print->done(QDialog::Accepted);
        });
        QCOMPARE(dialogs.printCopies(&f->frame), 3);
        QCOMPARE(dialogs.printer().copyCount(), 1);
        QVERIFY(script.usedUp());
        QVERIFY(dialogs.printJob(QStringLiteral("Printed once")));
        const QString printed = pdfText(pdf);
        QCOMPARE(printed.count(QStringLiteral("Printed once")), 1);
    }

    void hints()
    {
        const auto hover = [this](const QString& name) {
            f->status.clear();
            auto* widget = f->frame.findChild<QWidget*>(name);
            QTest::mouseMove(widget, QPoint(2, 2));
            return f->status;
        };
        QCOMPARE(hover("LabelNotepadOpen"), "Open a text file into the selected notepad.");
        QCOMPARE(hover("LabelClearAllNotepads"), "Clear all notepads.");
        QCOMPARE(hover("CheckMatchCase"), "Match case for 'Find' only.");
        QCOMPARE(hover("LabelReplaceAll"), "Replace all occurrences in the selected notepad.");
        QCOMPARE(hover("FrameNotepadsFindReplace"), "Ready");
        QCOMPARE(hover("TabStripNotepads"), "Ready");
    }
};

TRELLIN_GUI_TEST_MAIN(TestNotepads)
#include "tst_notepads.moc"
