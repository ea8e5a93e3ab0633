#include "core/SettingsStore.h"

#include "core/IniFile.h"
#include "core/Paths.h"

#include <QFileInfo>

SettingsStore::SettingsStore(const QString& dataRoot, const QString& configFolder)
    : m_dataRoot(Paths::withTrailingSlash(dataRoot))
    , m_configFolder(Paths::withTrailingSlash(configFolder))
{ }

SettingsStore SettingsStore::fromEnvironment()
{
    return SettingsStore(Paths::defaultDataFolder(), Paths::configFolder());
}

QString SettingsStore::iniPath() const
{
    const QString inDataRoot = m_dataRoot + fileName();
    if (QFileInfo(inDataRoot).isFile())
        return inDataRoot;
    return m_configFolder + fileName();
}

QString SettingsStore::readValue(
    const QString& section, const QString& key, const QString& defaultValue) const
{
    return IniFile::read(iniPath(), section, key, defaultValue);
}

Result<> SettingsStore::writeValue(const QString& section, const QString& key, const QString& value)
{
    return IniFile::write(iniPath(), section, key, value);
}
