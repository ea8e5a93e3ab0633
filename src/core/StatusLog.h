#pragma once

#include <QObject>
#include <QStringList>

// The time-stamped log of everything the program did, newest entry first. It lives only for
// the run; the main window shows it in its status log list.
class StatusLog : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Prefixes the local time "hh:mm:ss" and two blanks, puts the line first and returns it.
    QString logStatus(const QString& message);

    const QStringList& entries() const { return m_entries; }
    QString latest() const { return m_entries.isEmpty() ? QString() : m_entries.first(); }

signals:
    // The line as listed, and its message alone (for trellinctl, which prints messages).
    void logged(const QString& line, const QString& message);

private:
    QStringList m_entries;
};
