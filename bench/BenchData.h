#pragma once

#include "core/DataFiles.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

// The data sets of the benchmarks, written the way the program stores them: Windows-1252, CR LF,
// one record per key "NN!¬:" followed by its text, wrapped in lines of about 70 characters.
namespace BenchData {

// A text of exactly length characters; seed makes each text differ.
inline QByteArray text(int length, int seed)
{
    // "quartz" and "owl" make near misses for the search benchmark's needle.
    static const char* const words[]
        = {"order", "Invoice", "customer", "Regards", "delivery", "quartz", "owl", "caf\xE9",
            "Stra\xDF"
            "e",
            "meeting", "Thursday", "street", "number", "\x80 12,50"};
    QByteArray out;
    out.reserve(length + 16);
    qsizetype lineStart = 0;
    for (int i = seed; out.size() < length; ++i) {
        out += words[unsigned(i * 7 + seed) % std::size(words)];
        if (out.size() - lineStart > 70) {
            out += "\r\n";
            lineStart = out.size();
        } else {
            out += ' ';
        }
    }
    out.truncate(length);
    if (out.endsWith('\r'))
        out[out.size() - 1] = '.';
    return out;
}

// Chooses a word to put into a record near its end (an empty one for none): for the box or
// macro file of a box, and the record's key.
using Plant = std::function<QByteArray(bool macros, int box, int key)>;

// A record file of 99 records of textLength characters; macro records start with their name.
inline QByteArray recordFile(int textLength, bool macros, int box, const Plant& plant = {})
{
    QByteArray content;
    for (int key = 1; key <= DataFiles::kPositionCount; ++key) {
        const QByteArray keyText = QByteArray::number(key).rightJustified(2, '0');
        QByteArray body = text(textLength, box * 100 + key);
        if (macros)
            body = ("Macro " + keyText + ">" + body).left(textLength);
        if (const QByteArray word = plant ? plant(macros, box, key) : QByteArray(); !word.isEmpty())
            body.replace(body.size() - word.size() - 5, word.size(), word);
        content += keyText + "!\xAC:" + body + "\r\n";
    }
    return content;
}

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// 99 boxes of 99 texts of textLength characters, and with macros 99 macros of as many characters
// in every box. folder ends with "/".
inline bool writeDataSet(const QString& folder, int textLength, bool macros, const Plant& plant = {})
{
    for (int box = 1; box <= DataFiles::kBoxCount; ++box) {
        if (!write(DataFiles::boxFile(folder, box), recordFile(textLength, false, box, plant)))
            return false;
        if (macros && !write(DataFiles::macroFile(folder, box), recordFile(textLength, true, box, plant)))
            return false;
    }
    return true;
}

} // namespace BenchData
