// The record file: any bytes read without a crash, and a text written under a key reads back
// as written, whatever else the file held.
#include "FuzzSupport.h"
#include "core/RecordFile.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <algorithm>

namespace {

// The texts a record can hold: within the limit, its line breaks CR LF (a lone CR ends a line
// and comes back as CR LF), and no line after the first that a reader would take for a header.
QString storable(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (RecordFile::lineKind(lines[i]) != RecordFile::kContinuation)
            lines[i].prepend(u' ');
    }
    return RecordFile::cutToLimit(lines.join(QStringLiteral("\r\n")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const int key = data.ConsumeIntegralInRange(1, 99);
    const QString text = storable(FuzzSupport::text(data, 12000));
    const QByteArray existing = FuzzSupport::remainingBytes(data);

    const std::array<QString, 100> before = RecordFile::records(TextCodec::decode(existing));
    // The reader that cuts records on the bytes sees what the reader of decoded text sees.
    const RecordFile::Parsed parsed = RecordFile::parse(existing);
    for (int k = 1; k <= 99; ++k)
        FUZZ_CHECK(parsed.text(k) == before[std::size_t(k)]);
    const QString file = FuzzSupport::folder() + QStringLiteral("MoxenoTrellin1.txt");
    FUZZ_CHECK(TextFile::writeAtomically(file, existing).ok());
    FUZZ_CHECK(RecordFile::writeRecord(file, key, text).ok());

    const Result<QString> content = TextFile::read(file);
    FUZZ_CHECK(content.ok());
    const std::array<QString, 100> after = RecordFile::records(*content);
    // Removing a record shows the next record of the key that was hidden behind it, if any.
    const bool hiddenBehind = std::any_of(parsed.blocks.cbegin(), parsed.blocks.cend(),
        [key](const RecordFile::Parsed::Block& block) { return block.key == key && block.hidden; });
    FUZZ_CHECK(after[std::size_t(key)] == text || (text.isEmpty() && hiddenBehind));
    const Result<QString> stored = RecordFile::readRecord(file, key);
    FUZZ_CHECK(stored.ok() && *stored == after[std::size_t(key)]);
    // The other records keep their texts.
    for (int other = 1; other <= 99; ++other)
        FUZZ_CHECK(other == key || after[std::size_t(other)] == before[std::size_t(other)]);
    return 0;
}
