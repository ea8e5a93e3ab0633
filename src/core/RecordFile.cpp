#include "core/RecordFile.h"

#include "core/FolderLock.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QStringTokenizer>

#include <cstring>
#include <optional>

const QString RecordFile::kMarker = QStringLiteral("!\u00AC:");

QString RecordFile::keyText(int key)
{
    return QStringLiteral("%1").arg(key, 2, 10, QLatin1Char('0'));
}

int RecordFile::lineKind(QStringView line)
{
    if (line.size() < 5 || line[2] != kMarker[0] || line[3] != kMarker[1] || line[4] != kMarker[2])
        return kContinuation;
    const QChar tens = line.at(0);
    const QChar ones = line.at(1);
    if (tens < u'0' || tens > u'9' || ones < u'0' || ones > u'9')
        return kDamagedHeader;
    const int key = (tens.unicode() - u'0') * 10 + (ones.unicode() - u'0');
    return key >= 1 ? key : kDamagedHeader;
}

namespace {

constexpr char kMarkerByte = '\xAC'; // the "¬" of the marker, in Windows-1252 and in UTF-8

// Where the line holding data[at] starts: after the CR (or CR LF) before it, or at from.
qsizetype lineStartBefore(const QByteArray& data, qsizetype from, qsizetype at)
{
    for (qsizetype i = at - 1; i >= from; --i) {
        if (data[i] == '\r')
            return i + 1;
        if (data[i] == '\n' && i > from && data[i - 1] == '\r')
            return i + 1;
    }
    return from;
}

// The key of the header line that the marker whose "¬" byte is at sits in, kDamagedHeader for a
// header line with no valid key, kContinuation when the marker is not at characters 3-5 of a line.
int headerAt(const RecordFile::Parsed& parsed, qsizetype at, qsizetype* lineStart)
{
    const QByteArray& data = parsed.bytes;
    const qsizetype markerStart = at - (parsed.utf8 ? 2 : 1);
    if (markerStart < parsed.begin || at + 1 >= data.size() || data[markerStart] != '!' || data[at + 1] != ':'
        || (parsed.utf8 && data[at - 1] != '\xC2'))
        return RecordFile::kContinuation;
    // Two characters before the marker take 2 bytes, or up to 6 in UTF-8 (none of them a CR).
    const qsizetype start = lineStartBefore(data, std::max(parsed.begin, markerStart - 8), markerStart);
    if (markerStart - start < 2 || markerStart - start > (parsed.utf8 ? 6 : 2))
        return RecordFile::kContinuation;
    // In UTF-8 the two characters before the marker may take two UTF-16 units or more.
    const QByteArrayView before = QByteArrayView(data).sliced(start, markerStart - start);
    const QString key = parsed.utf8 ? TextCodec::fromUtf8(before) : QString::fromLatin1(before);
    if (key.size() != 2)
        return RecordFile::kContinuation;
    *lineStart = start;
    return RecordFile::lineKind(key + RecordFile::kMarker);
}

// The end of the last line of data[from, to): before its CR LF or CR when it has one.
qsizetype lineEndBefore(const QByteArray& data, qsizetype from, qsizetype to)
{
    if (to - from >= 2 && data[to - 2] == '\r' && data[to - 1] == '\n')
        return to - 2;
    if (to > from && data[to - 1] == '\r')
        return to - 1;
    return to;
}

// The text with every lone CR made CR LF.
QString withCrLf(QString text)
{
    qsizetype cr = text.indexOf(u'\r');
    while (cr >= 0) {
        if (cr + 1 >= text.size() || text.at(cr + 1) != u'\n')
            text.insert(cr + 1, u'\n');
        cr = text.indexOf(u'\r', cr + 2);
    }
    return text;
}

RecordFile::Parsed parseData(const QByteArray& bytes, qsizetype begin, bool utf8)
{
    RecordFile::Parsed parsed;
    parsed.bytes = bytes;
    parsed.begin = begin;
    parsed.utf8 = utf8;
    const QByteArray& all = parsed.bytes;
    const qsizetype size = all.size();
    // Headers are found by the marker's rarest byte, not line by line: a full file has some
    // 14,000 lines and 99 headers.
    const auto addBlock = [&parsed](int kind, qsizetype start) {
        if (!parsed.blocks.isEmpty())
            parsed.blocks.last().end = start;
        RecordFile::Parsed::Block block;
        block.key = std::max(kind, 0);
        block.start = start;
        if (block.key != 0) {
            qsizetype& shown = parsed.shown[std::size_t(block.key)];
            block.hidden = shown >= 0;
            if (!block.hidden)
                shown = parsed.blocks.size();
        }
        parsed.blocks.append(block);
    };
    qsizetype from = begin;
    while (from < size) {
        const auto* found = static_cast<const char*>(
            std::memchr(all.constData() + from, kMarkerByte, std::size_t(size - from)));
        if (!found)
            break;
        const qsizetype at = found - all.constData();
        qsizetype lineStart = 0;
        const int kind = headerAt(parsed, at, &lineStart);
        if (kind != RecordFile::kContinuation) {
            if (parsed.blocks.isEmpty() && lineStart > begin)
                addBlock(RecordFile::kContinuation, begin);
            addBlock(kind, lineStart);
        }
        from = at + 1;
    }
    if (parsed.blocks.isEmpty() && size > begin)
        addBlock(RecordFile::kContinuation, begin);
    if (!parsed.blocks.isEmpty())
        parsed.blocks.last().end = size;
    return parsed;
}

} // namespace

RecordFile::Parsed RecordFile::parse(const QByteArray& bytes)
{
    // After the mark, bytes that are not well-formed UTF-8 decode to replacement characters the
    // same way record by record as in the whole file: a CR or LF byte ends every faulty sequence.
    if (bytes.startsWith(TextCodec::kUtf8Bom))
        return parseData(bytes, TextCodec::kUtf8Bom.size(), true);
    bool ascii = false;
    const bool utf8 = TextCodec::isUtf8(bytes, &ascii) && !ascii;
    return parseData(bytes, 0, utf8);
}

QString RecordFile::Parsed::decodeLines(qsizetype from, qsizetype to) const
{
    const QByteArrayView part = QByteArrayView(bytes).sliced(from, to - from);
    return withCrLf(utf8 ? TextCodec::fromUtf8(part) : TextCodec::fromWindows1252(part));
}

std::pair<qsizetype, qsizetype> RecordFile::Parsed::textRange(int key) const
{
    if (key < 1 || key > kKeyCount || shown[std::size_t(key)] < 0)
        return {0, 0};
    const Block& block = blocks.at(shown[std::size_t(key)]);
    const qsizetype start = block.start + (utf8 ? 6 : 5);
    return {start, std::max(start, lineEndBefore(bytes, start, block.end))};
}

QString RecordFile::Parsed::text(int key) const
{
    const auto [start, end] = textRange(key);
    return start == end ? QString() : decodeLines(start, end);
}

QString RecordFile::Parsed::textStart(int key, qsizetype units) const
{
    const auto [start, end] = textRange(key);
    // A UTF-16 unit takes at most three bytes; the cut is moved back to a character's start.
    qsizetype cut = std::min(end, start + (utf8 ? 3 * units + 4 : units));
    if (utf8) {
        while (cut < end && cut > start && (bytes[cut] & 0xC0) == 0x80)
            --cut;
    }
    return start == cut ? QString() : decodeLines(start, cut).left(units);
}

bool RecordFile::Parsed::hasText(int key) const
{
    const auto [start, end] = textRange(key);
    return end > start;
}

QString RecordFile::Parsed::firstLine(int key) const
{
    const auto [start, end] = textRange(key);
    const auto* cr
        = static_cast<const char*>(std::memchr(bytes.constData() + start, '\r', std::size_t(end - start)));
    return start == end ? QString() : decodeLines(start, cr ? cr - bytes.constData() : end);
}

bool RecordFile::Parsed::sameText(const Parsed& other, int key) const
{
    const auto [start, end] = textRange(key);
    const auto [otherStart, otherEnd] = other.textRange(key);
    if (utf8 == other.utf8
        && QByteArrayView(bytes).sliced(start, end - start)
            == QByteArrayView(other.bytes).sliced(otherStart, otherEnd - otherStart))
        return true;
    return text(key) == other.text(key);
}

qsizetype RecordFile::Parsed::unshownLines() const
{
    qsizetype count = 0;
    for (const Block& block : blocks) {
        if (block.key != 0 && !block.hidden)
            continue;
        const QString lines = decodeLines(block.start, lineEndBefore(bytes, block.start, block.end));
        for (const QStringView line : QStringTokenizer(lines, u"\r\n"))
            count += line.trimmed().isEmpty() ? 0 : 1;
    }
    return count;
}

std::array<QString, RecordFile::kKeyCount + 1> RecordFile::records(const QString& content)
{
    const QByteArray utf8 = content.toUtf8();
    const Parsed parsed = parseData(utf8, 0, true);
    std::array<QString, kKeyCount + 1> texts;
    for (int key = 1; key <= kKeyCount; ++key)
        texts[std::size_t(key)] = parsed.text(key);
    return texts;
}

Result<RecordFile::Parsed> RecordFile::readFile(const QString& file)
{
    const Result<QByteArray> bytes = TextFile::readBytesForRewrite(file);
    if (!bytes)
        return Result<Parsed>::failure(bytes.error());
    return parse(*bytes);
}

Result<QString> RecordFile::readRecord(const QString& file, int key)
{
    const Result<Parsed> parsed = readFile(file);
    if (!parsed)
        return Result<QString>::failure(parsed.error());
    return parsed->text(key);
}

QString RecordFile::withFileLineEnds(const QString& text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    result.replace(u'\n', QStringLiteral("\r\n"));
    return result;
}

QString RecordFile::longTextQuestion(const QString& text)
{
    constexpr int kShownLines = 5;
    constexpr int kShownCharacters = 400;
    const QString dropped = text.mid(cutToLimit(text).size());
    QString shown = dropped.left(kShownCharacters);
    const QStringList lines = shown.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (lines.size() > kShownLines)
        shown = lines.mid(0, kShownLines).join(u'\n');
    if (shown.size() < dropped.size())
        shown += QStringLiteral(" ...");
    return QStringLiteral(
               "Continue?\n\nThe text is over 9,999 characters long. The following will not be saved:\n\n")
        + shown
        + QStringLiteral("\n\n(%1 character%2 will not be saved.)")
              .arg(QLocale(QLocale::English).toString(dropped.size()),
                  dropped.size() == 1 ? QString() : QStringLiteral("s"));
}

QString RecordFile::cutToLimit(const QString& text)
{
    if (text.size() <= kMaxTextLength)
        return text;
    qsizetype length = kMaxTextLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

namespace {

// Takes the lines of a block onto the end of out, each with CR LF. Where out holds bytes, the
// data must be one byte a character: lines that end with CR LF there already go in one piece
// with their line ends.
void appendBlock(QByteArray& out, const RecordFile::Parsed& parsed, qsizetype start, qsizetype end)
{
    const char* data = parsed.bytes.constData();
    qsizetype from = start;
    for (qsizetype at = start; at < end;) {
        const auto* cr = static_cast<const char*>(std::memchr(data + at, '\r', std::size_t(end - at)));
        if (!cr)
            break;
        at = cr - data + 1;
        if (at < end && data[at] == '\n') {
            ++at;
            continue;
        }
        out.append(data + from, at - from);
        out.append('\n');
        from = at;
    }
    out.append(data + from, end - from);
    if (lineEndBefore(parsed.bytes, start, end) == end)
        out.append("\r\n");
}

void appendBlock(QString& out, const RecordFile::Parsed& parsed, qsizetype start, qsizetype end)
{
    out += parsed.decodeLines(start, lineEndBefore(parsed.bytes, start, end));
    out += u"\r\n";
}

// Runs a rewrite of a record file under the folder lock: change gets the file's records and
// returns the new file's bytes, or nothing to leave the file as it is. The file is read again
// under the lock, so that what another program wrote meanwhile is kept; when it still holds the
// bytes of read, their records are used as they are.
template<typename Change>
Result<bool> rewrite(const QString& file, const RecordFile::Parsed* read, Change change)
{
    FolderLock lock(QFileInfo(file).absolutePath());
    if (!lock.isLocked())
        return Result<bool>::failure(lock.errorString());
    // A file that exists but cannot be read is never rewritten; a missing one reads as empty.
    const Result<QByteArray> bytes = TextFile::readBytesForRewrite(file);
    if (!bytes)
        return Result<bool>::failure(bytes.error());
    const std::optional<QByteArray> written
        = read && read->bytes == *bytes ? change(*read) : change(RecordFile::parse(*bytes));
    if (!written)
        return false;
    // One atomic rewrite: the file holds the old records or the new ones, never neither.
    if (const Result<> replaced = TextFile::writeAtomically(file, *written); !replaced)
        return Result<bool>::failure(replaced.error());
    return true;
}

// The records of parsed with key's shown record replaced by record (a header line and its
// text, or nothing to remove it), moved to the end, the key's hidden records after it.
template<typename Out>
void replaceRecord(Out& out, const RecordFile::Parsed& parsed, int key, const Out& record)
{
    for (const RecordFile::Parsed::Block& block : parsed.blocks) {
        if (block.key != key)
            appendBlock(out, parsed, block.start, block.end);
    }
    out.append(record);
    for (const RecordFile::Parsed::Block& block : parsed.blocks) {
        if (block.key == key && block.hidden)
            appendBlock(out, parsed, block.start, block.end);
    }
}

} // namespace

Result<> RecordFile::writeRecord(const QString& file, int key, const QString& text, const Parsed* read)
{
    if (text.size() > kMaxTextLength)
        return Result<>::failure(
            QStringLiteral("the text is %1 characters long, over the limit of 9,999").arg(text.size()));
    if (key < 1 || key > kKeyCount)
        return Result<>::failure(QStringLiteral("there is no key %1: keys run from 1 to 99").arg(key));

    const QString record
        = text.isEmpty() ? QString() : keyText(key) + kMarker + text + QStringLiteral("\r\n");
    const Result<bool> written = rewrite(file, read, [&](const Parsed& parsed) -> std::optional<QByteArray> {
        // A file read one byte a character (Windows-1252 or ASCII) that keeps fitting Windows-1252
        // is put together from its own bytes: only the new record is encoded.
        if (!parsed.utf8 && TextCodec::fitsWindows1252(record)) {
            QByteArray bytes;
            bytes.reserve(parsed.bytes.size() + record.size() + 16);
            replaceRecord(bytes, parsed, key, TextCodec::toWindows1252(record));
            if (TextCodec::readsBackAsWritten(bytes))
                return bytes;
        }
        QString content;
        replaceRecord(content, parsed, key, record);
        return TextCodec::encode(content);
    });
    if (!written)
        return Result<>::failure(written.error());
    return Result<>::success();
}

Result<bool> RecordFile::exchangeKeys(const QString& file, int key, int other)
{
    return rewrite(file, nullptr, [&](const Parsed& parsed) -> std::optional<QByteArray> {
        QString content;
        bool changed = false;
        for (const Parsed::Block& block : parsed.blocks) {
            if (block.key == key || block.key == other) {
                // The header's key is two ASCII digits in both encodings.
                content += keyText(block.key == key ? other : key);
                appendBlock(content, parsed, block.start + 2, block.end);
                changed = true;
            } else {
                appendBlock(content, parsed, block.start, block.end);
            }
        }
        if (!changed)
            return std::nullopt;
        return TextCodec::encode(content);
    });
}
