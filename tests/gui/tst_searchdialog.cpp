#include "GuiTestMain.h"
#include "MainWindowFixture.h"
#include "TestFiles.h"
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
    void release(const char* name) { QTest::mouseClick(child(name), Qt::LeftButton); }
    QLineEdit* findText() { return child<QComboBox>("ComboFind")->lineEdit(); }
    QString where() { return child<QLabel>("Label3")->text(); }
    QString results() { return child<QPlainTextEdit>("TextResults")->toPlainText(); }
    // Which of the result commands are enabled, in the order of the form.
    QString enabled()
    {
        QString shown;
        for (const char* name : {"LabelSave", "LabelDelete", "LabelGoTo", "LabelCopyToClip",
                 "LabelCopyAndClose", "LabelClose", "TextResults"})
            shown += child(name)->isEnabled() ? u'1' : u'0';
        return shown;
    }
    void type(const QString& text)
    {
        findText()->clear();
        // Keys go to the combo box, which hands them to its edit field, as the user's keys do.
        QTest::keyClicks(child("ComboFind"), text);
    }
    // Expects the no-hit message box and answers it with OK.
    void expectMessage() { f->dialogs.expect(DialogScript::messageButton(QMessageBox::Ok)); }
    void openDirect()
    {
        SearchDialog::Host host {[this](int box) { return f->window.boxCaption(box); },
            [this] { return f->window.selectedBox(); }, [this](int box) { f->window.selectBox(box); },
            [](int) {}, [](int) {}};
        d = std::make_unique<SearchDialog>(f->context, f->store, f->macros, f->clipboard, host, &f->window);
        f->dialogs.expect([](QDialog&) {}); // shown without a modal loop of its own
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QTRY_VERIFY(f->dialogs.usedUp());
    }

private slots:
    void init()
    {
        f = std::make_unique<SearchFixture>();
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
    }
    void cleanup()
    {
        d.reset();
        QVERIFY(f->dialogs.usedUp());
        f.reset();
    }

    // Each of the three commands opens the dialog fresh, with its stores ticked, the box on show
    // chosen and the history in the list; closing it stores where it stood.
    void opensFromTheMainWindow_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("ticked");
        for (const auto& [tag, label, ticked] : {std::tuple {"all", "LabelSearchAll", "11"},
                 {"texts", "LabelSearchText", "10"}, {"macros", "LabelSearchMacros", "01"}})
            QTest::newRow(tag) << label << ticked;
    }
    void opensFromTheMainWindow()
    {
        QFETCH(QString, label);
        QFETCH(QString, ticked);
        (void)f->settings.setText(Settings::Key::SearchHistory0, "older");
        (void)f->settings.setText(Settings::Key::SearchHistory2, "oldest");
        f->window.selectBox(3);
        QStringList seen;
        f->dialogs.expect([&](QDialog& dialog) {
            const auto check
                = [&](const char* name) { return dialog.findChild<QCheckBox*>(name)->isChecked(); };
            auto* boxNo = dialog.findChild<QComboBox*>("ComboBoxNo");
            auto* history = dialog.findChild<QComboBox*>("ComboFind");
            seen << QStringLiteral("%1%2").arg(check("CheckText")).arg(check("CheckMacros"))
                 << boxNo->currentText() << QString::number(boxNo->isEnabled()) << history->currentText()
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
        type("blue");
        QTest::keyClick(child("ComboFind"), Qt::Key_Return);
        QCOMPARE(where(), "Found in TEXT position 9 in box 1: 'Box 1'");
        QCOMPARE(child<QLabel>("LabelFind")->text(), "Find next");
        QCOMPARE(enabled(), "0101111");
        release("LabelFind");
        QCOMPARE(where(), "Found in TEXT position 4 in box 2: 'Box 2'");
        QCOMPARE(results(), "Blue sky\nline two");
        release("LabelFind");
        QCOMPARE(where(), "Found in MACRO 3: 'Paint' in box 7: 'Box 7'");
        QCOMPARE(results(), "BLUE sea");
        QCOMPARE(enabled(), "0111111");

        expectMessage();
        findText()->setCursorPosition(2);
        release("LabelFind");
        QCOMPARE(f->dialogs.seen.last(), "Moxeno Trellin Search|\"blue\" was not found again.");
        QCOMPARE(where() + results(), QString());
        QCOMPARE(enabled(), "0000010");
        QCOMPARE(child<QLabel>("LabelFind")->text(), "Find");
        QCOMPARE(findText()->selectedText(), "ue");
        QVERIFY(d->focusWidget() == findText() || d->focusWidget() == child("ComboFind"));
        release("LabelFind");
        QCOMPARE(where(), "Found in TEXT position 9 in box 1: 'Box 1'");

        // A new search was made twice with the same text: it is in the history once.
        QCOMPARE(child<QComboBox>("ComboFind")->itemText(0), "blue");
        QCOMPARE(child<QComboBox>("ComboFind")->itemText(1), "");
        QCOMPARE(f->settings.text(Settings::Key::SearchHistory0), "blue");

        // Case sensitive only changes the match of the next Find; Only search in box starts over.
        QTest::mouseClick(child("CheckCaseSensitive"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(child<QLabel>("LabelFind")->text(), "Find next");
        QTest::mouseClick(child("CheckSearchOnlyInBox"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(child<QLabel>("LabelFind")->text(), "Find");
        QVERIFY(child("ComboBoxNo")->isEnabled());
        QCOMPARE(enabled(), "0000010");
        QCOMPARE(d->engine().textHitPosition(), 0);
        type("Blue"); // box 1 holds only "blue"
        expectMessage();
        release("LabelFind");
        QCOMPARE(f->dialogs.seen.last(), "Moxeno Trellin Search|\"Blue\" was not found in box Box 1");
    }

    void typingStartsOverAndBothStoresClearDoNothing()
    {
        f->save(1, "abc", 1);
        openDirect();
        type("b");
        release("LabelFind");
        QCOMPARE(enabled(), "0101111"); // a hit is shown
        QTest::keyClicks(child("ComboFind"), "c");
        QCOMPARE(child<QLabel>("LabelFind")->text(), "Find");
        QCOMPARE(where() + results(), QString());
        QCOMPARE(enabled(), "0000010");

        // Picking an entry of the history is no edit, and Find next adds nothing to the history.
        type("b");
        release("LabelFind");
        child<QComboBox>("ComboFind")->setCurrentIndex(2); // an empty row
        QCOMPARE(child<QLabel>("LabelFind")->text(), "Find next");
        expectMessage();
        release("LabelFind");
        QCOMPARE(f->dialogs.seen.last(), "Moxeno Trellin Search|\" * \" was not found again.");
        QCOMPARE(child<QComboBox>("ComboFind")->count(), 10);

        QTest::mouseClick(child("CheckText"), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(child("CheckMacros"), Qt::LeftButton, {}, QPoint(5, 5));
        release("LabelFind"); // no message, no history entry
        QCOMPARE(child<QComboBox>("ComboFind")->itemText(0), "b");
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
        type("first");
        release("LabelFind");
        QCOMPARE(where(), "Found in MACRO 4: 'TEXT position 1' in box 2: 'TEXT'");

        auto* results = child<QPlainTextEdit>("TextResults");
        results->setFocus();
        QTest::keyClick(results, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(enabled().left(1), "0");
        QCOMPARE(results->textCursor().selectedText(), "first body");
        QTest::keyClick(results, Qt::Key_End);
        QTest::keyClicks(results, "!");
        QCOMPARE(enabled().left(1), "1");
        f->dialogs.expect(DialogScript::clickLabel("LabelYes"));
        release("LabelSave");
        QCOMPARE(f->macros.readMacroBody(4, 2), "first body!");
        QCOMPARE(f->macros.readMacroName(4, 2), "TEXT position 1");
        QCOMPARE(f->store.readPosition(1, 2), "keep");

        // Refused: nothing changes and the hit stays shown; accepted: the display empties and
        // Find next goes on after the deleted macro.
        f->dialogs.expect(DialogScript::clickLabel("LabelNo"));
        release("LabelDelete");
        QCOMPARE(results->toPlainText(), "first body!");
        f->dialogs.expect(DialogScript::clickLabel("LabelYes"));
        release("LabelDelete");
        QCOMPARE(f->macros.readMacroBody(4, 2), "");
        QCOMPARE(where() + results->toPlainText(), QString());
        release("LabelFind");
        QCOMPARE(where(), "Found in MACRO 6: 'second' in box 2: 'TEXT'");

        // A text hit is saved back into its position with its line breaks.
        f->save(5, "first\r\nline", 3);
        type("line");
        release("LabelFind");
        QCOMPARE(where(), "Found in TEXT position 5 in box 3: 'Box 3'");
        QTest::keyClicks(results, "new ");
        f->dialogs.expect(DialogScript::clickLabel("LabelYes"));
        release("LabelSave");
        QCOMPARE(f->store.readPosition(5, 3), "new first\r\nline");
        release("LabelCopyToClip");
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

    // Closing reloads the box on show, so a text deleted from the dialog leaves its button.
    void closingReloadsTheBoxOnShow()
    {
        f->context.setWarnOverwrite(false);
        f->save(3, "gone soon", 1);
        f->store.loadBox(1);
        openDirect();
        type("soon");
        release("LabelFind");
        release("LabelDelete");
        QCOMPARE(f->store.cached(3), "gone soon");
        f->clipboard.setText("before");
        release("LabelCopyAndClose");
        QVERIFY(!d->isVisible());
        QCOMPARE(f->store.cached(3), "");
        QCOMPARE(f->clipboard.text(), "");
    }
};

TRELLIN_GUI_TEST_MAIN(TestSearchDialog)
#include "tst_searchdialog.moc"
