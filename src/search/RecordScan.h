#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>

// Finds the records of one keyed record file that contain a search text, reading the file
// once. A record is tested on its text exactly as RecordFile::readRecord returns it (lines
// joined with CR LF, the first record of a key, nothing of the markers), so the result is the
// same as reading position after position, only much faster.
//
// Most files hold no record with the text: a quick pass over the file's bytes rules them out
// before anything is decoded. That pass may let a file through that has no hit (the text may
// lie in a marker); it never turns one away that has.
class RecordScan
{
public:
    RecordScan(const QString& needle, Qt::CaseSensitivity sensitivity);

    struct Hit
    {
        int key = 0; // 0: none
        QString text;
    };

    // The first record after key `after` that is not empty and contains the needle. A missing
    // file has none; a file that exists but cannot be read fails with the reason.
    Result<Hit> firstHit(const QString& file, int after) const;

    // The same on a file's bytes.
    Hit firstHitIn(const QByteArray& bytes, int after) const;

private:
    enum class Encoding
    {
        Windows1252, // every byte is one character: the quick pass works on the bytes
        Utf8,
    };
    static Encoding encodingOf(const QByteArray& bytes);
    bool mayContain(const QByteArray& bytes) const;

    QString m_needle;
    Qt::CaseSensitivity m_sensitivity;
    // The needle in the byte form the quick pass looks for; unusable when some character of the
    // needle matches no Windows-1252 character, so that no such file can hold it.
    QByteArray m_needleBytes;
    bool m_needleFitsBytes = false;
    // The pass needs whole lines: a needle with a line break may match where a record joins two
    // lines that the file ends with a lone CR.
    bool m_checkBytes = false;
};
