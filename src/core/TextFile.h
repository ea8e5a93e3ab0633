#pragma once

#include <QString>
#include <QStringList>

#include "core/Result.h"

// Whole-file reads and crash-safe rewrites of the program's text files. QSaveFile is not used: its
// temporary has a random name, while a rewrite here always goes through the fixed name + "_", so a
// crash leaves one known leftover that the next write replaces.
namespace TextFile {

// The largest data file read: far beyond any the program writes (99 texts of 9,999 characters
// make under 3 MiB), so a huge or foreign file is refused at once rather than freezing the program.
constexpr qint64 kMaxDataFileBytes = 8 * 1024 * 1024;

// The decoded text of a file (see TextCodec), or why it cannot be read; a file over maxBytes is
// not read.
Result<QString> read(const QString& path, qint64 maxBytes = kMaxDataFileBytes);
// The bytes of a file, or why it cannot be read; a file over maxBytes is not read.
Result<QByteArray> readBytes(const QString& path, qint64 maxBytes = kMaxDataFileBytes);
// The bytes, with none for a file that does not exist; fails like readForRewrite.
Result<QByteArray> readBytesForRewrite(const QString& path);
// The same, with "" for a file that does not exist. For a read before a rewrite: a file that
// exists but cannot be read fails, and must never be rewritten, as that would lose what it holds.
Result<QString> readForRewrite(const QString& path);

// Writes the bytes to path + "_", flushes them to disk and renames the result over path in
// one step. The file on disk stays intact until the new content is complete, so a crash or a
// full disk can never leave the file half written or missing.
Result<> writeAtomically(const QString& path, const QByteArray& bytes);

// The same for a file in the user's own folder, where any name, "notes.txt_" too, may be one of
// their files: the temporary gets a fresh hidden name that no existing file has. The file keeps
// its permissions, and a symbolic link keeps pointing at the saved file.
Result<> replaceUserFile(const QString& path, const QByteArray& bytes);

// The temporary name used while rewriting: the file name followed by "_".
inline QString temporaryPath(const QString& path)
{
    return path + u'_';
}

// Makes renames into and out of a folder durable: without it a power cut can bring back the old
// file, or lose the new one.
void syncFolder(const QString& folder);

// A message that names the failing step, the path and the system's reason.
QString describeFailure(const QString& action, const QString& path, int errorNumber);

} // namespace TextFile
