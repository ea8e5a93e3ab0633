#pragma once

#include "core/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// The keyed record file shared by box files and macro files, and its one reader: every part of
// the program that reads or rewrites a record file goes through here, so all of them see the
// same records.
//
// A record starts with a header line: the key as exactly two ASCII digits "01" to "99", the
// marker "!¬:" and the first line of the text. Every following line that does not carry the
// marker in characters 3-5 continues the same text. A line that carries the marker but no such
// key (" 5", "5x", "00") is a damaged header: it ends the record before it and starts none, so
// it and its continuation lines belong to no record. Of two records under one key the first is
// the one every reader uses; the later one is hidden behind it. Lines that belong to no record,
// and hidden records, are never shown but always kept by a rewrite. An empty text is never
// stored: writing "" removes the record. The format is the program's own, Windows-1252 (or UTF-8
// with a byte-order mark) with CR LF line ends, so it is read and written here by hand.
namespace RecordFile {

constexpr int kMaxTextLength = 9999;
constexpr int kKeyCount = 99;
extern const QString kMarker;

QString keyText(int key);

// What a line of a record file is: the key 1..99 of the record it starts, kContinuation, or
// kDamagedHeader for a line with the marker but no valid key.
constexpr int kContinuation = 0;
constexpr int kDamagedHeader = -1;
int lineKind(QStringView line);

// A record file split into its blocks: each block is one record (a header and its continuation
// lines) or a run of lines that belong to no record. Every line is in exactly one block.
struct Parsed
{
    struct Line
    {
        qsizetype start = 0; // in content
        qsizetype length = 0; // without its line end
    };
    struct Block
    {
        int key = 0; // 1..99; 0 for lines of no record
        qsizetype first = 0; // index of the first line
        qsizetype count = 0;
        bool hidden = false; // a later record of a key that has one before it
    };
    QByteArray bytes; // the file as read (readFile), to tell later whether it still holds them
    QString content;
    std::vector<Line> lines;
    QList<Block> blocks;
    // The block every reader uses for each key (index = key, 0 unused), -1 for none.
    std::array<qsizetype, kKeyCount + 1> shown;

    QStringView line(qsizetype index) const
    {
        const Line& at = lines[std::size_t(index)];
        return QStringView(content).sliced(at.start, at.length);
    }
    // The text of the key's shown record (lines joined with CR LF); "" when it has none.
    QString text(int key) const;
    // The same text as it stands in the content, when every line of it ends in CR LF there (the
    // usual case); nothing when a line ends in a lone CR, which text() turns into CR LF.
    std::optional<QStringView> textInContent(int key) const;
    // The first line of that text, without its line end; empty when the key has no record.
    QStringView firstLine(int key) const;
    // The lines no reader shows that are not blank: lines of no record and hidden records.
    qsizetype unshownLines() const;
};
Parsed parse(const QString& content);

// Every record of decoded file content as the readers see it: index = key 1..99 (0 unused).
std::array<QString, kKeyCount + 1> records(const QString& content);

// The records of a file, as records() gives them. A missing file has none; a file that exists
// but cannot be read fails with the reason, so that it is never taken for an empty one.
Result<Parsed> readFile(const QString& file);
// The text stored under key, "" when the file or the record is missing; fails like readFile.
Result<QString> readRecord(const QString& file, int key);

// Stores text under key ("" removes the record). A text over the limit is refused: callers cut
// it, after asking, with cutToLimit(). The key's shown record is replaced and moves to the end
// of the file; hidden records of the key follow it there unchanged, so they stay hidden and
// nothing is lost (after a removal the next of them is the one shown). Every other line stays
// where it was. An existing file that cannot be read is never rewritten.
// read is what the caller read of the file: when the file still holds those bytes, their records
// are used rather than decoded again.
Result<> writeRecord(const QString& file, int key, const QString& text, const Parsed* read = nullptr);
// Exchanges two keys in one atomic rewrite, every record of each (hidden ones too), leaving the
// order of the lines as it is. False, writing nothing, when neither key has a record.
Result<bool> exchangeKeys(const QString& file, int key, int other);

// The text with the line ends of the file: CR LF for every LF, lone CR and CR LF.
QString withFileLineEnds(const QString& text);

// The question asked before a text over the limit is cut: the start of what would be dropped
// (a few lines at most, so the message box keeps its buttons on the screen) and how much.
QString longTextQuestion(const QString& text);
// The text cut to the limit, never splitting a character that takes two UTF-16 units.
QString cutToLimit(const QString& text);

} // namespace RecordFile
