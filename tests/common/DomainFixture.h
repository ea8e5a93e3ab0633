#pragma once

#include "ScriptedPrompter.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/DataContext.h"
#include "core/Result.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/StatusLog.h"

#include <QDir>
#include <QTemporaryDir>

// A read's text, or "error: " and the reason, so that a failed read never passes for an empty one.
inline QString readText(const Result<QString>& read)
{
    return read ? *read : u"error: "_s + read.error();
}

// A fresh data folder and settings file, and a status log.
struct SettingsFixture
{
    SettingsFixture() { QDir().mkpath(dir.filePath(u"data"_s)); }

    // The message of the newest status log entry, without its time stamp.
    QString lastMessage() const { return log.latest().mid(10); }

    QTemporaryDir dir;
    SettingsStore settingsStore {dir.filePath(u"data"_s), dir.filePath(u"config"_s)};
    Settings settings {settingsStore};
    StatusLog log;
};

// The program's shared context over a fresh data folder and settings file, with scripted answers.
struct DomainFixture : SettingsFixture
{
    DomainFixture() { context.setDataFolder(dir.filePath(u"data"_s)); }

    QString folder() const { return context.dataFolder(); }

    ScriptedPrompter prompter;
    DataContext context {settings, log, prompter};
};
