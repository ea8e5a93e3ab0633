#include "core/TextCodec.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Windows-1252 bytes 80..9F. The five bytes the code page leaves undefined map to the C1
// control characters of the same value, as Windows itself does, so every byte round-trips.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

int windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c)
            return int(0x80 + i);
    }
    return -1;
}

} // namespace

// Stops at the first fault, which in a Windows-1252 file is mostly near its start, so such a
// file is decoded once instead of twice. ASCII is passed over eight bytes at a time.
bool TextCodec::isUtf8(QByteArrayView bytes, bool* ascii)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    bool high = false;
    while (p < end) {
        std::uint64_t eight = 0;
        if (end - p >= 8) {
            std::memcpy(&eight, p, sizeof eight);
            if ((eight & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        high = true;
        int more = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (*p >= 0xC2 && *p <= 0xDF) {
            more = 1;
        } else if (*p >= 0xE0 && *p <= 0xEF) {
            more = 2;
            low = *p == 0xE0 ? 0xA0 : 0x80;
            high = *p == 0xED ? 0x9F : 0xBF;
        } else if (*p >= 0xF0 && *p <= 0xF4) {
            more = 3;
            low = *p == 0xF0 ? 0x90 : 0x80;
            high = *p == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p <= more || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i <= more; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF)
                return false;
        }
        p += more + 1;
    }
    if (ascii)
        *ascii = !high;
    return true;
}

QString TextCodec::fromUtf8(QByteArrayView bytes)
{
    if (!bytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(bytes);
    // QString::fromUtf8 drops a leading mark.
    QStringDecoder keepMark(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return keepMark.decode(bytes);
}

QString TextCodec::fromWindows1252(QByteArrayView bytes)
{
    // Latin-1 but for the bytes 80..9F; Qt's Latin-1 decoder is much faster than a table lookup
    // per byte, and those bytes are rare.
    QString text = QString::fromLatin1(bytes);
    QChar* out = nullptr;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        // Eight bytes at a time while none of them has its top bit set.
        std::uint64_t eight = 0;
        if (i + 8 <= n) {
            std::memcpy(&eight, in + i, sizeof eight);
            if ((eight & 0x8080808080808080ULL) == 0) {
                i += 7;
                continue;
            }
        }
        if (in[i] >= 0x80 && in[i] < 0xA0) {
            if (!out)
                out = text.data();
            out[i] = QChar(kHighControls[in[i] - 0x80]);
        }
    }
    return text;
}

namespace {

// The Windows-1252 bytes of the text; '?' for a character the code page does not have, which
// clears fits when given.
QByteArray windows1252Bytes(QStringView text, bool* fits)
{
    // Latin-1 is right for every character but those of 80..9F and above FF, which are rare:
    // Qt converts to it many characters at a time, and only those are looked at again.
    QByteArray bytes = text.toLatin1();
    char* out = nullptr;
    const char16_t* in = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        // Four characters at a time while all of them are ASCII.
        std::uint64_t four = 0;
        if (i + 4 <= n) {
            std::memcpy(&four, in + i, sizeof four);
            if ((four & 0xFF80FF80FF80FF80ULL) == 0) {
                i += 3;
                continue;
            }
        }
        const char16_t c = in[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            continue;
        const int b = windows1252Byte(c);
        if (b < 0 && fits) {
            *fits = false;
            return QByteArray();
        }
        if (!out)
            out = bytes.data();
        out[i] = static_cast<char>(b < 0 ? '?' : b);
    }
    return bytes;
}

} // namespace

bool TextCodec::fitsWindows1252(const QString& text)
{
    for (const QChar c : text) {
        if (windows1252Byte(c.unicode()) < 0)
            return false;
    }
    return true;
}

QByteArray TextCodec::toWindows1252(const QString& text)
{
    return windows1252Bytes(text, nullptr);
}

QString TextCodec::decode(const QByteArray& bytes)
{
    if (bytes.startsWith(kUtf8Bom)) {
        // ConvertInitialBom: the text's own first character may be a U+FEFF too, and stays.
        QStringDecoder afterMark(
            QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return afterMark.decode(QByteArrayView(bytes).sliced(kUtf8Bom.size()));
    }
    return isUtf8(bytes) ? QString::fromUtf8(bytes) : fromWindows1252(bytes);
}

bool TextCodec::readsBackAsWritten(const QByteArray& windows1252)
{
    // Such bytes read back as other text exactly when they start with the UTF-8 mark or are
    // well-formed UTF-8 holding a byte of 80 or above.
    return !windows1252.startsWith(kUtf8Bom)
        && (!isUtf8(windows1252)
            || std::all_of(windows1252.cbegin(), windows1252.cend(), [](char b) { return b >= 0; }));
}

QByteArray TextCodec::encode(const QString& text)
{
    bool fits = true;
    QByteArray bytes = windows1252Bytes(text, &fits);
    if (fits) {
        // Windows-1252 bytes that also make valid UTF-8 ("Ã©" gives C3 A9) would read back as
        // another text; such a text is stored as UTF-8 with the mark too.
        if (readsBackAsWritten(bytes))
            return bytes;
    }
    return kUtf8Bom.toByteArray() + text.toUtf8();
}

QStringList TextCodec::splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) != u'\r')
            continue;
        lines.append(text.mid(start, i - start));
        if (i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QStringList TextCodec::splitAnyLines(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
    return splitLines(unified);
}

QString TextCodec::joinLines(const QStringList& lines)
{
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n";
    }
    return text;
}
