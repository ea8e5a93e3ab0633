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

// File names and copies answered in order; every print job is written as a PDF file.
class ScriptedNotepadDialogs : public NotepadDialogs
{
public:
    QString openFileName(QWidget*) override { return next(QStringLiteral("open")); }
    QString saveFileName(QWidget*) override { return next(QStringLiteral("save")); }
    int printCopies(QWidget*) override { return asked.append(QStringLiteral("print")), copies; }
    bool printJob(const QString& text) override
    {
        QPrinter printer;
        printer.setOutputFileName(folder + QStringLiteral("/job%1.pdf").arg(++jobs));
        return NotepadPrinter::print(printer, text) && !failJobs;
    }

    QString folder;
    QStringList names; // answers of the file dialogs, "" for cancel
    QStringList asked; // "open", "save", "print", in order
    int copies = 1;
    int jobs = 0;
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
            dialogs.folder = dir.path();
            frame.setDialogs(&dialogs);
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
        DialogScript script;
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
    // Selection start and length.
    QPair<int, int> selection(int index = 0) const
    {
        const QTextCursor cursor = editor(index)->textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
    }
    void select(int start, int length)
    {
        QTextCursor cursor = editor(0)->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        editor(0)->setTextCursor(cursor);
    }
    void expect(int button) { f->script.expect(DialogScript::messageButton(button)); }
    QStringList items(const QString& combo) const
    {
        QStringList list;
        for (int i = 0; i < child<QComboBox>(combo)->count(); ++i)
            list.append(child<QComboBox>(combo)->itemText(i));
        return list;
    }
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

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup()
    {
        QVERIFY(f->script.usedUp());
        f.reset();
    }

    // Clicking tab "10" shows notepad 10 with the focus in it, and every command then acts on
    // it alone.
    void commandsActOnTheSelectedNotepad()
    {
        for (int index = 0; index < 10; ++index)
            editor(index)->setPlainText(QStringLiteral("text %1").arg(index));
        auto* tabs = child<QTabBar>("TabStripNotepads");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(9).center());
        QVERIFY(editor(9)->isVisible() && !editor(0)->isVisible());
        QCOMPARE(QApplication::focusWidget(), editor(9));
        click("LabelNotepadCopyAll");
        QCOMPARE(f->clipboard.content, "text 9");
        click("LabelNotepadSelAll");
        QCOMPARE(selection(9), qMakePair(0, 6));
        f->clipboard.content = QStringLiteral("new");
        click("LabelNotepadPaste");
        child<QComboBox>("ComboFind")->setEditText("e");
        click("LabelFind");
        QCOMPARE(selection(9), qMakePair(1, 1));
        click("LabelNotepadClear");
        QVERIFY(editor(9)->toPlainText().isEmpty());
        for (int index = 0; index < 9; ++index)
            QCOMPARE(editor(index)->toPlainText(), QStringLiteral("text %1").arg(index));

        QTest::mouseMove(child<QWidget>("FrameNotepadsFindReplace"), QPoint(2, 2));
        QCOMPARE(f->status, "Ready");
    }

    // Open asks before it replaces text; No, a cancelled dialog and a file that cannot be read
    // all leave the text as it was, the last one with a message that says why.
    void openFile()
    {
        QVERIFY(TestFiles::write(path("in.txt"), "one\r\n\xC3\xA9\r\n"));
        f->dialogs.names = QStringList {path("in.txt"), "", path("missing.txt")};
        click("LabelNotepadOpen"); // an empty notepad asks nothing
        QCOMPARE(f->frame.notepadText(0), QStringLiteral("one\r\n\u00E9"));
        QCOMPARE(editor(0)->toPlainText(), QStringLiteral("one\n\u00E9"));
        for (const int answer : {QMessageBox::No, QMessageBox::Yes, QMessageBox::Yes})
            expect(answer);
        expect(QMessageBox::Ok);
        for (int click = 0; click < 3; ++click)
            this->click("LabelNotepadOpen");
        QCOMPARE(f->dialogs.asked, (QStringList {"open", "open", "open"})); // none after No
        QCOMPARE(f->script.seen.value(0), "Overwrite|Overwrite existing text?");
        QVERIFY(f->script.seen.value(3).startsWith("Moxeno Trellin|Notepad 1 is unchanged: "));
        QVERIFY(f->script.seen.value(3).contains(path("missing.txt")));
        QCOMPARE(f->frame.notepadText(0), QStringLiteral("one\r\n\u00E9"));
    }

    // Save writes CR LF lines and one more CR LF, every character kept. Over an existing file, No goes back
    // to the file dialog and Cancel stops without writing. A failed save is told. An empty notepad shows no
    // dialog.
    void saveFile()
    {
        click("LabelNotepadSave");
        QVERIFY(f->dialogs.asked.isEmpty());
        const QString text = QStringLiteral("a\u00A0b\n\n\u65E5\n");
        const QByteArray saved = QStringLiteral("a\u00A0b\r\n\r\n\u65E5\r\n\r\n").toUtf8();
        editor(0)->setPlainText(text);
        f->dialogs.names = QStringList {path("out.txt")};
        click("LabelNotepadSave");
        QCOMPARE(TestFiles::read(path("out.txt")), saved);

        editor(0)->setPlainText(QStringLiteral("changed"));
        QVERIFY(TestFiles::write(path("other.txt"), "other"));
        f->dialogs.names = QStringList {path("out.txt"), path("other.txt"), path("other.txt")};
        expect(QMessageBox::No);
        expect(QMessageBox::Cancel);
        click("LabelNotepadSave");
        QCOMPARE(f->script.seen,
            (QStringList {"File exists|Overwrite " + path("out.txt") + "?",
                "File exists|Overwrite " + path("other.txt") + "?"}));
        QCOMPARE(TestFiles::read(path("other.txt")) + TestFiles::read(path("out.txt")), "other" + saved);
        expect(QMessageBox::Yes);
        click("LabelNotepadSave");
        QCOMPARE(TestFiles::read(path("other.txt")), "changed\r\n");

        f->dialogs.names = QStringList {path("no/folder/x.txt")};
        expect(QMessageBox::Ok);
        click("LabelNotepadSave");
        QVERIFY(f->script.seen.last().startsWith("Moxeno Trellin|Notepad 1 was not saved: "));
        QVERIFY(f->script.seen.last().contains(path("no/folder/x.txt")));
    }

    // One print job per copy, each the whole text; a cancelled dialog prints nothing, nor does
    // an empty notepad; a job that fails stops the copies after it and says so.
    void printJobs()
    {
        click("LabelNotepadPrint");
        QVERIFY(f->dialogs.asked.isEmpty());
        editor(0)->setPlainText(QStringLiteral("First line\nSecond line \u00E9"));
        f->dialogs.copies = 2;
        click("LabelNotepadPrint");
        QCOMPARE(f->dialogs.jobs, 2);
        for (const char* job : {"job1.pdf", "job2.pdf"})
            QVERIFY(pdfText(path(job)).contains(QStringLiteral("First line\nSecond line \u00E9")));
        f->dialogs.copies = 0;
        click("LabelNotepadPrint");
        QCOMPARE(f->dialogs.jobs, 2);

        f->dialogs.copies = 3;
        f->dialogs.failJobs = true;
        expect(QMessageBox::Ok);
        click("LabelNotepadPrint");
        QCOMPARE(f->dialogs.jobs, 3);
        QCOMPARE(f->script.seen, QStringList {"Moxeno Trellin|Notepad 1: copy 1 of 3 could not be printed."});
    }

    // The file dialogs offer text files and give the chosen path ("" when cancelled); a name
    // saved without an extension gets ".txt". The print dialog gives the copies asked for and
    // leaves the printer printing one copy per job.
    void systemDialogs()
    {
        SystemNotepadDialogs dialogs;
        const auto choose = [](const QString& file) {
            return [file](QDialog& dialog) {
                auto* files = qobject_cast<QFileDialog*>(&dialog);
                QVERIFY(files);
                QCOMPARE(files->nameFilters(), QStringList {"Text files(*.txt)"});
                files->selectFile(file);
                dialog.accept(); // QFileDialog::accept, which takes the typed name
            };
        };
        QVERIFY(TestFiles::write(path("in.txt"), "x"));
        f->script.expect(choose(path("in.txt")));
        QCOMPARE(dialogs.openFileName(&f->frame), path("in.txt"));
        f->script.expect(choose(path("new")));
        QCOMPARE(dialogs.saveFileName(&f->frame), path("new.txt"));
        f->script.expect([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(dialogs.saveFileName(&f->frame), QString());

        f->script.expect([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(dialogs.printCopies(&f->frame), 0);
        f->script.expect([](QDialog& dialog) {
            qobject_cast<QPrintDialog*>(&dialog)->printer()->setCopyCount(3);
            dialog.done(QDialog::Accepted);
        });
        QCOMPARE(dialogs.printCopies(&f->frame), 3);
        QCOMPARE(dialogs.printer().copyCount(), 1);
    }

    // The clipboard gets LF line breaks; Copy all on an empty notepad leaves an empty text.
    // Paste replaces the selection, but a clipboard that cannot be read leaves it. Select all
    // toggles between everything and nothing selected.
    void clipboardAndSelectAll()
    {
        click("LabelNotepadCopyAll");
        QCOMPARE(f->clipboard.calls, (QStringList {"clipboard clear", "clipboard set "}));
        editor(0)->setPlainText(QStringLiteral("ab\ncd"));
        select(1, 3);
        click("LabelNotepadCopySel");
        QCOMPARE(f->clipboard.content, "b\nc");
        f->clipboard.content = QStringLiteral("X\r\nY");
        click("LabelNotepadPaste");
        QCOMPARE(f->frame.notepadText(0), "aX\r\nYd");
        select(0, 2);
        f->clipboard.failing = true;
        click("LabelNotepadPaste");
        QCOMPARE(f->frame.notepadText(0), "aX\r\nYd");
        QCOMPARE(selection(), qMakePair(0, 2));

        QList<QPair<int, int>> toggles;
        for (int click = 0; click < 3; ++click) {
            this->click("LabelNotepadSelAll");
            toggles.append(selection());
        }
        QCOMPARE(toggles, (QList<QPair<int, int>> {{0, 5}, {0, 0}, {0, 5}}));
    }

    // Find next walks through the occurrences and stops after the last; Match case counts for
    // Find next only. Replace selection needs a selection, even to remember the texts, and
    // selects what it inserted; Replace all is one undo step.
    void findAndReplace()
    {
        editor(0)->setPlainText(QStringLiteral("Cat cat"));
        child<QComboBox>("ComboFind")->setEditText("cat");
        child<QComboBox>("ComboReplace")->setEditText("dog");
        click("LabelReplace");
        QVERIFY(items("ComboFind").isEmpty() && items("ComboReplace").isEmpty());
        QList<QPair<int, int>> found;
        for (int click = 0; click < 3; ++click) {
            this->click("LabelFind");
            found.append(selection());
        }
        QCOMPARE(found, (QList<QPair<int, int>> {{0, 3}, {4, 3}, {4, 3}}));
        child<QCheckBox>("CheckMatchCase")->setChecked(true);
        select(0, 0);
        click("LabelFind");
        QCOMPARE(selection(), qMakePair(4, 3));
        click("LabelReplaceAll");
        QCOMPARE(editor(0)->toPlainText(), "Cat dog");
        editor(0)->undo();
        QCOMPARE(editor(0)->toPlainText(), "Cat cat");

        select(0, 1);
        child<QComboBox>("ComboReplace")->setEditText("xyz");
        click("LabelReplace");
        QCOMPARE(editor(0)->toPlainText(), "xyzat cat");
        QCOMPARE(selection(), qMakePair(0, 3));
        QCOMPARE(items("ComboFind"), QStringList {"cat"});
        QCOMPARE(items("ComboReplace"), (QStringList {"xyz", "dog"}));
    }

    // Clear all empties all ten notepads and the find and replace texts, not their lists.
    // Entering the empty replace box then offers the find text with the caret at its end.
    void clearAllAndReplaceBox()
    {
        for (int index = 0; index < 10; ++index)
            editor(index)->setPlainText(QStringLiteral("text"));
        auto* find = child<QComboBox>("ComboFind");
        auto* replace = child<QComboBox>("ComboReplace");
        find->setEditText("t");
        replace->setEditText("T");
        click("LabelReplaceAll");
        click("LabelClearAllNotepads");
        for (int index = 0; index < 10; ++index)
            QVERIFY(editor(index)->toPlainText().isEmpty());
        QCOMPARE(find->currentText() + replace->currentText(), "");
        QCOMPARE(items("ComboFind") + items("ComboReplace"), (QStringList {"t", "T"}));

        find->setEditText("word");
        replace->setFocus(Qt::TabFocusReason);
        QCOMPARE(replace->currentText(), "word");
        QTRY_VERIFY(!replace->lineEdit()->hasSelectedText());
        QCOMPARE(replace->lineEdit()->cursorPosition(), 4);
        replace->setEditText("kept");
        find->setFocus();
        replace->setFocus();
        QCOMPARE(replace->currentText(), "kept");
    }
};

TRELLIN_GUI_TEST_MAIN(TestNotepads)
#include "tst_notepads.moc"
