#pragma once

#include "core/Result.h"

#include <QString>

// The program's settings file "MoxenoTrellin.ini". The copy in the default data folder wins
// when it exists; otherwise the one in the configuration folder is used (and created by the
// first write). The choice is made anew for every access, so creating or deleting the data
// folder's copy while the program runs switches files at the next access.
class SettingsStore
{
public:
    SettingsStore(const QString& dataRoot, const QString& configFolder);
    static SettingsStore fromEnvironment();

    static QString fileName() { return QStringLiteral("MoxenoTrellin.ini"); }

    QString iniPath() const;
    QString readValue(const QString& section, const QString& key, const QString& defaultValue) const;
    // Only Settings calls these: it holds the table of every section and key.
    // Returns false when the value could not be stored.
    Result<> writeValue(const QString& section, const QString& key, const QString& value);

    QString dataRoot() const { return m_dataRoot; }

private:
    QString m_dataRoot;
    QString m_configFolder;
};
