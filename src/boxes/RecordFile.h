#pragma once

#include <QString>

class Prompter;

enum class WriteOutcome {
    Written,
    Declined, // the user refused to cut a text over the length limit; the file is unchanged
    Failed,   // the file could not be read or written; it is unchanged
};

struct WriteResult
{
    WriteOutcome outcome = WriteOutcome::Written;
    QString error;
};

// The keyed record file shared by box files and macro files.
//
// A record starts with a header line: the key as two digits, the marker "!¬:" and the first
// line of the text. Every following line that does not carry the marker in characters 3-5
// continues the same text. An empty text is never stored: writing "" removes the record. A
// rewritten record moves to the end of the file.
class RecordFile
{
public:
    static constexpr int kMaxTextLength = 9999;
    static const QString kMarker;

    static QString keyText(int key);
    static bool isHeader(const QString& line) { return line.mid(2, 3) == kMarker; }

    // The text stored under key, or defaultText when the file, or the record, is missing or empty.
    static QString ReadRecord(const QString& file, int key, const QString& defaultText);

    // Stores text under key. A text over the limit is cut only after the user agrees.
    static WriteResult WriteRecord(const QString& file, int key, const QString& text, Prompter& prompter);

    // The message that asks whether to cut a text over the limit.
    static QString longTextQuestion(const QString& text);
    // The text cut to the limit, never splitting a character that takes two UTF-16 units.
    static QString cutToLimit(const QString& text);
};
