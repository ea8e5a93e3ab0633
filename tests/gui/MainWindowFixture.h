#pragma once

#include "DialogScript.h"
#include "DomainFixture.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/PositionActions.h"
#include "core/RecordFile.h"
#include "gui/dialogs/GuiPrompter.h"
#include "gui/main/HelpWindow.h"
#include "gui/main/MainWindow.h"
#include "macros/MacroActions.h"
#include "macros/MacroStore.h"
#include "platform/RecordingPlatform.h"

// The main window over a fresh data folder with box 1 on show, its real dialogs answered by a
// DialogScript and a recording clipboard.
struct MainWindowFixture : SettingsFixture
{
    MainWindowFixture()
    {
        context.setDataFolder(dir.filePath(u"data"_s));
        prompter.setParentWindow(&window);
        window.setMacros(&macros, &macroActions);
        window.setCaptions(boxes.captions());
        window.selectBox(1);
    }

    // Shows the main window; false when it never gets exposed.
    bool show()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    QString folder() const { return context.dataFolder(); }
    // Stores a text without any question and reloads the box on show.
    void save(int position, const QString& text, int box = 1)
    {
        (void)store.savePosition(text, position, box, true);
        (void)store.loadBox(window.selectedBox());
    }
    // The stored text of a position, or "error: " and the reason.
    QString text(int position, int box = 1) { return readText(store.readPosition(position, box)); }
    // Writes a macro record ("name>body") straight into its file.
    void macro(int box, int number, const QString& record)
    {
        (void)RecordFile::writeRecord(macros.macroFile(box), number, record);
    }

    RecordingPlatform clipboard;
    GuiPrompter prompter {settings, clipboard};
    DataContext context {settings, log, prompter};
    BoxStore store {context};
    BoxManager boxes {context, store, clipboard};
    PositionActions actions {context, store, clipboard};
    MacroStore macros {context};
    MacroActions macroActions {context, macros, clipboard};
    HelpWindow help;
    DialogScript dialogs;
    MainWindow window {context, store, boxes, actions, clipboard, help};
};
