#include "core/TextCodec.h"

#include <QStringDecoder>

#include <array>

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

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

} // namespace

QString TextCodec::fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return text;
}

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
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text) {
        const int b = windows1252Byte(c.unicode());
        *out++ = static_cast<char>(b < 0 ? '?' : b);
    }
    return bytes;
}

QString TextCodec::decode(const QByteArray& bytes)
{
    if (bytes.startsWith(kUtf8Bom)) {
        // ConvertInitialBom: the text's own first character may be a U+FEFF too, and stays.
        QStringDecoder afterMark(
            QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return afterMark.decode(QByteArrayView(bytes).sliced(kUtf8Bom.size()));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes);
}

QByteArray TextCodec::encode(const QString& text)
{
    if (fitsWindows1252(text)) {
        // Windows-1252 bytes that also make valid UTF-8 ("Ã©" gives C3 A9) would read back as
        // another text; such a text is stored as UTF-8 with the mark too.
        QByteArray bytes = toWindows1252(text);
        if (decode(bytes) == text)
            return bytes;
    }
    return kUtf8Bom + text.toUtf8();
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
