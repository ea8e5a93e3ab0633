// Find and replace in a notepad: a find lands on an occurrence inside the text, replacing all
// and back gives the text again, and the remembered list holds a used text once.
#include "FuzzSupport.h"
#include "notepads/FindReplace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const Qt::CaseSensitivity sensitivity = data.ConsumeBool() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const QString find = FuzzSupport::text(data, 16);
    const auto selectionStart = data.ConsumeIntegralInRange<qsizetype>(-2, 4000);
    const auto selectionLength = data.ConsumeIntegralInRange<qsizetype>(-2, 40);
    const QString text = FuzzSupport::remainingText(data);

    const std::optional<qsizetype> found
        = FindReplace::findNext(text, find, selectionStart, selectionLength, sensitivity);
    if (found) {
        FUZZ_CHECK(!find.isEmpty() && *found >= 0 && *found + find.size() <= text.size());
        FUZZ_CHECK(QStringView(text).mid(*found, find.size()).compare(find, sensitivity) == 0);
    }

    // A marker the text does not hold stands in for every occurrence, and goes back again.
    const QString marker(QChar(char16_t(0xE000)));
    if (!find.isEmpty() && !text.contains(marker) && !find.contains(marker)) {
        const FindReplace::Replaced out = FindReplace::replaceAll(text, find, marker);
        FUZZ_CHECK(out.text.count(marker) == out.count);
        FUZZ_CHECK(FindReplace::replaceAll(out.text, marker, find).text == text);
    }
    QStringList list {find, text.left(8), find};
    FindReplace::remember(list, find);
    FUZZ_CHECK(find.isEmpty() ? list.count(find) == 0 : list.count(find) == 1 && list.first() == find);
    return 0;
}
