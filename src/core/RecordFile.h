#pragma once

#include "core/Result.h"

#include <QString>

#include <array>

// The keyed record file shared by box files and macro files.
//
// A record starts with a header line: the key as two digits, the marker "!¬:" and the first
// line of the text. Every following line that does not carry the marker in characters 3-5
// continues the same text. An empty text is never stored: writing "" removes the record. A
// rewritten record moves to the end of the file. The layout is fixed byte for byte (Windows-1252
// with CR LF line ends, see TextCodec) and no Qt reader follows its rules, so it is read and
// written here by hand.
namespace RecordFile {

constexpr int kMaxTextLength = 9999;
extern const QString kMarker;

QString keyText(int key);
inline bool isHeader(const QString& line)
{
    return line.mid(2, 3) == kMarker;
}

// The text stored under key, or defaultText when the file, or the record, is missing or empty.
QString readRecord(const QString& file, int key, const QString& defaultText);
// Every record of decoded file content, index = key 1..99 (0 unused), as readRecord reads them:
// lines joined with CR LF; of two records under one key the first counts; a header whose key is
// not two digits ends the record before it and starts none.
std::array<QString, 100> records(const QString& content);

// Stores text under key ("" removes the record). A text over the limit is refused: callers cut
// it, after asking, with cutToLimit(). An existing file that cannot be read is never rewritten.
Result<> writeRecord(const QString& file, int key, const QString& text);

// The question asked before a text over the limit is cut: the start of what would be dropped
// (a few lines at most, so the message box keeps its buttons on the screen) and how much.
QString longTextQuestion(const QString& text);
// The text cut to the limit, never splitting a character that takes two UTF-16 units.
QString cutToLimit(const QString& text);

} // namespace RecordFile
