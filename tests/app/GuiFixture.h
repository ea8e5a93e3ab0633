#pragma once

#include "DialogScript.h"
#include "FakeClipboard.h"
#include "app/AppState.h"
#include "app/Form1.h"
#include "app/GuiPrompter.h"
#include "app/HelpWindow.h"
#include "app/SettingsStore.h"
#include "app/StatusLog.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/PositionActions.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The main window over a fresh data folder and settings file, with the real dialogs answered
// by a DialogScript and an in-memory clipboard.
struct GuiFixture
{
    GuiFixture()
        : settings(dir.path() + QStringLiteral("/data"), dir.path() + QStringLiteral("/config"))
        , prompter(settings, clipboard)
        , state(settings, log, prompter)
        , store(state)
        , boxes(state, store, clipboard)
        , actions(state, store, clipboard)
        , form(state, store, boxes, actions, clipboard, help)
    {
        QDir().mkpath(dir.path() + QStringLiteral("/data"));
        state.setDataFolder(dir.path() + QStringLiteral("/data"));
        prompter.setParentWindow(&form);
        form.setCaptions(boxes.captions());
        form.selectBox(1);
    }

    // A fixture with its main window shown and exposed; nothing when the window never appears.
    static std::unique_ptr<GuiFixture> shown()
    {
        auto fixture = std::make_unique<GuiFixture>();
        fixture->form.show();
        return QTest::qWaitForWindowExposed(&fixture->form) ? std::move(fixture) : nullptr;
    }

    QString folder() const { return state.dataFolder(); }
    // The message of the newest status log entry, without its time stamp.
    QString lastMessage() const { return log.latest().mid(10); }
    // A control of the main window by name; a misspelt name stops the test with a message.
    template<typename T> T* child(const QString& name) const
    {
        T* widget = form.findChild<T*>(name);
        if (!widget)
            qFatal("no control named %s", qPrintable(name));
        return widget;
    }
    void save(int position, const QString& text, int box = 1)
    {
        state.setWarnOverwrite(false);
        store.SavePosition(text, position, box, true);
        state.setWarnOverwrite(true);
        store.LoadBox();
    }

    QTemporaryDir dir;
    SettingsStore settings;
    StatusLog log;
    FakeClipboard clipboard;
    GuiPrompter prompter;
    AppState state;
    BoxStore store;
    BoxManager boxes;
    PositionActions actions;
    HelpWindow help;
    DialogScript dialogs;
    Form1 form;
};
