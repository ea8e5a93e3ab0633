#include "core/RecordFile.h"

#include "core/FolderLock.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Calls found(index) for every CR of the text, in order. Sixteen characters are compared at a
// time: a file of long texts has a line end every 70 characters or so, and a search call per
// line costs more than the comparisons.
template<typename Found> void forEachCr(QStringView text, Found found)
{
    const char16_t* data = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16(u'\r');
    for (; i + 16 <= size; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 8));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(low, cr), _mm_cmpeq_epi16(high, cr))));
        while (mask != 0) {
            found(i + __builtin_ctz(mask));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < size; ++i) {
        if (data[i] == u'\r')
            found(i);
    }
}

} // namespace

RecordFile::Parsed RecordFile::parse(const QString& content)
{
    Parsed parsed;
    parsed.content = content;
    parsed.shown.fill(-1);
    // The lines as TextCodec::splitLines cuts them (CR or CR LF ends one, a lone LF does not),
    // kept as places in the content rather than copied out one by one, and sorted into blocks
    // as they are found.
    const QStringView all(content);
    parsed.lines.reserve(std::size_t(all.size() / 64 + 16));
    const auto addLine = [&parsed, all](qsizetype start, qsizetype end) {
        const auto index = qsizetype(parsed.lines.size());
        parsed.lines.push_back({start, end - start});
        const int kind = lineKind(all.sliced(start, end - start));
        if (kind == kContinuation && !parsed.blocks.isEmpty()) {
            ++parsed.blocks.last().count;
            return;
        }
        Parsed::Block block;
        block.key = std::max(kind, 0);
        block.first = index;
        block.count = 1;
        if (block.key != 0) {
            qsizetype& shown = parsed.shown[std::size_t(block.key)];
            block.hidden = shown >= 0;
            if (!block.hidden)
                shown = parsed.blocks.size();
        }
        parsed.blocks.append(block);
    };
    qsizetype start = 0;
    forEachCr(all, [&](qsizetype end) {
        addLine(start, end);
        start = end + 1;
        if (start < all.size() && all[start] == u'\n')
            ++start;
    });
    if (start < all.size())
        addLine(start, all.size());
    return parsed;
}

QStringView RecordFile::Parsed::firstLine(int key) const
{
    if (key < 1 || key > kKeyCount || shown[std::size_t(key)] < 0)
        return {};
    return line(blocks.at(shown[std::size_t(key)]).first).sliced(5);
}

std::optional<QStringView> RecordFile::Parsed::textInContent(int key) const
{
    if (key < 1 || key > kKeyCount || shown[std::size_t(key)] < 0)
        return QStringView();
    const Block& block = blocks.at(shown[std::size_t(key)]);
    const auto first = std::size_t(block.first);
    const auto end = std::size_t(block.first + block.count);
    for (std::size_t i = first + 1; i < end; ++i) {
        if (lines[i].start != lines[i - 1].start + lines[i - 1].length + 2)
            return std::nullopt;
    }
    const qsizetype begin = lines[first].start + 5;
    return QStringView(content).sliced(begin, lines[end - 1].start + lines[end - 1].length - begin);
}

QString RecordFile::Parsed::text(int key) const
{
    if (const std::optional<QStringView> whole = textInContent(key))
        return whole->toString();
    const Block& block = blocks.at(shown[std::size_t(key)]);
    QString text;
    text += line(block.first).sliced(5);
    for (qsizetype i = block.first + 1; i < block.first + block.count; ++i) {
        text += u"\r\n";
        text += line(i);
    }
    return text;
}

qsizetype RecordFile::Parsed::unshownLines() const
{
    qsizetype count = 0;
    for (const Block& block : blocks) {
        if (block.key != 0 && !block.hidden)
            continue;
        for (qsizetype i = block.first; i < block.first + block.count; ++i)
            count += line(i).trimmed().isEmpty() ? 0 : 1;
    }
    return count;
}

std::array<QString, RecordFile::kKeyCount + 1> RecordFile::records(const QString& content)
{
    const Parsed parsed = parse(content);
    std::array<QString, kKeyCount + 1> texts;
    for (int key = 1; key <= kKeyCount; ++key)
        texts[std::size_t(key)] = parsed.text(key);
    return texts;
}

namespace {

RecordFile::Parsed parseBytes(const QByteArray& bytes)
{
    RecordFile::Parsed parsed = RecordFile::parse(TextCodec::decode(bytes));
    parsed.bytes = bytes;
    return parsed;
}

} // namespace

Result<RecordFile::Parsed> RecordFile::readFile(const QString& file)
{
    const Result<QByteArray> bytes = TextFile::readBytesForRewrite(file);
    if (!bytes)
        return Result<Parsed>::failure(bytes.error());
    return parseBytes(*bytes);
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

// Takes the lines of a block onto the end of out, each with CR LF, from source: the content, or
// the file's bytes where they hold one byte per character of it. Lines that end with CR LF in
// the source already go in one piece with their line ends.
template<typename Out, typename View>
void appendBlock(Out& out, View source, View crLf, const RecordFile::Parsed& parsed,
    const RecordFile::Parsed::Block& block)
{
    qsizetype runStart = -1;
    qsizetype runEnd = -1;
    for (qsizetype i = block.first; i < block.first + block.count; ++i) {
        const RecordFile::Parsed::Line& line = parsed.lines[std::size_t(i)];
        const qsizetype end = line.start + line.length;
        if (end + 1 < source.size() && source[end] == u'\r' && source[end + 1] == u'\n') {
            if (runStart < 0)
                runStart = line.start;
            runEnd = end + 2;
            continue;
        }
        if (runStart >= 0)
            out.append(source.sliced(runStart, runEnd - runStart));
        runStart = -1;
        out.append(source.sliced(line.start, line.length));
        out.append(crLf);
    }
    if (runStart >= 0)
        out.append(source.sliced(runStart, runEnd - runStart));
}

void appendBlock(QString& out, const RecordFile::Parsed& parsed, const RecordFile::Parsed::Block& block)
{
    appendBlock(out, QStringView(parsed.content), QStringView(u"\r\n"), parsed, block);
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
        = read && read->bytes == *bytes ? change(*read) : change(parseBytes(*bytes));
    if (!written)
        return false;
    // One atomic rewrite: the file holds the old records or the new ones, never neither.
    if (const Result<> replaced = TextFile::writeAtomically(file, *written); !replaced)
        return Result<bool>::failure(replaced.error());
    return true;
}

// The records of parsed with key's shown record replaced by record (a header line and its
// text, or nothing to remove it), moved to the end, the key's hidden records after it.
template<typename Out, typename View>
void replaceRecord(Out& out, View source, View crLf, const RecordFile::Parsed& parsed, int key, View record)
{
    for (const RecordFile::Parsed::Block& block : parsed.blocks) {
        if (block.key != key)
            appendBlock(out, source, crLf, parsed, block);
    }
    out.append(record);
    for (const RecordFile::Parsed::Block& block : parsed.blocks) {
        if (block.key == key && block.hidden)
            appendBlock(out, source, crLf, parsed, block);
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
        if (parsed.bytes.size() == parsed.content.size() && TextCodec::fitsWindows1252(record)) {
            QByteArray bytes;
            bytes.reserve(parsed.bytes.size() + record.size() + 16);
            replaceRecord(bytes, QByteArrayView(parsed.bytes), QByteArrayView("\r\n"), parsed, key,
                QByteArrayView(TextCodec::toWindows1252(record)));
            if (TextCodec::readsBackAsWritten(bytes))
                return bytes;
        }
        QString content;
        content.reserve(parsed.content.size() + record.size() + 16);
        replaceRecord(
            content, QStringView(parsed.content), QStringView(u"\r\n"), parsed, key, QStringView(record));
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
        content.reserve(parsed.content.size() + 16);
        bool changed = false;
        for (const Parsed::Block& block : parsed.blocks) {
            if (block.key == key || block.key == other) {
                content += keyText(block.key == key ? other : key);
                content += parsed.line(block.first).mid(2);
                content += u"\r\n";
                appendBlock(content, parsed, {block.key, block.first + 1, block.count - 1, block.hidden});
                changed = true;
            } else {
                appendBlock(content, parsed, block);
            }
        }
        if (!changed)
            return std::nullopt;
        return TextCodec::encode(content);
    });
}
