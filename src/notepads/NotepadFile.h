#pragma once

#include "core/Result.h"

#include <QString>

// The text files a notepad is opened from and saved to. A notepad's lines are separated by
// CR LF. Files are read in UTF-8, or in Windows-1252 when they are not valid UTF-8 (see
// TextCodec); they are written in UTF-8 with CR LF line ends.
namespace NotepadFile {

// The largest file Open reads.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

// The file's lines joined with CR LF: CR, CR LF and a lone LF all end a line, and the break
// after the last line does not add an empty one, so an empty file gives an empty text.
Result<QString> open(const QString& path);

// The text followed by one CR LF, written atomically: a failed save leaves the file as it was.
// An existing file keeps its permissions; a symbolic link keeps pointing at the saved file.
Result<> save(const QString& path, const QString& text);

// The bytes save writes for a text.
QByteArray bytes(const QString& text);

} // namespace NotepadFile
