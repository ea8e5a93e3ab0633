// The names file: any bytes read as 99 names, and renaming one box changes that name only.
#include "FuzzSupport.h"
#include "boxes/NamesFile.h"
#include "core/DataFiles.h"
#include "core/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const int box = data.ConsumeIntegralInRange(1, 99);
    QString name = FuzzSupport::text(data, 64);
    // A name is one line: the rename dialog takes no line breaks.
    name.remove(u'\r').remove(u'\n');
    const QByteArray existing = FuzzSupport::remainingBytes(data);

    const QString folder = FuzzSupport::folder();
    FUZZ_CHECK(TextFile::writeAtomically(DataFiles::namesFile(folder), existing).ok());
    const Result<QStringList> before = NamesFile::read(folder);
    FUZZ_CHECK(before.ok() && before->size() == DataFiles::kBoxCount);
    FUZZ_CHECK(NamesFile::replace(folder, {{box, name}}).ok());
    const Result<QStringList> after = NamesFile::read(folder);
    FUZZ_CHECK(after.ok() && after->size() == DataFiles::kBoxCount);
    for (int other = 1; other <= DataFiles::kBoxCount; ++other)
        FUZZ_CHECK(after->at(other - 1) == (other == box ? name : before->at(other - 1)));
    return 0;
}
