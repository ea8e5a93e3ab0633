#include "DataColumns.h"
#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "StepTable.h"
#include "core/DataFiles.h"
#include "gui/search/SearchDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

using SearchFixture = MainWindowFixture;

class TestSearchDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<SearchFixture> f;
    std::unique_ptr<SearchDialog> d;

    template<typename T = QWidget> T* child(const char* name)
    {
        return d->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* findText() { return child<QComboBox>("ComboFind")->lineEdit(); }
    QPlainTextEdit* results() { return child<QPlainTextEdit>("TextResults"); }
    // t type a new search text, T type more, R Return in the find field, r click, x click a check box, @
    // caret in the find field, m expect the no-hit message (answered OK), a expect a question answered by the
    // label named, k keys into the results, i pick a row of the history list
    void act(char action, const QString& arg)
    {
        const std::map<char, std::function<void()>> actions {
            // keys go to the combo box, which hands them to its edit field, as the user's keys do
            {'t', [&] { findText()->clear(), act('T', arg); }},
            {'R', [&] { QTest::keyClick(child("ComboFind"), Qt::Key_Return); }},
            {'T', [&] { QTest::keyClicks(child("ComboFind"), arg); }},
            {'r', [&] { QTest::mouseClick(child(qPrintable(arg)), Qt::LeftButton); }},
            {'x', [&] { QTest::mouseClick(child(qPrintable(arg)), Qt::LeftButton, {}, QPoint(5, 5)); }},
            {'@', [&] { findText()->setCursorPosition(arg.toInt()); }},
            {'m', [&] { f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok)); }},
            {'a', [&] { f->dialogs.expect(DialogScript::clickLabel(arg)); }},
            {'k', [&] { QTest::keyClicks(results(), arg); }},
            {'i', [&] { child<QComboBox>("ComboFind")->setCurrentIndex(arg.toInt()); }}};
        actions.at(action)();
    }
    // The parts steps can name; "enabled" lists which of the result commands are enabled, in
    // the order of the form.
    std::map<QString, QString> parts()
    {
        QString enabled;
        for (const char* name : {"LabelSave", "LabelDelete", "LabelGoTo", "LabelCopyToClip",
                 "LabelCopyAndClose", "LabelClose", "TextResults"})
            enabled += child(name)->isEnabled() ? u'1' : u'0';
        auto* history = child<QComboBox>("ComboFind");
        return {{"where", child<QLabel>("Label3")->text()}, {"results", results()->toPlainText()},
            {"enabled", enabled}, {"caption", child<QLabel>("LabelFind")->text()},
            {"said", f->dialogs.seen.value(f->dialogs.seen.size() - 1)},
            {"selected", findText()->selectedText()},
            {"history", history->itemText(0) + u',' + history->itemText(1)},
            {"rows", QString::number(history->count())}};
    }
    void run(std::initializer_list<Step> steps)
    {
        runSteps(
            steps, [this](char action, const QString& arg) { act(action, arg); }, [this] { return parts(); });
    }
    void openDirect()
    {
        SearchDialog::Host host {[this](int box) { return f->window.boxCaption(box); },
            [this] { return f->window.selectedBox(); }, [this](int box) { f->window.selectBox(box); },
            [](int) {}, [](int) {}};
        d = std::make_unique<SearchDialog>(
            f->context, f->actions, f->macroActions, f->clipboard, host, &f->window);
        f->dialogs.expect([](QDialog&) {}); // shown without a modal loop of its own
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QTRY_VERIFY(f->dialogs.usedUp());
    }

private slots:
    void init() { QVERIFY((f = std::make_unique<SearchFixture>())->show()); }
    void cleanup() { d.reset(), f.reset(); }

    // Each of the three commands opens the dialog fresh, with its stores ticked, the box on show
    // chosen and the history in the list; closing it stores where it stood.
    void opensFromTheMainWindow_data()
    {
        addColumns<QString, QString>({"label", "ticked"});
        for (const auto& [tag, label, ticked] : {std::tuple {"all", "LabelSearchAll", "11"},
                 {"texts", "LabelSearchText", "10"}, {"macros", "LabelSearchMacros", "01"}})
            QTest::newRow(tag) << label << ticked;
    }
    void opensFromTheMainWindow()
    {
        auto [label, ticked] = fetchColumns<QString, QString>({"label", "ticked"});
        (void)f->settings.setText(Settings::Key::SearchHistory0, "older");
        (void)f->settings.setText(Settings::Key::SearchHistory2, "oldest");
        f->window.selectBox(3);
        QStringList seen;
        f->dialogs.expect([&](QDialog& dialog) {
            const auto check
                = [&](const char* name) { return dialog.findChild<QCheckBox*>(name)->isChecked(); };
            auto* boxNo = dialog.findChild<QComboBox*>("ComboBoxNo");
            auto* history = dialog.findChild<QComboBox*>("ComboFind");
            seen << u"%1%2"_s.arg(check("CheckText")).arg(check("CheckMacros")) << boxNo->currentText()
                 << QString::number(boxNo->isEnabled()) << history->currentText()
                 << QStringList {history->itemText(0), history->itemText(1), history->itemText(2)}.join(u'|')
                 << QString::number(history->count());
            DialogScript::clickLabel("LabelClose")(dialog);
        });
        QTest::mouseClick(f->window.findChild<QWidget*>(label), Qt::LeftButton);
        QCOMPARE(seen, (QStringList {ticked, "Box 3", "0", "", "older||oldest", "9"}));
        QVERIFY(f->settings.text(Settings::Key::SearchLeft).toInt() > 0);
    }

    // Find next walks the text hits, then the macro hits; after the last the message says the
    // text was not found again, the field is ready for a new search and the next Find starts over.
    void walksEveryHitThenStartsOver()
    {
        f->save(4, "Blue sky\r\nline two", 2);
        f->save(9, "blue", 1);
        f->macro(7, 3, "Paint>BLUE sea");
        openDirect();
        const char* first = "Found in TEXT position 9 in box 1: 'Box 1'";
        run({{'t', "blue", "", ""},
            {'R', "", "where caption enabled", qPrintable(first + u"|Find next|0101111"_s)},
            {'r', "LabelFind", "where results",
                "Found in TEXT position 4 in box 2: 'Box 2'|Blue sky\nline two"},
            {'r', "LabelFind", "where results enabled",
                "Found in MACRO 3: 'Paint' in box 7: 'Box 7'|BLUE sea|0111111"},
            {'m', "", "", ""}, {'@', "2", "", ""},
            {'r', "LabelFind", "said where results enabled caption selected",
                "Moxeno Trellin Search|\"blue\" was not found again.|||0000010|Find|ue"}});
        QVERIFY(d->focusWidget() == findText() || d->focusWidget() == child("ComboFind"));
        // A new search was made twice with the same text: it is in the history once.
        run({{'r', "LabelFind", "where history", qPrintable(first + u"|blue,"_s)},
            // Case sensitive only changes the match of the next Find; Only search in box starts over.
            {'x', "CheckCaseSensitive", "caption", "Find next"},
            {'x', "CheckSearchOnlyInBox", "caption enabled", "Find|0000010"}});
        QCOMPARE(f->settings.text(Settings::Key::SearchHistory0), "blue");
        QVERIFY(child("ComboBoxNo")->isEnabled());
        QCOMPARE(d->engine().textHitPosition(), 0);
        run({{'t', "Blue", "", ""}, {'m', "", "", ""}, // box 1 holds only "blue"
            {'r', "LabelFind", "said", "Moxeno Trellin Search|\"Blue\" was not found in box Box 1"}});
    }

    void typingStartsOverAndBothStoresClearDoNothing()
    {
        f->save(1, "abc", 1);
        openDirect();
        run({{'t', "b", "", ""}, {'r', "LabelFind", "enabled", "0101111"}, // a hit is shown
            {'T', "c", "caption where results enabled", "Find|||0000010"},
            // Picking an entry of the history is no edit, and Find next adds nothing to the history.
            {'t', "b", "", ""}, {'r', "LabelFind", "", ""},
            {'i', "2", "caption", "Find next"}, // an empty row
            {'m', "", "", ""},
            {'r', "LabelFind", "said rows", "Moxeno Trellin Search|\" * \" was not found again.|10"},
            {'x', "CheckText", "", ""}, {'x', "CheckMacros", "", ""},
            {'r', "LabelFind", "history", "b,"}}); // no message, no history entry
    }

    // Save and Delete act on the kind of item found, whatever the names hold.
    void editsAndDeletesTheItemFound()
    {
        f->context.setWarnOverwrite(true);
        QVERIFY(f->boxes.renameBox(2, "TEXT"));
        f->window.setCaptions(f->boxes.captions());
        f->macro(2, 4, "TEXT position 1>first body");
        f->macro(2, 6, "second>first body");
        f->save(1, "keep", 2);
        openDirect();
        run({{'t', "first", "", ""},
            {'r', "LabelFind", "where", "Found in MACRO 4: 'TEXT position 1' in box 2: 'TEXT'"}});
        results()->setFocus();
        QTest::keyClick(results(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(parts().at("enabled").left(1) + results()->textCursor().selectedText(), "0first body");
        QTest::keyClick(results(), Qt::Key_End);
        run({{'k', "!", "enabled", "1111111"}, {'a', "LabelYes", "", ""}, {'r', "LabelSave", "", ""}});
        QCOMPARE(readText(f->macros.readMacroBody(4, 2)) + readText(f->macros.readMacroName(4, 2))
                + readText(f->store.readPosition(1, 2)),
            "first body!TEXT position 1keep");

        // Refused: nothing changes and the hit stays shown; accepted: the display empties and
        // Find next goes on after the deleted macro.
        run({{'a', "LabelNo", "", ""}, {'r', "LabelDelete", "results", "first body!"},
            {'a', "LabelYes", "", ""}, {'r', "LabelDelete", "where results", "|"},
            {'r', "LabelFind", "where", "Found in MACRO 6: 'second' in box 2: 'TEXT'"}});
        QCOMPARE(readText(f->macros.readMacroBody(4, 2)), "");

        // A text hit is saved back into its position with its line breaks.
        f->save(5, "first\r\nline", 3);
        run({{'t', "line", "", ""}, {'r', "LabelFind", "where", "Found in TEXT position 5 in box 3: 'Box 3'"},
            {'k', "new ", "", ""}, {'a', "LabelYes", "", ""}, {'r', "LabelSave", "", ""},
            {'r', "LabelCopyToClip", "", ""}});
        QCOMPARE(readText(f->store.readPosition(5, 3)), "new first\r\nline");
        QCOMPARE(f->clipboard.text(), "new first\nline");
        QVERIFY(d->isVisible());
    }

    // Go to closes the dialog, makes the macro's box current and selects the macro.
    void goesToAMacroInAnotherBox()
    {
        f->macro(5, 7, "Target>go here");
        QString shown;
        f->dialogs.expect([&](QDialog& dialog) {
            auto* combo = dialog.findChild<QComboBox*>("ComboFind");
            QTest::keyClicks(combo, "here");
            QTest::keyClick(combo, Qt::Key_Return);
            shown = dialog.findChild<QLabel*>("Label3")->text();
            DialogScript::clickLabel("LabelGoTo")(dialog);
        });
        QTest::mouseClick(f->window.findChild<QWidget*>("LabelSearchMacros"), Qt::LeftButton);
        QCOMPARE(shown, "Found in MACRO 7: 'Target' in box 5: 'Box 5'");
        QCOMPARE(f->window.selectedBox(), 5);
        QCOMPARE(f->window.findChild<QComboBox*>("ComboMacros")->currentIndex(), 6);
        QCOMPARE(f->store.loadedBox(), 5);
    }

    // Delete is the window's own action: the box on show follows at once, and a hit in another
    // box leaves the box on show as it is.
    void deletingUpdatesTheBoxOnShow()
    {
        f->context.setWarnOverwrite(false);
        f->save(3, "gone soon", 1);
        f->save(4, "gone too", 2);
        (void)f->store.loadBox(1);
        openDirect();
        run({{'t', "gone", "", ""}, {'r', "LabelFind", "", ""}, {'r', "LabelDelete", "", ""}});
        QCOMPARE(f->store.cached(3), "");
        run({{'r', "LabelFind", "where", "Found in TEXT position 4 in box 2: 'Box 2'"},
            {'r', "LabelDelete", "", ""}});
        QCOMPARE(QString::number(f->store.loadedBox()) + readText(f->store.readPosition(4, 2)), "1");
    }
};

TRELLIN_GUI_TEST_MAIN(TestSearchDialog)
#include "tst_searchdialog.moc"
