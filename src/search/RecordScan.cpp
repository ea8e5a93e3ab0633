#include "search/RecordScan.h"

#include "core/RecordFile.h"
#include "core/TextCodec.h"

#include <QFile>

#include <sys/mman.h>
#include <unistd.h>

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

// The next position at or after p, up to lastStart, where both probes pass; -1 for none. The
// probe bytes of 64 starting positions are tested at a time.
struct ProbePair
{
    qsizetype offset1, offset2;
    unsigned char or1, target1, or2, target2;
};

// Compiled twice, for processors with AVX2 and for all others, and chosen when the program loads.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx2", "default")))
#endif
qsizetype
nextCandidate(const unsigned char* data, qsizetype p, qsizetype lastStart, const ProbePair& q)
{
    using Bytes = unsigned char __attribute__((vector_size(32)));
    using Words = std::uint64_t __attribute__((vector_size(32)));
    Bytes a0, a1, b0, b1;
    for (; p + 63 <= lastStart; p += 64) {
        std::memcpy(&a0, data + p + q.offset1, sizeof(a0));
        std::memcpy(&a1, data + p + q.offset1 + 32, sizeof(a1));
        std::memcpy(&b0, data + p + q.offset2, sizeof(b0));
        std::memcpy(&b1, data + p + q.offset2 + 32, sizeof(b1));
        const auto passed = (((a0 | q.or1) == q.target1) & ((b0 | q.or2) == q.target2))
            | (((a1 | q.or1) == q.target1) & ((b1 | q.or2) == q.target2));
        Words words;
        std::memcpy(&words, &passed, sizeof(words));
        if ((words[0] | words[1] | words[2] | words[3]) != 0)
            break; // the loop below finds which of these 64 it is
    }
    for (; p <= lastStart; ++p) {
        if ((data[p + q.offset1] | q.or1) == q.target1 && (data[p + q.offset2] | q.or2) == q.target2)
            return p;
    }
    return -1;
}

// Tells a file's encoding as TextCodec::decode chooses it, from its bytes in pieces: a
// byte-order mark or valid UTF-8 reads as UTF-8, anything else as Windows-1252. Only a sure sign
// of invalid UTF-8 picks Windows-1252 here; when in doubt the file is read as text, which is
// always right, only slower.
class EncodingCheck
{
public:
    enum class Verdict
    {
        Open,
        Windows1252,
        Utf8,
    };

    // The next bytes of the file.
    void feed(const unsigned char* data, qsizetype size)
    {
        static constexpr unsigned char bom[] = {0xEF, 0xBB, 0xBF};
        for (qsizetype k = 0; m_seen < 3 && k < size; ++k, ++m_seen)
            m_bom = m_bom && data[k] == bom[m_seen];
        if (m_seen >= 3 && m_bom)
            m_verdict = Verdict::Utf8;
        qsizetype i = 0;
        for (; m_verdict == Verdict::Open && m_following > 0 && i < size; ++i, --m_following) {
            if (!isContinuation(data[i]))
                m_verdict = Verdict::Windows1252;
        }
        while (m_verdict == Verdict::Open && i < size) {
            i = afterAscii(data, i, size);
            if (i >= size)
                break;
            const unsigned char lead = data[i++];
            m_ascii = false;
            if (lead >= 0xC2 && lead <= 0xDF)
                m_following = 1;
            else if (lead >= 0xE0 && lead <= 0xEF)
                m_following = 2;
            else if (lead >= 0xF0 && lead <= 0xF4)
                m_following = 3;
            else
                m_verdict = Verdict::Windows1252;
            for (; m_verdict == Verdict::Open && m_following > 0 && i < size; ++i, --m_following) {
                if (!isContinuation(data[i]))
                    m_verdict = Verdict::Windows1252;
            }
        }
    }
    Verdict verdict() const { return m_verdict; }
    // At the end of the file. A sequence cut off by the end reads as UTF-8; plain ASCII reads
    // the same either way.
    Verdict finish() const
    {
        if (m_verdict != Verdict::Open)
            return m_verdict;
        return m_ascii ? Verdict::Windows1252 : Verdict::Utf8;
    }

private:
    // The end of the run of ASCII bytes from i.
    static qsizetype afterAscii(const unsigned char* data, qsizetype i, qsizetype size)
    {
#if defined(__SSE2__)
        for (; i + 16 <= size; i += 16) {
            if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i))) != 0)
                break;
        }
#endif
        while (i < size && data[i] < 0x80)
            ++i;
        return i;
    }

    Verdict m_verdict = Verdict::Open;
    qsizetype m_seen = 0;
    bool m_bom = true;
    bool m_ascii = true;
    int m_following = 0; // continuation bytes still due
};

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
    // The marker's rarest byte in text (its byte outside ASCII) is found with memchr, and the
    // rest compared around it.
    qsizetype rare = 0;
    while (rare + 1 < marker.size() && (marker.at(rare) & 0x80) == 0)
        ++rare;
    const qsizetype size = bytes.size();
    for (qsizetype from = 2 + rare; from < size; ++from) {
        const void* found = std::memchr(data + from, marker.at(rare), std::size_t(size - from));
        if (!found)
            break;
        from = static_cast<const unsigned char*>(found) - data;
        const qsizetype at = from - rare;
        if (at + marker.size() > size
            || std::memcmp(data + at, marker.constData(), std::size_t(marker.size())) != 0)
            continue;
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

// Sizes a buffer the thread keeps and, when that took fresh memory, maps all of its pages in one
// call: a page fault for each page costs many times more, on a virtual machine most of all.
void resizeBuffer(QByteArray& buffer, qsizetype size)
{
    const char* before = buffer.constData();
    buffer.resize(size);
#if defined(MADV_POPULATE_WRITE)
    if (buffer.constData() != before) {
        const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
        const std::uintptr_t begin = (std::uintptr_t(buffer.data()) + page - 1) & ~(page - 1);
        const std::uintptr_t end = (std::uintptr_t(buffer.data()) + std::uintptr_t(size)) & ~(page - 1);
        if (end > begin)
            madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE); // only a hint
    }
#endif
}

// Reads the rest of a file into a buffer the thread keeps, after the first `total` bytes it
// holds already, so that file after file reuses the memory.
bool readInto(QFileDevice& file, QByteArray& buffer, qsizetype total)
{
    resizeBuffer(buffer, std::max<qsizetype>({file.size(), total, 4096}) + 1);
    for (;;) {
        const qint64 got = file.read(buffer.data() + total, buffer.size() - total);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        total += got;
        if (total == buffer.size())
            resizeBuffer(buffer, total * 2);
    }
    buffer.resize(total);
    return file.error() == QFileDevice::NoError;
}

} // namespace

RecordScan::RecordScan(const QString& needle, Qt::CaseSensitivity sensitivity, qsizetype pieceBytes)
    : m_needle(needle)
    , m_sensitivity(sensitivity)
    , m_pieceBytes(std::max<qsizetype>(pieceBytes, 1))
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
    // The rarest position first, then the rarest other one: the scan tests both. Each position's
    // test passes the bytes of its case class, and those it lets through beside them.
    const auto& classes = classesFor(sensitivity);
    std::vector<Probe> probes;
    std::vector<int> rarity;
    for (qsizetype j = 0; j < m_needleBytes.size(); ++j) {
        const auto wanted = static_cast<unsigned char>(m_needleBytes.at(j));
        Probe probe {j, 0, wanted};
        for (int b = 0; b < 256; ++b) {
            if (classes[b] == wanted)
                probe.orMask |= static_cast<unsigned char>(b ^ wanted);
        }
        probe.target = wanted | probe.orMask;
        int commonnessSum = 0;
        for (int b = 0; b < 256; ++b)
            commonnessSum
                += (b | probe.orMask) == probe.target ? commonness(static_cast<unsigned char>(b)) : 0;
        probes.push_back(probe);
        rarity.push_back(commonnessSum);
    }
    const auto rarest = std::min_element(rarity.begin(), rarity.end());
    m_probe1 = probes[std::size_t(rarest - rarity.begin())];
    *rarest = std::numeric_limits<int>::max();
    m_probe2 = probes.size() == 1
        ? m_probe1
        : probes[std::size_t(std::min_element(rarity.begin(), rarity.end()) - rarity.begin())];
}

RecordScan::Encoding RecordScan::encodingOf(const QByteArray& bytes)
{
    if (!byteTables().usable)
        return Encoding::Utf8;
    EncodingCheck check;
    check.feed(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
    return check.finish() == EncodingCheck::Verdict::Windows1252 ? Encoding::Windows1252 : Encoding::Utf8;
}

qsizetype RecordScan::firstMatch(const unsigned char* data, qsizetype size, qsizetype from) const
{
    const auto* wanted = reinterpret_cast<const unsigned char*>(m_needleBytes.constData());
    const qsizetype length = m_needleBytes.size();
    const auto& classes = classesFor(m_sensitivity);
    const ProbePair probes {
        m_probe1.offset, m_probe2.offset, m_probe1.orMask, m_probe1.target, m_probe2.orMask, m_probe2.target};
    for (qsizetype p = nextCandidate(data, from, size - length, probes); p >= 0;
         p = nextCandidate(data, p + 1, size - length, probes)) {
        qsizetype j = 0;
        while (j < length && classes[data[p + j]] == wanted[j])
            ++j;
        if (j == length)
            return p;
    }
    return -1;
}

RecordScan::Pass RecordScan::firstPass(QFileDevice& input, QByteArray& piece, qsizetype& kept) const
{
    // The last bytes of a piece are kept before the next one, so that a needle across the
    // boundary is seen whole.
    const qsizetype keep = m_needleFitsBytes ? m_needleBytes.size() - 1 : 0;
    kept = 0;
    if (piece.size() < keep + m_pieceBytes)
        resizeBuffer(piece, keep + m_pieceBytes);
    auto* data = reinterpret_cast<unsigned char*>(piece.data());
    EncodingCheck encoding;
    qsizetype held = 0;
    for (bool first = true;; first = false) {
        const qint64 got = input.read(piece.data() + held, m_pieceBytes);
        if (got < 0)
            return Pass::Failed;
        if (got == 0)
            break;
        encoding.feed(data + held, got);
        const qsizetype size = held + got;
        if (encoding.verdict() == EncodingCheck::Verdict::Utf8
            || (m_needleFitsBytes && firstMatch(data, size, 0) >= 0)) {
            if (first)
                kept = size;
            else if (!input.seek(0))
                return Pass::Failed;
            return Pass::MayHold;
        }
        held = std::min(keep, size);
        std::memmove(data, data + size - held, std::size_t(held));
    }
    if (input.error() != QFileDevice::NoError)
        return Pass::Failed;
    if (encoding.finish() == EncodingCheck::Verdict::Windows1252)
        return Pass::NoHits;
    // Valid UTF-8 is only known at the end: the file is read again from its start.
    return input.seek(0) ? Pass::MayHold : Pass::Failed;
}

QList<RecordScan::Hit> RecordScan::byteHits(
    const QByteArray& bytes, int after, qsizetype limit, Text text) const
{
    if (!m_needleFitsBytes)
        return {};
    thread_local std::vector<qsizetype> matches;
    matches.clear();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    for (qsizetype at = firstMatch(data, bytes.size(), 0); at >= 0;
         at = firstMatch(data, bytes.size(), at + 1))
        matches.push_back(at);
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
    // Each record is decoded on its own, never the whole file at once.
    const RecordFile::Parsed parsed = RecordFile::parse(bytes);
    QList<Hit> found;
    for (int key = std::max(after, 0) + 1; key <= RecordFile::kKeyCount && found.size() < limit; ++key) {
        const QString record = parsed.text(key);
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
    qsizetype kept = 0;
    if (m_searchBytes && byteTables().usable) {
        const Pass pass = firstPass(input, buffer, kept);
        if (pass == Pass::NoHits)
            return QList<Hit> {};
        if (pass == Pass::Failed)
            return Result<QList<Hit>>::failure(
                QStringLiteral("could not read %1 (%2)").arg(file, input.errorString()));
    }
    if (!readInto(input, buffer, kept))
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
