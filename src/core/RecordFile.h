#pragma once

#include "core/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <utility>
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

// A record file as read: its bytes, and its blocks found in them. Each block is one record (a
// header and its continuation lines) or a run of lines that belong to no record; every line is
// in exactly one block. Nothing is decoded until it is asked for, and then only that record (or
// line): a Windows-1252 file is one byte a character, and in well-formed UTF-8 a CR or LF byte is
// always that character, so records are cut on the bytes.
struct Parsed
{
    struct Block
    {
        int key = 0; // 1..99; 0 for lines of no record
        qsizetype start = 0; // in bytes: the first byte of its first line
        qsizetype end = 0; // past its last line's end (or the end of the bytes)
        bool hidden = false; // a later record of a key that has one before it
    };
    QByteArray bytes; // the file as read; the blocks are found in it
    qsizetype begin = 0; // past the byte-order mark
    bool utf8 = false; // the bytes are UTF-8; else one byte a character (Windows-1252, or ASCII)
    QList<Block> blocks;
    // The block every reader uses for each key (index = key, 0 unused), -1 for none.
    std::array<qsizetype, kKeyCount + 1> shown = [] {
        std::array<qsizetype, kKeyCount + 1> none {};
        none.fill(-1);
        return none;
    }();

    // The text of the key's shown record (lines joined with CR LF); "" when it has none.
    QString text(int key) const;
    // The first units UTF-16 units of that text (all of it when it is shorter).
    QString textStart(int key, qsizetype units) const;
    bool hasText(int key) const;
    // The first line of that text, without its line end; empty when the key has no record.
    QString firstLine(int key) const;
    // Whether key's text is the same in both (decoding only where the bytes differ).
    bool sameText(const Parsed& other, int key) const;
    // The lines no reader shows that are not blank: lines of no record and hidden records.
    qsizetype unshownLines() const;

    // The characters of bytes[from, to) with every line end made CR LF.
    QString decodeLines(qsizetype from, qsizetype to) const;
    // Where the key's text stands in bytes: after its header, before its last line's end.
    std::pair<qsizetype, qsizetype> textRange(int key) const;
};
// The blocks of a file's bytes.
Parsed parse(const QByteArray& bytes);

// Every record of decoded file content as the readers see it: index = key 1..99 (0 unused).
std::array<QString, kKeyCount + 1> records(const QString& content);

// The records of a file. A missing file has none; a file that exists but cannot be read fails
// with the reason, so that it is never taken for an empty one.
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
