#pragma once

#include "ScriptedPrompter.h"
#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "app/StatusLog.h"

#include <QDir>
#include <QTemporaryDir>

// The program's shared state over a fresh data folder and settings file, with scripted answers.
struct DomainFixture
{
    DomainFixture()
        : settings(dir.path() + QStringLiteral("/data"), dir.path() + QStringLiteral("/config"))
        , state(settings, log, prompter)
    {
        QDir().mkpath(dir.path() + QStringLiteral("/data"));
        state.setDataFolder(dir.path() + QStringLiteral("/data"));
    }

    QString folder() const { return state.dataFolder(); }
    // The message of the newest status log entry, without its time stamp.
    QString lastMessage() const { return log.latest().mid(10); }

    QTemporaryDir dir;
    SettingsStore settings;
    StatusLog log;
    ScriptedPrompter prompter;
    AppState state;
};
