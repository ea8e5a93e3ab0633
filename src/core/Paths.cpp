#include "core/Paths.h"

#include <QDir>

namespace {

QString xdgFolder(const char* variable, const QString& fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    // The XDG rules ignore relative paths.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + u'/' + fallbackBelowHome;
}

} // namespace

QString Paths::defaultDataFolder()
{
    return withTrailingSlash(xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/MoxenoTrellin"));
}

QString Paths::configFolder()
{
    return withTrailingSlash(xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/MoxenoTrellin"));
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
