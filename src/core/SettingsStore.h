#pragma once

#include "core/Result.h"

#include <QString>

#include <optional>

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

    // While held, reads come from one read of the file instead of one each: the start reads some
    // thirty values. A write through this store reads the file again at the next read. Hold it
    // only over work that runs no event loop, where another program's change could be missed.
    void holdContent(bool hold);

private:
    struct Held
    {
        QString path;
        std::optional<QString> content; // nothing when the file could not be read
    };

    QString m_dataRoot;
    QString m_configFolder;
    bool m_holding = false;
    mutable std::optional<Held> m_held;
};
