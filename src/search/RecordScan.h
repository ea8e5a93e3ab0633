#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>

#include <array>

// Finds the records of one keyed record file that contain a search text, reading the file
// once and yielding all of its hits in one pass. A record is tested on its text exactly as
// RecordFile::readRecord returns it (lines joined with CR LF, the first record of a key,
// nothing of the markers), so the result is the same as reading position after position.
//
// A file in Windows-1252 (or plain ASCII) is searched on its bytes: every byte is one
// character, so a needle without line breaks is found by comparing bytes (by case class when
// letter case is ignored), only the lines around the hits are told apart as headers or
// continuations, and only the hit records are decoded. Most files hold no hit: they are read
// piece by piece into a small buffer that stays in the processor's cache, and are done after a
// scan that tests two of the needle's bytes per position, many positions at a time. Any other
// file is decoded and read through RecordFile.
class RecordScan
{
public:
    // How much of a file the first pass reads at a time.
    static constexpr qsizetype kPieceBytes = 128 * 1024;

    RecordScan(const QString& needle, Qt::CaseSensitivity sensitivity, qsizetype pieceBytes = kPieceBytes);

    // How much of a hit record's text is wanted: a listing shows only the first line.
    enum class Text
    {
        Whole,
        FirstLine, // up to the first CR
    };

    struct Hit
    {
        int key = 0; // 0: none
        QString text;
    };

    // The records after key `after` that are not empty and contain the needle, in key order,
    // at most `limit` of them. A missing file has none; a file that exists but cannot be read
    // fails with the reason.
    Result<QList<Hit>> hits(const QString& file, int after, qsizetype limit, Text text) const;
    Result<Hit> firstHit(const QString& file, int after) const;

    // The same on a file's bytes.
    QList<Hit> hitsIn(const QByteArray& bytes, int after, qsizetype limit, Text text) const;
    Hit firstHitIn(const QByteArray& bytes, int after) const;

private:
    enum class Encoding
    {
        Windows1252, // every byte is one character: searched on the bytes
        Utf8,
    };
    static Encoding encodingOf(const QByteArray& bytes);
    // The first pass over a file, piece by piece at the start of `buffer`: whether it may hold a
    // hit (and so must be read whole), or surely holds none. `kept` is how many bytes of the
    // file's start the buffer holds when the first piece decided it, else 0.
    enum class Pass
    {
        NoHits,
        MayHold,
        Failed,
    };
    Pass firstPass(QFileDevice& input, QByteArray& buffer, qsizetype& kept) const;
    // Where the needle's bytes first match at or after `from`, -1 for nowhere.
    qsizetype firstMatch(const unsigned char* data, qsizetype size, qsizetype from) const;
    // Every record key (index) whose shown text holds the needle, found on the bytes.
    std::array<bool, 100> byteHitKeys(const QByteArray& bytes, std::array<qsizetype, 101>& recordStart) const;
    QList<Hit> byteHits(const QByteArray& bytes, int after, qsizetype limit, Text text) const;
    QList<Hit> decodedHits(const QByteArray& bytes, int after, qsizetype limit, Text text) const;

    QString m_needle;
    Qt::CaseSensitivity m_sensitivity;
    // The needle in the byte form the byte search compares with (each byte's case class when
    // case is ignored); unusable when some character of the needle matches no Windows-1252
    // character, so that no such file can hold it.
    QByteArray m_needleBytes;
    bool m_needleFitsBytes = false;
    // The byte search needs whole lines: a needle with a line break may match where a record
    // joins two lines that the file ends with a lone CR.
    bool m_searchBytes = false;
    // The two needle positions the fast scan tests first, those whose bytes are rarest in text.
    // A byte b passes a probe where (b | orMask) == target: exactly the bytes of the needle's
    // case class there when they differ in one bit (a letter and its capital), a few more
    // otherwise, which the full comparison then turns away.
    struct Probe
    {
        qsizetype offset = 0;
        unsigned char orMask = 0;
        unsigned char target = 0;
    };
    Probe m_probe1;
    Probe m_probe2;
    qsizetype m_pieceBytes;
};
