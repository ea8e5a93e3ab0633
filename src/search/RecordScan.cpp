#include "search/RecordScan.h"

#include "core/RecordFile.h"
#include "core/TextCodec.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
            identity[b] = static_cast<unsigned char>(b);
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
    std::array<unsigned char, 256> identity {};
};

const ByteTables& byteTables()
{
    static const ByteTables tables;
    return tables;
}

const std::array<unsigned char, 256>& classesFor(Qt::CaseSensitivity sensitivity)
{
    return sensitivity == Qt::CaseSensitive ? byteTables().identity : byteTables().sameCase;
}

// How often a byte turns up in the texts people store, roughly: the fast scan checks the
// needle's rarest bytes first, so that few positions need a closer look.
int commonness(unsigned char b)
{
    if (b == ' ')
        return 100;
    if (std::strchr("etaoinsrhl", b) && b != 0)
        return 90;
    if (b >= 'a' && b <= 'z')
        return 70;
    if ((b >= 'A' && b <= 'Z') || b == '.' || b == ',')
        return 40;
    if (b >= '0' && b <= '9')
        return 35;
    if (b < 0x20 || b == 0x7F)
        return 5;
    return b < 0x80 ? 20 : 10;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The bytes of one needle position: those whose case class is the needle's byte there.
struct Probe
{
    qsizetype offset = 0;
    std::vector<unsigned char> members;
};

Probe probeAt(const QByteArray& needle, qsizetype offset, const std::array<unsigned char, 256>& classes)
{
    Probe probe {offset, {}};
    for (int b = 0; b < 256; ++b) {
        if (classes[b] == static_cast<unsigned char>(needle.at(offset)))
            probe.members.push_back(static_cast<unsigned char>(b));
    }
    return probe;
}

// Calls found(position) for every position of the bytes where the needle starts, in order,
// overlapping ones included. Two needle positions are checked for sixteen starts at a time;
// only where both match is the whole needle compared.
template<typename Found>
void forEachMatch(const QByteArray& bytes, const QByteArray& needle,
    const std::array<unsigned char, 256>& classes, qsizetype probe1, qsizetype probe2, Found found)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* wanted = reinterpret_cast<const unsigned char*>(needle.constData());
    const qsizetype length = needle.size();
    const qsizetype lastStart = bytes.size() - length;
    auto matchesAt = [&](qsizetype p) {
        for (qsizetype j = 0; j < length; ++j) {
            if (classes[data[p + j]] != wanted[j])
                return false;
        }
        return true;
    };
    qsizetype p = 0;
#if defined(__SSE2__)
    const Probe first = probeAt(needle, probe1, classes);
    const Probe second = probeAt(needle, probe2, classes);
    auto setMask = [](const Probe& probe, __m128i block) {
        __m128i any = _mm_setzero_si128();
        for (const unsigned char member : probe.members)
            any = _mm_or_si128(any, _mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(member))));
        return any;
    };
    if (first.members.size() <= 4 && second.members.size() <= 4) {
        for (; p + 15 <= lastStart; p += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + probe1));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + probe2));
            auto mask = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_and_si128(setMask(first, a), setMask(second, b))));
            while (mask != 0) {
                const qsizetype start = p + __builtin_ctz(mask);
                if (matchesAt(start))
                    found(start);
                mask &= mask - 1;
            }
        }
    }
#endif
    for (; p <= lastStart; ++p) {
        if (classes[data[p + probe1]] == wanted[probe1] && matchesAt(p))
            found(p);
    }
}

// A line that starts a record, found on the bytes: its start and its key, -1 for a damaged
// header (the marker without a valid key), which ends the record before it and starts none.
struct Header
{
    qsizetype start = 0;
    int key = 0;
};

bool isLineStart(const unsigned char* data, qsizetype at)
{
    if (at == 0)
        return true;
    if (data[at - 1] == '\r')
        return data[at] != '\n';
    return data[at - 1] == '\n' && at >= 2 && data[at - 2] == '\r';
}

// Every header line of a Windows-1252 file, in order: lines of five characters or more whose
// characters 3 to 5 are the marker, as RecordFile::lineKind tells them.
std::vector<Header> headersOf(const QByteArray& bytes)
{
    static const QByteArray marker = TextCodec::toWindows1252(RecordFile::kMarker);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    std::vector<Header> headers;
    for (qsizetype at = bytes.indexOf(marker, 2); at >= 0; at = bytes.indexOf(marker, at + 1)) {
        const qsizetype start = at - 2;
        if (start < 0 || data[start] == '\r' || data[start + 1] == '\r' || !isLineStart(data, start))
            continue;
        const bool digits = std::isdigit(data[start]) && std::isdigit(data[start + 1]);
        const int key = digits ? (data[start] - '0') * 10 + (data[start + 1] - '0') : 0;
        headers.push_back({start, key >= 1 ? key : -1});
    }
    return headers;
}

// The text of a record from the bytes after its marker to the start of the next block: its
// lines joined with CR LF, the last line's end left off.
QString recordText(const char* begin, const char* end, RecordScan::Text part)
{
    if (part == RecordScan::Text::FirstLine) {
        if (const void* cr = std::memchr(begin, '\r', std::size_t(end - begin)))
            end = static_cast<const char*>(cr);
        return TextCodec::fromWindows1252(QByteArray::fromRawData(begin, end - begin));
    }
    if (end - begin >= 2 && end[-2] == '\r' && end[-1] == '\n')
        end -= 2;
    else if (end > begin && end[-1] == '\r')
        --end;
    QByteArray bytes = QByteArray::fromRawData(begin, end - begin);
    for (qsizetype i = bytes.indexOf('\r'); i >= 0; i = bytes.indexOf('\r', i + 2)) {
        if (i + 1 == bytes.size() || bytes.at(i + 1) != '\n')
            bytes.insert(i + 1, '\n'); // a line the file ends with a lone CR
    }
    return TextCodec::fromWindows1252(bytes);
}

// Reads a whole file into a buffer the thread keeps, so that file after file reuses the memory.
bool readInto(QFile& file, QByteArray& buffer)
{
    qsizetype total = 0;
    buffer.resize(std::max<qsizetype>(file.size(), 4096) + 1);
    for (;;) {
        const qint64 got = file.read(buffer.data() + total, buffer.size() - total);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        total += got;
        if (total == buffer.size())
            buffer.resize(total * 2);
    }
    buffer.resize(total);
    return file.error() == QFileDevice::NoError;
}

} // namespace

RecordScan::RecordScan(const QString& needle, Qt::CaseSensitivity sensitivity)
    : m_needle(needle)
    , m_sensitivity(sensitivity)
{
    const ByteTables& tables = byteTables();
    m_searchBytes = !needle.isEmpty() && !needle.contains(u'\r') && !needle.contains(u'\n');
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
    if (!m_needleFitsBytes || m_needleBytes.isEmpty())
        return;
    // The rarest position first, then the rarest other one: the scan compares both.
    const auto& classes = classesFor(sensitivity);
    std::vector<int> rarity(std::size_t(m_needleBytes.size()));
    for (qsizetype j = 0; j < m_needleBytes.size(); ++j) {
        for (int b = 0; b < 256; ++b)
            rarity[std::size_t(j)]
                += classes[b] == static_cast<unsigned char>(m_needleBytes.at(j)) ? commonness(b) : 0;
    }
    const auto rarest = std::min_element(rarity.begin(), rarity.end());
    m_probe1 = int(rarest - rarity.begin());
    *rarest = std::numeric_limits<int>::max();
    m_probe2 = m_needleBytes.size() == 1
        ? m_probe1
        : int(std::min_element(rarity.begin(), rarity.end()) - rarity.begin());
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
        // Runs of ASCII eight bytes at a time.
        std::uint64_t eight = 0;
        while (i + 8 <= size && (std::memcpy(&eight, data + i, 8), (eight & 0x8080808080808080ULL) == 0))
            i += 8;
        if (i >= size)
            break;
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

QList<RecordScan::Hit> RecordScan::byteHits(
    const QByteArray& bytes, int after, qsizetype limit, Text text) const
{
    if (!m_needleFitsBytes)
        return {};
    thread_local std::vector<qsizetype> matches;
    matches.clear();
    forEachMatch(bytes, m_needleBytes, classesFor(m_sensitivity), m_probe1, m_probe2,
        [](qsizetype at) { matches.push_back(at); });
    if (matches.empty())
        return {};

    // Which record each match lies in: the last header before it, when that is the first
    // record of its key and the match starts after the marker.
    const std::vector<Header> headers = headersOf(bytes);
    std::array<qsizetype, RecordFile::kKeyCount + 1> shown;
    shown.fill(-1);
    for (qsizetype h = 0; h < qsizetype(headers.size()); ++h) {
        const int key = headers[std::size_t(h)].key;
        if (key > 0 && shown[std::size_t(key)] < 0)
            shown[std::size_t(key)] = h;
    }
    std::array<bool, RecordFile::kKeyCount + 1> hit {};
    for (const qsizetype at : matches) {
        const auto next = std::upper_bound(
            headers.begin(), headers.end(), at, [](qsizetype p, const Header& h) { return p < h.start; });
        if (next == headers.begin())
            continue;
        const qsizetype h = (next - headers.begin()) - 1;
        const Header& header = headers[std::size_t(h)];
        if (header.key > 0 && shown[std::size_t(header.key)] == h && at >= header.start + 5)
            hit[std::size_t(header.key)] = true;
    }

    QList<Hit> found;
    for (int key = std::max(after, 0) + 1; key <= RecordFile::kKeyCount && found.size() < limit; ++key) {
        if (!hit[std::size_t(key)])
            continue;
        const auto h = std::size_t(shown[std::size_t(key)]);
        const qsizetype end = h + 1 < headers.size() ? headers[h + 1].start : bytes.size();
        found.append(
            {key, recordText(bytes.constData() + headers[h].start + 5, bytes.constData() + end, text)});
    }
    return found;
}

QList<RecordScan::Hit> RecordScan::decodedHits(
    const QByteArray& bytes, int after, qsizetype limit, Text text) const
{
    const QString content = TextCodec::decode(bytes);
    if (m_searchBytes && !content.contains(m_needle, m_sensitivity))
        return {};
    const std::array<QString, 100> texts = RecordFile::records(content);
    QList<Hit> found;
    for (int key = std::max(after, 0) + 1; key < int(texts.size()) && found.size() < limit; ++key) {
        const QString& record = texts[std::size_t(key)];
        if (!record.isEmpty() && record.contains(m_needle, m_sensitivity))
            found.append({key, text == Text::Whole ? record : record.left(record.indexOf(u'\r'))});
    }
    return found;
}

QList<RecordScan::Hit> RecordScan::hitsIn(
    const QByteArray& bytes, int after, qsizetype limit, Text text) const
{
    if (m_searchBytes && encodingOf(bytes) == Encoding::Windows1252)
        return byteHits(bytes, after, limit, text);
    return decodedHits(bytes, after, limit, text);
}

RecordScan::Hit RecordScan::firstHitIn(const QByteArray& bytes, int after) const
{
    const QList<Hit> found = hitsIn(bytes, after, 1, Text::Whole);
    return found.isEmpty() ? Hit {} : found.first();
}

Result<QList<RecordScan::Hit>> RecordScan::hits(
    const QString& file, int after, qsizetype limit, Text text) const
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (!input.exists())
            return QList<Hit> {};
        return Result<QList<Hit>>::failure(
            QStringLiteral("could not read %1 (%2)").arg(file, input.errorString()));
    }
    thread_local QByteArray buffer;
    if (!readInto(input, buffer))
        return Result<QList<Hit>>::failure(
            QStringLiteral("could not read %1 (%2)").arg(file, input.errorString()));
    return hitsIn(buffer, after, limit, text);
}

Result<RecordScan::Hit> RecordScan::firstHit(const QString& file, int after) const
{
    const Result<QList<Hit>> found = hits(file, after, 1, Text::Whole);
    if (!found)
        return Result<Hit>::failure(found.error());
    return found->isEmpty() ? Hit {} : found->first();
}
