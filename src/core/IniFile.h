#pragma once

#include "core/Result.h"

#include <QString>

// Hand-written rather than QSettings: QSettings rewrites the whole file in its own format and
// would lose comments, the case of names and the bytes of lines it does not own.
// Reads and writes single values of an INI file with these rules: section and key names match
// regardless of case, anything missing gives the default, a value comes back cut to 254
// characters, and a write replaces the value in place, creating file, section and key as needed. Every other
// line of the file (comments, unknown sections, hand-edited values, even lines that make no sense) survives a
// write untouched.
namespace IniFile {

constexpr int kMaxValueLength = 254;

QString read(const QString& path, const QString& section, const QString& key, const QString& defaultValue);
// The same from the file's text, already read.
QString valueIn(
    const QString& content, const QString& section, const QString& key, const QString& defaultValue);

// Carriage returns and line feeds in the value are stored as blanks, one for one.
// Fails when the file could not be written, or when it exists but could not be read (it is
// then left as it was).
Result<> write(const QString& path, const QString& section, const QString& key, const QString& value);

} // namespace IniFile
