#pragma once

#include <QString>

// Renames a file without ever replacing an existing one. POSIX rename() silently replaces
// the target, which would destroy a box if a step of a file swap went wrong.
class SafeRename
{
public:
    enum class Result { Renamed, SourceMissing, TargetExists, Failed };

    static Result rename(const QString& from, const QString& to, QString* error = nullptr);
};
