// The text codec: any bytes decode, and any text encodes to bytes that decode to it again.
#include "FuzzSupport.h"
#include "core/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(bytes), qsizetype(size));
    const QString decoded = TextCodec::decode(raw);
    FUZZ_CHECK(TextCodec::decode(TextCodec::encode(decoded)) == decoded);
    // The same bytes as a text of their own.
    const QString text = QString::fromUtf8(raw);
    FUZZ_CHECK(TextCodec::decode(TextCodec::encode(text)) == text);
    return 0;
}
