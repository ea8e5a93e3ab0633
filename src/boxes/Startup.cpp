#include "boxes/Startup.h"

#include "boxes/NamesFile.h"
#include "core/DataContext.h"
#include "core/FolderLock.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using Key = Settings::Key;

Startup::Startup(DataContext& context)
    : m_context(context)
{ }

bool Startup::readShellSettings()
{
    Settings& settings = m_context.settings();
    m_context.setRefillText(settings.text(Key::RefillText));
    const bool numLock = settings.flag(Key::NumLock);
    const QString dataPath = settings.text(Key::DataPath);
    m_context.setDataFolder(dataPath.trimmed().isEmpty() ? settings.store().dataRoot() : dataPath);
    return numLock;
}

Result<> Startup::prepareDataFolder()
{
    const QString folder = m_context.dataFolder();
    const QFileInfo info(folder);
    if (!info.exists()) {
        const QString dataRoot = m_context.settings().store().dataRoot();
        const bool isDefault = QDir(folder).absolutePath() == QDir(dataRoot).absolutePath();
        if (!isDefault)
            return Result<>::failure(QStringLiteral("The data folder %1 does not exist.").arg(folder));
        if (!QDir().mkpath(folder))
            return Result<>::failure(QStringLiteral("The data folder %1 could not be created.").arg(folder));
    } else if (!info.isDir()) {
        return Result<>::failure(QStringLiteral("The data folder %1 is not a folder.").arg(folder));
    }
    if (!QFileInfo(folder).isWritable())
        return Result<>::failure(QStringLiteral("The data folder %1 cannot be written.").arg(folder));
    // The settings name this folder again: the marker of an earlier move out of it no longer holds.
    QFile::remove(folder + FolderLock::movedMarkerName());
    if (const Result<> names = NamesFile::ensureNamesFile(folder); !names)
        return Result<>::failure(
            QStringLiteral("The names file could not be created in %1: %2").arg(folder, names.error()));
    return Result<>::success();
}

QStringList Startup::boxCaptions() const
{
    return NamesFile::captions(m_context.dataFolder());
}

int Startup::storedBox() const
{
    return m_context.settings().boxNumber(Key::BoxNo);
}

void Startup::readWarnOverwrite()
{
    m_context.setWarnOverwrite(m_context.settings().flag(Key::WarnOverwrite));
}
