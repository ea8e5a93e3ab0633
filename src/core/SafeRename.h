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

// Swaps two existing files in one step, so that a crash leaves them swapped or not, never one
// of them missing. Failed where the file system cannot (the caller then swaps step by step),
// or when either file is missing.
Result exchange(const QString& a, const QString& b, QString* error = nullptr);

} // namespace SafeRename
