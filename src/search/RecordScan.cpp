#include "search/RecordScan.h"

#include "core/RecordFile.h"
#include "core/TextCodec.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// What each byte of a Windows-1252 file stands for, and which bytes match each other when
// letter case is ignored (the same rule as Qt::CaseInsensitive: equal case-folded characters).
struct ByteTables
{
    ByteTables()
    {
        for (int b = 0; b < 256; ++b) {
            const QString decoded = TextCodec::fromWindows1252(QByteArray(1, char(b)));
            usable = usable && decoded.size() == 1;
            character[b] = decoded.isEmpty() ? char16_t(0xFFFD) : decoded.at(0).unicode();
            folded[b] = QChar::toCaseFolded(char32_t(character[b]));
        }
        for (int b = 0; b < 256; ++b) {
            int first = 0;
            while (folded[first] != folded[b])
                ++first;
            sameCase[b] = static_cast<unsigned char>(first);
        }
    }

    bool usable = true;
    std::array<char16_t, 256> character {};
    std::array<char32_t, 256> folded {};
    std::array<unsigned char, 256> sameCase {}; // the lowest byte that matches it
};

const ByteTables& byteTables()
{
    static const ByteTables tables;
    return tables;
}

bool containsBytes(const char* haystack, qsizetype size, const QByteArray& needle)
{
    return ::memmem(haystack, std::size_t(size), needle.constData(), std::size_t(needle.size())) != nullptr;
}

// Looks for the needle in the bytes with every byte replaced by its case class, a piece at a
// time so the copy stays in the processor's cache. Pieces overlap by the needle's length less
// one, so no occurrence falls between two.
bool containsIgnoringCase(const QByteArray& bytes, const QByteArray& needle)
{
    constexpr qsizetype kPiece = 1 << 16;
    const auto& classes = byteTables().sameCase;
    const qsizetype overlap = needle.size() - 1;
    thread_local std::vector<unsigned char> buffer;
    buffer.resize(std::size_t(kPiece + overlap));
    const auto* source = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype start = 0; start < size; start += kPiece) {
        const qsizetype end = std::min(size, start + kPiece + overlap);
        unsigned char* out = buffer.data();
        for (qsizetype i = start; i < end; ++i)
            *out++ = classes[source[i]];
        if (containsBytes(reinterpret_cast<const char*>(buffer.data()), end - start, needle))
            return true;
        if (end == size)
            break;
    }
    return false;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

RecordScan::RecordScan(const QString& needle, Qt::CaseSensitivity sensitivity)
    : m_needle(needle)
    , m_sensitivity(sensitivity)
{
    const ByteTables& tables = byteTables();
    m_checkBytes = !needle.isEmpty() && !needle.contains(u'\r') && !needle.contains(u'\n');
    m_needleFitsBytes = tables.usable;
    for (const QChar c : needle) {
        int byte = 0;
        if (sensitivity == Qt::CaseSensitive) {
            while (byte < 256 && tables.character[byte] != c.unicode())
                ++byte;
        } else {
            const char32_t folded = QChar::toCaseFolded(char32_t(c.unicode()));
            while (byte < 256 && tables.folded[byte] != folded)
                ++byte;
        }
        if (c.isSurrogate() || byte == 256) {
            m_needleFitsBytes = false;
            break;
        }
        m_needleBytes.append(char(sensitivity == Qt::CaseSensitive ? byte : tables.sameCase[byte]));
    }
}

RecordScan::Encoding RecordScan::encodingOf(const QByteArray& bytes)
{
    // The choice TextCodec::decode makes: a byte-order mark or valid UTF-8 reads as UTF-8,
    // anything else as Windows-1252. Only a sure sign of invalid UTF-8 picks Windows-1252 here;
    // when in doubt the file is read as text, which is always right, only slower.
    if (bytes.startsWith("\xEF\xBB\xBF") || !byteTables().usable)
        return Encoding::Utf8;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    bool ascii = true;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        ascii = false;
        int following = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
            following = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
            following = 2;
        else if (lead >= 0xF0 && lead <= 0xF4)
            following = 3;
        else
            return Encoding::Windows1252;
        for (int k = 1; k <= following; ++k) {
            if (i + k >= size)
                return Encoding::Utf8;
            if (!isContinuation(data[i + k]))
                return Encoding::Windows1252;
        }
        i += following + 1;
    }
    // Plain ASCII reads the same either way; valid UTF-8 goes the text way.
    return ascii ? Encoding::Windows1252 : Encoding::Utf8;
}

bool RecordScan::mayContain(const QByteArray& bytes) const
{
    if (!m_needleFitsBytes)
        return false;
    if (m_sensitivity == Qt::CaseSensitive)
        return containsBytes(bytes.constData(), bytes.size(), m_needleBytes);
    return containsIgnoringCase(bytes, m_needleBytes);
}

RecordScan::Hit RecordScan::firstHitIn(const QByteArray& bytes, int after) const
{
    Encoding encoding = Encoding::Utf8;
    if (m_checkBytes) {
        encoding = encodingOf(bytes);
        if (encoding == Encoding::Windows1252 && !mayContain(bytes))
            return {};
    }
    const QString content = TextCodec::decode(bytes);
    if (m_checkBytes && encoding == Encoding::Utf8 && !content.contains(m_needle, m_sensitivity))
        return {};
    const std::array<QString, 100> texts = RecordFile::records(content);
    for (int key = std::max(after, 0) + 1; key < int(texts.size()); ++key) {
        if (!texts[key].isEmpty() && texts[key].contains(m_needle, m_sensitivity))
            return {key, texts[key]};
    }
    return {};
}

Result<RecordScan::Hit> RecordScan::firstHit(const QString& file, int after) const
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        if (!input.exists())
            return Hit {};
        return Result<Hit>::failure(QStringLiteral("could not read %1 (%2)").arg(file, input.errorString()));
    }
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError)
        return Result<Hit>::failure(QStringLiteral("could not read %1 (%2)").arg(file, input.errorString()));
    return firstHitIn(bytes, after);
}
