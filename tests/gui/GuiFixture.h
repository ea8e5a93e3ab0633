#pragma once

#include "DialogScript.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/PositionActions.h"
#include "core/DataContext.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/StatusLog.h"
#include "gui/dialogs/GuiPrompter.h"
#include "gui/main/HelpWindow.h"
#include "gui/main/MainWindow.h"
#include "platform/RecordingPlatform.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The main window over a fresh data folder and settings file, with the real dialogs answered
// by a DialogScript and a recording clipboard.
struct GuiFixture
{
    GuiFixture()
        : settingsStore(dir.path() + QStringLiteral("/data"), dir.path() + QStringLiteral("/config"))
        , settings(settingsStore)
        , prompter(settings, clipboard)
        , context(settings, log, prompter)
        , store(context)
        , boxes(context, store, clipboard)
        , actions(context, store, clipboard)
        , window(context, store, boxes, actions, clipboard, help)
    {
        QDir().mkpath(dir.path() + QStringLiteral("/data"));
        context.setDataFolder(dir.path() + QStringLiteral("/data"));
        prompter.setParentWindow(&window);
        window.setCaptions(boxes.captions());
        window.selectBox(1);
    }

    // A fixture with its main window shown and exposed; nothing when the window never appears.
    static std::unique_ptr<GuiFixture> shown()
    {
        auto fixture = std::make_unique<GuiFixture>();
        fixture->window.show();
        return QTest::qWaitForWindowExposed(&fixture->window) ? std::move(fixture) : nullptr;
    }

    QString folder() const { return context.dataFolder(); }
    // The message of the newest status log entry, without its time stamp.
    QString lastMessage() const { return log.latest().mid(10); }
    // A control of the main window by name; a misspelt name stops the test with a message.
    template<typename T> T* child(const QString& name) const
    {
        T* widget = window.findChild<T*>(name);
        if (!widget)
            qFatal("no control named %s", qPrintable(name));
        return widget;
    }
    void save(int position, const QString& text, int box = 1)
    {
        context.setWarnOverwrite(false);
        (void)store.savePosition(text, position, box, true);
        context.setWarnOverwrite(true);
        store.loadBox(window.selectedBox());
    }

    QTemporaryDir dir;
    SettingsStore settingsStore;
    Settings settings;
    StatusLog log;
    RecordingPlatform clipboard;
    GuiPrompter prompter;
    DataContext context;
    BoxStore store;
    BoxManager boxes;
    PositionActions actions;
    HelpWindow help;
    DialogScript dialogs;
    MainWindow window;
};
