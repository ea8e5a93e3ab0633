#include "ChildProcess.h"
#include "DataColumns.h"
#include "DialogScript.h"
#include "DiskFaults.h"
#include "GuiTestMain.h"
#include "StepTable.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "gui/notepads/NotepadDialogs.h"
#include "gui/notepads/NotepadPrinter.h"
#include "gui/notepads/NotepadsFrame.h"
#include "gui/notepads/SystemNotepadDialogs.h"
#include "notepads/FindReplace.h"
#include "notepads/NotepadFile.h"
#include "platform/RecordingPlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTabBar>

// File names and copies answered in order; every print job is written as a PDF file.
class ScriptedNotepadDialogs : public NotepadDialogs
{
public:
    QString openFileName(QWidget*) override { return next(u"open"_s); }
    QString saveFileName(QWidget*) override { return next(u"save"_s); }
    int printCopies(QWidget*) override { return asked.append(u"print"_s), copies; }
    bool printJob(const QString& text) override
    {
        QPrinter printer;
        printer.setOutputFileName(folder + u"/job%1.pdf"_s.arg(++jobs));
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

// The notepads frame and its dialogs, the files it opens and saves, and its find and replace.
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
    // Actions on notepad "shown": r click, w set its text, s select "start,length", v clipboard
    // content, F clipboard fails, f find text, p replace text, c tick Match case, u undo, n copies
    // the print dialog gives, m answer the next message with a button.
    void act(char action, const QString& arg)
    {
        const auto select = [&] {
            QTextCursor cursor = editor(shown)->textCursor();
            cursor.setPosition(arg.section(u',', 0, 0).toInt());
            cursor.setPosition(cursor.position() + arg.section(u',', 1).toInt(), QTextCursor::KeepAnchor);
            editor(shown)->setTextCursor(cursor);
        };
        const QMap<QString, int> buttons {{"Yes", QMessageBox::Yes}, {"No", QMessageBox::No},
            {"Ok", QMessageBox::Ok}, {"Cancel", QMessageBox::Cancel}};
        const std::map<char, std::function<void()>> actions {{'r', [&] { click(arg); }},
            {'w', [&] { editor(shown)->setPlainText(arg); }}, {'s', select},
            {'v', [&] { f->clipboard.content = arg; }}, {'F', [&] { f->clipboard.failing = true; }},
            {'f', [&] { child<QComboBox>("ComboFind")->setEditText(arg); }},
            {'p', [&] { child<QComboBox>("ComboReplace")->setEditText(arg); }},
            {'c', [&] { child<QCheckBox>("CheckMatchCase")->setChecked(true); }},
            {'u', [&] { editor(shown)->undo(); }}, {'n', [&] { f->dialogs.copies = arg.toInt(); }},
            {'m', [&] { f->script.expect(DialogScript::messageButton(buttons.value(arg))); }}};
        actions.at(action)();
    }
    // The parts steps can name; "sel" is the selection's start and length, "out" and "other" the
    // bytes of those files.
    std::map<QString, QString> parts() const
    {
        const QTextCursor cursor = editor(shown)->textCursor();
        const auto items = [this](const char* name) {
            QStringList list;
            for (int i = 0; i < child<QComboBox>(name)->count(); ++i)
                list.append(child<QComboBox>(name)->itemText(i));
            return list.join(u',');
        };
        QStringList all; // the texts of all ten notepads, without making those not used yet
        for (int index = 0; index < 10; ++index)
            all.append(f->frame.notepadText(index));
        return {{"text", editor(shown)->toPlainText()}, {"saved", f->frame.notepadText(shown)},
            {"sel",
                u"%1,%2"_s.arg(cursor.selectionStart()).arg(cursor.selectionEnd() - cursor.selectionStart())},
            {"clip", f->clipboard.content}, {"calls", f->clipboard.calls.join(u',')},
            {"finds", items("ComboFind")}, {"replaces", items("ComboReplace")},
            {"asked", f->dialogs.asked.join(u',')}, {"said", f->script.seen.join(u',')},
            {"jobs", QString::number(f->dialogs.jobs)}, {"all", all.join(u',')},
            {"find", child<QComboBox>("ComboFind")->currentText()},
            {"replace", child<QComboBox>("ComboReplace")->currentText()},
            {"out", QString::fromUtf8(TestFiles::read(path("out.txt")))},
            {"other", QString::fromUtf8(TestFiles::read(path("other.txt")))}};
    }
    void run(std::initializer_list<Step> steps)
    {
        runSteps(
            steps, [this](char action, const QString& arg) { act(action, arg); }, [this] { return parts(); });
    }
    int shown = 0; // the notepad the steps act on
    static QString pdfText(const QString& pdf)
    {
        const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
        if (pdftotext.isEmpty())
            return u"(pdftotext is missing: scripts/install-deps.sh installs poppler-utils)"_s;
        return QString::fromUtf8(ChildProcess::run(pdftotext, {pdf, u"-"_s}).out);
    }

private slots:
    void init() { f = std::make_unique<Fixture>(), shown = 0; }
    void cleanup() { f.reset(); }

    // Clicking tab "10" shows notepad 10 with the focus in it, and every command then acts on
    // it alone.
    void commandsActOnTheSelectedNotepad()
    {
        for (int index = 0; index < 10; ++index)
            editor(index)->setPlainText(u"text %1"_s.arg(index));
        auto* tabs = child<QTabBar>("TabStripNotepads");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(9).center());
        QVERIFY(editor(9)->isVisible() && !editor(0)->isVisible());
        QCOMPARE(QApplication::focusWidget(), editor(9));
        shown = 9;
        run({{'r', "LabelNotepadCopyAll", "clip", "text 9"}, {'r', "LabelNotepadSelAll", "sel", "0,6"},
            {'v', "new", "", ""}, {'r', "LabelNotepadPaste", "", ""}, {'f', "e", "", ""},
            {'r', "LabelFind", "sel", "1,1"},
            {'r', "LabelNotepadClear", "text all",
                "|text 0,text 1,text 2,text 3,text 4,text 5,text 6,text 7,text 8,"}});
        QTest::mouseMove(child<QWidget>("FrameNotepadsFindReplace"), QPoint(2, 2));
        QCOMPARE(f->status, "Ready");
    }

    // Open asks before it replaces text; No, a cancelled dialog and a file that cannot be read
    // all leave the text as it was, the last one with a message that says why.
    void openFile()
    {
        QVERIFY(TestFiles::write(path("in.txt"), "one\r\n\xC3\xA9\r\n"));
        f->dialogs.names = QStringList {path("in.txt"), "", path("missing.txt")};
        run({{'r', "LabelNotepadOpen", "saved text",
                 "one\r\n\u00E9|one\n\u00E9"}, // an empty notepad asks nothing
            {'m', "No", "", ""}, {'r', "LabelNotepadOpen", "asked", "open"}, {'m', "Yes", "", ""},
            {'r', "LabelNotepadOpen", "asked", "open,open"}, {'m', "Yes", "", ""}, {'m', "Ok", "", ""},
            {'r', "LabelNotepadOpen", "asked saved", "open,open,open|one\r\n\u00E9"}});
        QCOMPARE(f->script.seen.value(0), "Overwrite|Overwrite existing text?");
        QVERIFY(f->script.seen.value(3).startsWith("Moxeno Trellin|Notepad 1 is unchanged: "));
        QVERIFY(f->script.seen.value(3).contains(path("missing.txt")));
    }

    // Save writes CR LF lines and one more CR LF, every character kept. Over an existing file, No goes back
    // to the file dialog and Cancel stops without writing. A failed save is told. An empty notepad shows no
    // dialog.
    void saveFile()
    {
        const char* saved = "a\u00A0b\r\n\r\n\u65E5\r\n\r\n";
        f->dialogs.names = QStringList {path("out.txt")};
        run({{'r', "LabelNotepadSave", "asked", ""}, {'w', "a\u00A0b\n\n\u65E5\n", "", ""},
            {'r', "LabelNotepadSave", "out", saved}});
        QVERIFY(TestFiles::write(path("other.txt"), "other"));
        f->dialogs.names = QStringList {path("out.txt"), path("other.txt"), path("other.txt")};
        run({{'w', "changed", "", ""}, {'m', "No", "", ""}, {'m', "Cancel", "", ""},
            {'r', "LabelNotepadSave", "other out", qPrintable("other|" + QString::fromUtf8(saved))},
            {'m', "Yes", "", ""}, {'r', "LabelNotepadSave", "other", "changed\r\n"}});
        QCOMPARE(f->script.seen.mid(0, 2),
            (QStringList {"File exists|Overwrite " + path("out.txt") + "?",
                "File exists|Overwrite " + path("other.txt") + "?"}));

        f->dialogs.names = QStringList {path("no/folder/x.txt")};
        run({{'m', "Ok", "", ""}, {'r', "LabelNotepadSave", "", ""}});
        QVERIFY(f->script.seen.last().startsWith("Moxeno Trellin|Notepad 1 was not saved: "));
        QVERIFY(f->script.seen.last().contains(path("no/folder/x.txt")));
    }

    // One print job per copy, each the whole text; a cancelled dialog prints nothing, nor does
    // an empty notepad; a job that fails stops the copies after it and says so.
    void printJobs()
    {
        run({{'r', "LabelNotepadPrint", "asked", ""}, {'w', "First line\nSecond line \u00E9", "", ""},
            {'n', "2", "", ""}, {'r', "LabelNotepadPrint", "jobs", "2"}});
        for (const char* job : {"job1.pdf", "job2.pdf"})
            QVERIFY(pdfText(path(job)).contains(u"First line\nSecond line \u00E9"_s));
        f->dialogs.failJobs = true;
        run({{'n', "0", "", ""}, {'r', "LabelNotepadPrint", "jobs", "2"}, {'n', "3", "", ""},
            {'m', "Ok", "", ""},
            {'r', "LabelNotepadPrint", "jobs said",
                "3|Moxeno Trellin|Notepad 1: copy 1 of 3 could not be printed."}});
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
        run({{'r', "LabelNotepadCopyAll", "calls", "clipboard clear,clipboard set "}, {'w', "ab\ncd", "", ""},
            {'s', "1,3", "", ""}, {'r', "LabelNotepadCopySel", "clip", "b\nc"}, {'v', "X\r\nY", "", ""},
            {'r', "LabelNotepadPaste", "saved", "aX\r\nYd"}, {'s', "0,2", "", ""}, {'F', "", "", ""},
            {'r', "LabelNotepadPaste", "saved sel", "aX\r\nYd|0,2"},
            {'r', "LabelNotepadSelAll", "sel", "0,5"}, {'r', "LabelNotepadSelAll", "sel", "0,0"},
            {'r', "LabelNotepadSelAll", "sel", "0,5"}});
    }

    // Find next walks through the occurrences and stops after the last; Match case counts for
    // Find next only. Replace selection needs a selection, even to remember the texts, and
    // selects what it inserted; Replace all is one undo step.
    void findAndReplace()
    {
        run({{'w', "Cat cat", "", ""}, {'f', "cat", "", ""}, {'p', "dog", "", ""},
            {'r', "LabelReplace", "finds replaces", "|"}, {'r', "LabelFind", "sel", "0,3"},
            {'r', "LabelFind", "sel", "4,3"}, {'r', "LabelFind", "sel", "4,3"}, {'c', "", "", ""},
            {'s', "0,0", "", ""}, {'r', "LabelFind", "sel", "4,3"},
            {'r', "LabelReplaceAll", "text", "Cat dog"}, {'u', "", "text", "Cat cat"}, {'s', "0,1", "", ""},
            {'p', "xyz", "", ""},
            {'r', "LabelReplace", "text sel finds replaces", "xyzat cat|0,3|cat|xyz,dog"}});
    }

    // A notepad first used after the others takes its place in the Tab order: after the tabs,
    // before the find box.
    void tabOrderOfNotepadsMadeLater()
    {
        auto* tabs = child<QTabBar>("TabStripNotepads");
        for (const int index : {8, 3}) {
            tabs->setCurrentIndex(index);
            QWidget* next = tabs->nextInFocusChain();
            while (!next->isVisible() || !(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            QCOMPARE(next, editor(index));
        }
    }

    // Clear all empties all ten notepads, used or not, and the find and replace texts, not their
    // lists. Entering the empty replace box then offers the find text with the caret at its end.
    void clearAllAndReplaceBox()
    {
        for (const int index : {0, 9, 4})
            editor(index)->setPlainText(u"text"_s);
        auto* find = child<QComboBox>("ComboFind");
        auto* replace = child<QComboBox>("ComboReplace");
        run({{'f', "t", "", ""}, {'p', "T", "", ""}, {'r', "LabelReplaceAll", "", ""},
            {'r', "LabelClearAllNotepads", "finds replaces all find replace", "t|T|,,,,,,,,,||"}});

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

    // What a file holds and the notepad text it opens as: any line end ends a line, the end of
    // the last line adds no empty line, bytes that are not UTF-8 are Windows-1252. Where "saved"
    // is set, Save writes exactly these bytes: UTF-8, CR LF lines and one more CR LF, so empty
    // lines the text ends with come back.
    void openAndSave_data()
    {
        const DataTable<QByteArray, QString, bool> row({"bytes", "text", "saved"});
        row("empty file", QByteArray(), QString(), false);
        row("one empty line", QByteArray("\r\n"), QString(), true);
        row("CR LF", QByteArray("one\r\n\r\nthree\r\n"), "one\r\n\r\nthree", true);
        row("ends with an empty line", QByteArray("one\r\n\r\n"), "one\r\n", true);
        row("last line without end", QByteArray("one\r\ntwo"), "one\r\ntwo", false);
        row("lone LF and CR", QByteArray("a\nb\rc\n\n"), "a\r\nb\r\nc\r\n", false);
        row("tabs and blanks", QByteArray("\t a \t\r\n"), "\t a \t", true);
        row("UTF-8 with mark", QByteArray("\xEF\xBB\xBFx\r\n"), "x", false);
        row("Windows-1252", QByteArray("caf\xE9 \x80"), u"caf\u00E9 \u20AC"_s, false);
        const QString beyond = u"\u0142\u65E5\U0001F600 \u00E9\r\nx"_s;
        row("beyond Windows-1252", (beyond + "\r\n").toUtf8(), beyond, true);
    }
    void openAndSave()
    {
        auto [bytes, text, saved] = fetchColumns<QByteArray, QString, bool>({"bytes", "text", "saved"});
        QVERIFY(TestFiles::write(path("in.txt"), bytes));
        const Result<QString> opened = NotepadFile::open(path("in.txt"));
        QVERIFY2(opened.ok(), qPrintable(opened.error()));
        QCOMPARE(*opened, text);
        if (saved) {
            QVERIFY(NotepadFile::save(path("out.txt"), text).ok());
            QCOMPARE(TestFiles::read(path("out.txt")), bytes);
        }
    }

    // A folder can be neither read nor written over, and the reason names it; a file over
    // 16 MiB is refused before it is read.
    void failures()
    {
        QDir().mkpath(path("folder.txt"));
        const Result<QString> folder = NotepadFile::open(path("folder.txt"));
        QVERIFY(!folder.ok() && folder.error().contains(path("folder.txt")));
        const Result<> saved = NotepadFile::save(path("folder.txt"), u"new"_s);
        QVERIFY(!saved.ok() && saved.error().contains(path("folder.txt")));
        QVERIFY(QFileInfo(path("folder.txt")).isDir());

        QFile huge(path("huge.txt"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(NotepadFile::kMaxFileBytes + 1));
        huge.close();
        const Result<QString> tooLarge = NotepadFile::open(path("huge.txt"));
        QVERIFY(!tooLarge.ok() && tooLarge.error().contains("larger than the 16 MiB"));
        QVERIFY(huge.resize(NotepadFile::kMaxFileBytes));
        QVERIFY(NotepadFile::open(path("huge.txt")).ok());
    }

    // Saving over a file in the user's folder touches nothing else there: a file named like a
    // temporary stays, the permissions stay, and a symbolic link keeps pointing at the file.
    void saveOverwritesOnlyTheFile()
    {
        QVERIFY(TestFiles::write(path("own/notes.txt"), "old\r\n"));
        QVERIFY(TestFiles::write(path("own/notes.txt_"), "mine"));
        QVERIFY(QFile::setPermissions(path("own/notes.txt"), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link(path("own/notes.txt"), path("own/link.txt")));
        QVERIFY(NotepadFile::save(path("own/link.txt"), u"new"_s).ok());
        QCOMPARE(TestFiles::read(path("own/notes.txt")), QByteArray("new\r\n"));
        QVERIFY(QFileInfo(path("own/link.txt")).isSymLink());
        QCOMPARE(TestFiles::read(path("own/notes.txt_")), QByteArray("mine"));
        // Owner, group and others; the "user" bits repeat one of them for whoever runs the test.
        QCOMPARE(QFile::permissions(path("own/notes.txt")) & 0xF0FF, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QDir(path("own")).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    // A save that cannot write every byte (a file size limit, a full disk)
    // fails, names the file, leaves it as it was and leaves no temporary behind.
    void failedSaveKeepsTheFile_data()
    {
        QTest::addColumn<int>("sizeLimit"); // -1: a full tmpfs instead
        QTest::newRow("size limit 4") << 4;
        QTest::newRow("full disk") << -1;
    }
    void failedSaveKeepsTheFile()
    {
        QFETCH(int, sizeLimit);
        DiskFaults::SmallTmpfs disk(64);
        const QString folder = sizeLimit < 0 ? disk.path() : path(u"limit%1"_s.arg(sizeLimit));
        const QString file = folder + u"/notes.txt"_s;
        const QByteArray old("old text\r\n");
        QVERIFY(TestFiles::write(file, old));
        if (sizeLimit < 0 && !(disk.isMounted() && disk.fill()))
            QSKIP("a small tmpfs cannot be mounted here");
        Result<> saved;
        {
            DiskFaults::FileSizeLimit limit(sizeLimit < 0 ? RLIM_INFINITY : rlim_t(sizeLimit));
            saved = NotepadFile::save(file, QString(100, u'n'));
        }
        QVERIFY(!saved.ok());
        QVERIFY2(saved.error().contains(file), qPrintable(saved.error()));
        QCOMPARE(TestFiles::read(file), old);
        QDir dir(folder);
        dir.setFilter(QDir::Files | QDir::Hidden);
        const QStringList left
            = sizeLimit < 0 ? QStringList {"filler", "notes.txt"} : QStringList {"notes.txt"};
        QCOMPARE(dir.entryList(), left);
    }

    // Text, find text, selection start and length, case-sensitive: where it is found (-1: not).
    // Each search starts after the selection the one before made; after the last occurrence
    // nothing more is found, and without a selection the search starts at the beginning again.
    void findNext()
    {
        struct Row
        {
            const char* text;
            const char* find;
            int start, length;
            bool matchCase;
            int found;
        };
        for (const Row& row : {Row {"aaa", "a", 2, 0, true, 0}, // a caret without a selection
                 Row {"aaa", "a", 1, 1, true, 2}, Row {"aaa", "a", 2, 1, true, -1},
                 Row {"xyxy", "xy", 1, 1, true, 2}, // after a selection find did not make
                 Row {"abc", "", 0, 0, true, -1}, // an empty find text
                 Row {"ab", "b", 5, 3, false, -1}, // a selection beyond the end
                 Row {"Stra\xC3\x9F"
                      "e \xC3\x84PFEL",
                     "\xC3\xA4pfel", 0, 0, false, 7}}) {
            const auto found = FindReplace::findNext(QString::fromUtf8(row.text), QString::fromUtf8(row.find),
                row.start, row.length, row.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
            QCOMPARE(found.value_or(-1), qsizetype(row.found));
        }
    }

    // Left to right, without overlap, always case-sensitive, the inserted text never scanned
    // again; an empty find text changes nothing.
    void replaceAll()
    {
        struct Row
        {
            const char *text, *find, *replacement, *result;
            int count;
        };
        for (const Row& row :
            {Row {"abab", "ab", "abab", "abababab", 2}, Row {"Cat cat", "cat", "dog", "Cat dog", 1},
                Row {"aaaa", "aa", "b", "bb", 2}, Row {"aaa", "aa", "b", "ba", 1},
                Row {"abc", "", "x", "abc", 0}, Row {"a-b-c", "-", "", "abc", 2}}) {
            const FindReplace::Replaced replaced = FindReplace::replaceAll(
                QString::fromUtf8(row.text), QString::fromUtf8(row.find), QString::fromUtf8(row.replacement));
            QCOMPARE(replaced.text, QString::fromUtf8(row.result));
            QCOMPARE(replaced.count, qsizetype(row.count));
        }
    }

    // A text used again moves to the top and is kept once; an empty text is never added but
    // still removes an empty entry; texts differing in case are different texts.
    void rememberedTexts()
    {
        QStringList list;
        for (const char* used : {"cat", "dog", "cat", "", "Cat"})
            FindReplace::remember(list, QString::fromLatin1(used));
        QCOMPARE(list, (QStringList {"Cat", "cat", "dog"}));
        list.append(QString());
        FindReplace::remember(list, QString());
        QCOMPARE(list, (QStringList {"Cat", "cat", "dog"}));
    }
};

TRELLIN_GUI_TEST_MAIN(TestNotepads)
#include "tst_notepads.moc"
