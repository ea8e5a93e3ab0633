#include "core/SessionAutostart.h"

#include "core/Paths.h"
#include "core/TextFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>

namespace {

// The program's path as one argument of an Exec key: quoted, with the characters a quoted
// argument reserves escaped, then escaped again as the key's string value, and % doubled as
// it starts a field code.
QString execArgument(const QString& program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$')
            quoted += QStringLiteral("\\\\");
        else if (c == u'\\')
            quoted += QStringLiteral("\\\\\\");
        else if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

bool is(const QByteArray& line, const char* key, const char* value)
{
    const qsizetype equals = line.indexOf('=');
    return equals > 0 && line.left(equals).trimmed() == key && line.mid(equals + 1).trimmed() == value;
}

} // namespace

QString SessionAutostart::entryPath()
{
    return Paths::autostartFolder() + QStringLiteral(TRELLIN_APP_ID ".desktop");
}

bool SessionAutostart::isEnabled()
{
    QFile file(entryPath());
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        return true; // there, and the session may well read it
    bool inEntry = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && (is(line, "Hidden", "true") || is(line, "X-GNOME-Autostart-enabled", "false")))
            return false;
    }
    return true;
}

QByteArray SessionAutostart::entry(const QString& program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Moxeno Trellin\n"
                          "Comment=Started with the session; switch it off in the advanced options\n"
                          "Exec=%1\n"
                          "Icon=" TRELLIN_APP_ID "\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(program))
        .toUtf8();
}

Result<> SessionAutostart::enable(const QString& program)
{
    if (program.contains(u'\n') || program.contains(u'\r'))
        return Result<>::failure(
            QStringLiteral("The program cannot be started with the session from a path with a line break: %1")
                .arg(program));
    const QString folder = Paths::autostartFolder();
    if (!QDir().mkpath(folder))
        return Result<>::failure(
            TextFile::describeFailure(QStringLiteral("create the folder"), folder, errno));
    return TextFile::writeAtomically(entryPath(), entry(program));
}

Result<> SessionAutostart::disable()
{
    QFile file(entryPath());
    if (!file.exists() || file.remove())
        return {};
    return Result<>::failure(QStringLiteral("The autostart entry %1 could not be removed: %2")
                                 .arg(file.fileName(), file.errorString()));
}
