// The search scan finds in a record file's bytes exactly what reading every record finds.
#include "FuzzSupport.h"
#include "core/RecordFile.h"
#include "core/TextCodec.h"
#include "search/RecordScan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const Qt::CaseSensitivity sensitivity = data.ConsumeBool() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const int after = data.ConsumeIntegralInRange(0, 99);
    const QString needle = FuzzSupport::text(data, 24);
    const QByteArray file = FuzzSupport::remainingBytes(data);

    const std::array<QString, 100> texts = RecordFile::records(TextCodec::decode(file));
    int expected = 0;
    for (int key = after + 1; key <= 99 && expected == 0; ++key) {
        if (!texts[std::size_t(key)].isEmpty() && texts[std::size_t(key)].contains(needle, sensitivity))
            expected = key;
    }
    const RecordScan::Hit hit = RecordScan(needle, sensitivity).firstHitIn(file, after);
    FUZZ_CHECK(hit.key == expected);
    FUZZ_CHECK(expected == 0 || hit.text == texts[std::size_t(expected)]);
    return 0;
}
