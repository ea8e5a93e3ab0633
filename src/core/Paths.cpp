#include "core/Paths.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString programFolder(QStandardPaths::StandardLocation location, const char* belowHome,
    const QString& name = QStringLiteral("MoxenoTrellin"))
{
    QString base = QStandardPaths::writableLocation(location);
    // Qt takes a relative XDG_DATA_HOME or XDG_CONFIG_HOME as it is; the XDG rules ignore it.
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1String(belowHome);
    return Paths::withTrailingSlash(base + u'/' + name);
}

} // namespace

QString Paths::defaultDataFolder()
{
    return programFolder(QStandardPaths::GenericDataLocation, "/.local/share");
}

QString Paths::configFolder()
{
    return programFolder(QStandardPaths::GenericConfigLocation, "/.config");
}

QString Paths::autostartFolder()
{
    return programFolder(QStandardPaths::GenericConfigLocation, "/.config", QStringLiteral("autostart"));
}

QString Paths::withTrailingSlash(const QString& folder)
{
    QString result = folder;
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    if (!result.endsWith(u'/'))
        result += u'/';
    return result;
}
