#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

#include <utility>

// The names file "MoxenoTrellinNames.txt": 99 lines, line N the name of box N.
namespace NamesFile {

constexpr int kMaxNameLength = 15;

// Creates the file with "Box 1" .. "Box 99" when it is missing; an existing file is left
// untouched. Fails, with the reason, when the file could not be created.
Result<> ensureNamesFile(const QString& folder);

// The 99 names as stored (not cut). Lines the file lacks read as "Box " + N, so a short or
// damaged file never hides a box. Fails when the file exists but cannot be read.
Result<QStringList> read(const QString& folder);

// The names as the file would give them, or the defaults when it cannot be read.
QStringList readOrDefaults(const QString& folder);
// The names as the box tabs show them: the first 15 characters of each.
QStringList captions(const QString& folder);

// Replaces the given lines (box number -> name) and keeps every other line as it is.
Result<> replace(const QString& folder, const QList<std::pair<int, QString>>& changes);

inline QString defaultName(int box)
{
    return QStringLiteral("Box %1").arg(box);
}

inline QString caption(const QString& name)
{
    return name.left(kMaxNameLength);
}

} // namespace NamesFile
