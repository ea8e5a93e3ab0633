#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// How the program's data files are stored as bytes.
//
// Files are written in Windows-1252 with CR LF line ends whenever every character fits, one byte
// a character, the layout every data file keeps; a file holding any other character is written
// whole as UTF-8 with a byte-order mark, so that nothing is ever replaced; so is a text whose
// Windows-1252 bytes would read back as UTF-8. Reading accepts both, and plain UTF-8.
// Hand-written: QStringConverter has no Windows-1252, and the record format needs the CR / CR LF
// line rule below, which no Qt reader offers.
namespace TextCodec {

QString decode(const QByteArray& bytes);
QByteArray encode(const QString& text);

bool fitsWindows1252(const QString& text);
QString fromWindows1252(QByteArrayView bytes);
// Well-formed UTF-8; a byte-order mark at its start is a character of the text, as anywhere else.
QString fromUtf8(QByteArrayView bytes);
// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF); ascii, when given, tells whether they are all ASCII.
bool isUtf8(QByteArrayView bytes, bool* ascii = nullptr);
inline constexpr QByteArrayView kUtf8Bom {"\xEF\xBB\xBF"};
// Only meaningful when fitsWindows1252(text) holds.
QByteArray toWindows1252(const QString& text);
// Whether Windows-1252 bytes read back (decode()) as the text they were made from: encode()
// keeps such bytes, and writes the text as UTF-8 with the mark otherwise.
bool readsBackAsWritten(const QByteArray& windows1252);

// Splits text into lines the way the record files are read: a carriage return, or a
// carriage return followed by a line feed, ends a line. A lone line feed does not: it stays
// inside the line, so a text's own lone line feeds survive a round trip through a file.
// The terminator of the last line does not start another (empty) line.
QStringList splitLines(const QString& text);

// For files a person edits by hand (names file, settings): CR, CR LF and a lone LF all
// end a line.
QStringList splitAnyLines(const QString& text);

// Every line followed by carriage return + line feed, the last one included.
QString joinLines(const QStringList& lines);

} // namespace TextCodec
