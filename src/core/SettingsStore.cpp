#include "core/SettingsStore.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/TextFile.h"

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
    if (!m_holding)
        return IniFile::read(iniPath(), section, key, defaultValue);
    // The file is chosen anew for every access: a data-folder copy made meanwhile is read.
    const QString path = iniPath();
    if (!m_held || m_held->path != path) {
        const Result<QString> content = TextFile::read(path);
        m_held = Held {path, content ? std::optional<QString>(*content) : std::nullopt};
    }
    if (!m_held->content)
        return defaultValue.left(IniFile::kMaxValueLength);
    return IniFile::valueIn(*m_held->content, section, key, defaultValue);
}

Result<> SettingsStore::writeValue(const QString& section, const QString& key, const QString& value)
{
    m_held.reset();
    return IniFile::write(iniPath(), section, key, value);
}

void SettingsStore::holdContent(bool hold)
{
    m_holding = hold;
    m_held.reset();
}
