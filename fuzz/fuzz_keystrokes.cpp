// The keystroke notation: any text parses or names the character it fails at, and the escaped
// form of a text parses.
#include "FuzzSupport.h"
#include "macros/KeystrokeNotation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString notation = FuzzSupport::remainingText(data);
    const KeystrokeNotation::Result parsed = KeystrokeNotation::parse(notation);
    if (!parsed.ok()) {
        const qsizetype characters = notation.toUcs4().size();
        FUZZ_CHECK(parsed.error->position >= 1 && parsed.error->position <= characters + 1);
        FUZZ_CHECK(!parsed.error->reason.isEmpty());
    }
    // Control characters have no key; every other text can be typed literally.
    QString typed = notation;
    typed.removeIf([](QChar c) {
        return c.category() == QChar::Other_Control && c != u'\r' && c != u'\n' && c != u'\t';
    });
    FUZZ_CHECK(KeystrokeNotation::parse(KeystrokeNotation::escape(typed)).ok());
    return 0;
}
