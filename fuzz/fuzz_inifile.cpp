// The INI file: a value written reads back, and every other value of the file reads as before.
#include "FuzzSupport.h"
#include "core/IniFile.h"
#include "core/TextFile.h"

namespace {

// Section and key names as the program uses them: letters, digits and inner blanks.
QString plainName(FuzzedDataProvider& data)
{
    static const char kCharacters[] = "abcAB01 ";
    QString name;
    const int length = data.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < length; ++i)
        name += QChar(kCharacters[data.ConsumeIntegralInRange<std::size_t>(0, sizeof kCharacters - 2)]);
    return name.trimmed().isEmpty() ? QStringLiteral("k") : name.trimmed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString section = plainName(data);
    const QString key = plainName(data);
    const QString otherSection = plainName(data);
    const QString otherKey = plainName(data);
    // Blanks and quotes around a value are not kept by the format, so the value has none.
    QString value = FuzzSupport::text(data, 400).trimmed();
    while (!value.isEmpty() && (value.front() == u'"' || value.front() == u'\''))
        value.remove(0, 1);
    const QByteArray existing = FuzzSupport::remainingBytes(data);

    const QString path = FuzzSupport::folder() + QStringLiteral("settings.ini");
    FUZZ_CHECK(TextFile::writeAtomically(path, existing).ok());
    const QString otherBefore = IniFile::read(path, otherSection, otherKey, QStringLiteral("\x01"));
    FUZZ_CHECK(IniFile::write(path, section, key, value).ok());

    QString stored = value;
    stored.replace(u'\r', u' ').replace(u'\n', u' ');
    stored = stored.trimmed();
    if (stored.size() >= 2 && (stored.back() == u'"' || stored.back() == u'\'')
        && stored.front() == stored.back())
        stored = stored.mid(1, stored.size() - 2);
    FUZZ_CHECK(
        IniFile::read(path, section, key, QStringLiteral("\x01")) == stored.left(IniFile::kMaxValueLength));
    const bool sameKey = section.compare(otherSection, Qt::CaseInsensitive) == 0
        && key.compare(otherKey, Qt::CaseInsensitive) == 0;
    FUZZ_CHECK(sameKey || IniFile::read(path, otherSection, otherKey, QStringLiteral("\x01")) == otherBefore);
    return 0;
}
