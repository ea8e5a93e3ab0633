#include "core/StatusLog.h"

#include <QTime>

QString StatusLog::logStatus(const QString& message)
{
    const QString line
        = QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + message;
    m_entries.prepend(line);
    emit logged(line, message);
    return line;
}
