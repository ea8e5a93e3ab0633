#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

// A property that must hold for every input: when it does not, the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

namespace FuzzSupport {

// Text from the fuzzer's bytes, read as UTF-8 (invalid sequences become U+FFFD), so every
// string is valid Unicode and short inputs still reach every character.
inline QString text(FuzzedDataProvider& data, std::size_t maxBytes)
{
    const std::string bytes = data.ConsumeRandomLengthString(maxBytes);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

inline QString remainingText(FuzzedDataProvider& data)
{
    const std::string bytes = data.ConsumeRemainingBytesAsString();
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

inline QByteArray remainingBytes(FuzzedDataProvider& data)
{
    const std::string bytes = data.ConsumeRemainingBytesAsString();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// One folder for the whole run, in memory where /dev/shm exists: every iteration rewrites a
// file, and a disk would make the run slow.
inline QString folder()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/trellin-fuzz-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/trellin-fuzz-XXXXXX"));
    return dir.path() + u'/';
}

} // namespace FuzzSupport
