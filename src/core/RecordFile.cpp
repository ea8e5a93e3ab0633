#include "core/RecordFile.h"

#include "core/FolderLock.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <optional>

const QString RecordFile::kMarker = QStringLiteral("!\u00AC:");

QString RecordFile::keyText(int key)
{
    return QStringLiteral("%1").arg(key, 2, 10, QLatin1Char('0'));
}

int RecordFile::lineKind(QStringView line)
{
    if (line.size() < 5 || line.mid(2, 3) != kMarker)
        return kContinuation;
    const QChar tens = line.at(0);
    const QChar ones = line.at(1);
    if (tens < u'0' || tens > u'9' || ones < u'0' || ones > u'9')
        return kDamagedHeader;
    const int key = (tens.unicode() - u'0') * 10 + (ones.unicode() - u'0');
    return key >= 1 ? key : kDamagedHeader;
}

RecordFile::Parsed RecordFile::parse(const QString& content)
{
    Parsed parsed;
    parsed.content = content;
    parsed.shown.fill(-1);
    // The lines as TextCodec::splitLines cuts them (CR or CR LF ends one, a lone LF does not),
    // kept as places in the content rather than copied out one by one.
    const QStringView all(content);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(QChar(u'\r'), start);
        if (end < 0)
            end = all.size();
        parsed.lines.append({start, end - start});
        start = end + 1;
        if (start < all.size() && all[start] == u'\n')
            ++start;
    }
    for (qsizetype i = 0; i < parsed.lines.size(); ++i) {
        const int kind = lineKind(parsed.line(i));
        if (kind == kContinuation && !parsed.blocks.isEmpty()) {
            ++parsed.blocks.last().count;
            continue;
        }
        Parsed::Block block;
        block.key = std::max(kind, 0);
        block.first = i;
        block.count = 1;
        if (block.key != 0) {
            qsizetype& shown = parsed.shown[std::size_t(block.key)];
            block.hidden = shown >= 0;
            if (!block.hidden)
                shown = parsed.blocks.size();
        }
        parsed.blocks.append(block);
    }
    return parsed;
}

QString RecordFile::Parsed::text(int key) const
{
    if (key < 1 || key > kKeyCount || shown[std::size_t(key)] < 0)
        return QString();
    const Block& block = blocks.at(shown[std::size_t(key)]);
    const Line& last = lines.at(block.first + block.count - 1);
    QString text;
    text.reserve(last.start + last.length - lines.at(block.first).start);
    text += line(block.first).mid(5);
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

Result<RecordFile::Parsed> RecordFile::readFile(const QString& file)
{
    const Result<QByteArray> bytes = TextFile::readBytesForRewrite(file);
    if (!bytes)
        return Result<Parsed>::failure(bytes.error());
    Parsed parsed = parse(TextCodec::decode(*bytes));
    parsed.bytes = *bytes;
    return parsed;
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

// Takes the lines of a block onto the end of the content, each with CR LF. Lines that end with
// CR LF in the content already go in one piece with their line ends.
void appendBlock(QString& out, const RecordFile::Parsed& parsed, const RecordFile::Parsed::Block& block)
{
    const QStringView content(parsed.content);
    qsizetype runStart = -1;
    qsizetype runEnd = -1;
    for (qsizetype i = block.first; i < block.first + block.count; ++i) {
        const RecordFile::Parsed::Line& line = parsed.lines.at(i);
        const qsizetype end = line.start + line.length;
        if (content.sliced(end).startsWith(u"\r\n")) {
            if (runStart < 0)
                runStart = line.start;
            runEnd = end + 2;
            continue;
        }
        if (runStart >= 0)
            out += content.sliced(runStart, runEnd - runStart);
        runStart = -1;
        out += parsed.line(i);
        out += u"\r\n";
    }
    if (runStart >= 0)
        out += content.sliced(runStart, runEnd - runStart);
}

// Runs a rewrite of a record file under the folder lock: change gets the file's records and
// returns the new content, or nothing to leave the file as it is. The file is read again under
// the lock, so that what another program wrote meanwhile is kept; when it still holds the bytes
// of read, their records are used as they are.
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
    const std::optional<QString> content = read && read->bytes == *bytes
        ? change(*read)
        : change(RecordFile::parse(TextCodec::decode(*bytes)));
    if (!content)
        return false;
    // One atomic rewrite: the file holds the old records or the new ones, never neither.
    const Result<> written = TextFile::writeAtomically(file, TextCodec::encode(*content));
    if (!written)
        return Result<bool>::failure(written.error());
    return true;
}

} // namespace

Result<> RecordFile::writeRecord(const QString& file, int key, const QString& text, const Parsed* read)
{
    if (text.size() > kMaxTextLength)
        return Result<>::failure(
            QStringLiteral("the text is %1 characters long, over the limit of 9,999").arg(text.size()));
    if (key < 1 || key > kKeyCount)
        return Result<>::failure(QStringLiteral("there is no key %1: keys run from 1 to 99").arg(key));

    const Result<bool> written = rewrite(file, read, [&](const Parsed& parsed) -> std::optional<QString> {
        QString content;
        content.reserve(parsed.content.size() + text.size() + 16);
        for (const Parsed::Block& block : parsed.blocks) {
            if (block.key != key)
                appendBlock(content, parsed, block);
        }
        if (!text.isEmpty())
            content += keyText(key) + kMarker + text + QStringLiteral("\r\n");
        for (const Parsed::Block& block : parsed.blocks) {
            if (block.key == key && block.hidden)
                appendBlock(content, parsed, block);
        }
        return content;
    });
    if (!written)
        return Result<>::failure(written.error());
    return Result<>::success();
}

Result<bool> RecordFile::exchangeKeys(const QString& file, int key, int other)
{
    return rewrite(file, nullptr, [&](const Parsed& parsed) -> std::optional<QString> {
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
        return content;
    });
}
