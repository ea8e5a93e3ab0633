#pragma once

#include <QString>

// Renames a file without ever replacing an existing one. POSIX rename() silently replaces
// the target, which would destroy a box if a step of a file swap went wrong.
namespace SafeRename {

enum class Result
{
    Renamed,
    SourceMissing,
    TargetExists,
    Failed
};

Result rename(const QString& from, const QString& to, QString* error = nullptr);

} // namespace SafeRename
