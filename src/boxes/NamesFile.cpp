#include "boxes/NamesFile.h"

#include "core/DataFiles.h"
#include "core/FolderLock.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>

namespace {

QStringList defaults()
{
    QStringList names;
    for (int box = 1; box <= DataFiles::kBoxCount; ++box)
        names.append(NamesFile::defaultName(box));
    return names;
}

QStringList completed(QStringList lines)
{
    while (lines.size() > DataFiles::kBoxCount)
        lines.removeLast();
    for (int box = int(lines.size()) + 1; box <= DataFiles::kBoxCount; ++box)
        lines.append(NamesFile::defaultName(box));
    return lines;
}

} // namespace

Result<> NamesFile::ensureNamesFile(const QString& folder)
{
    const QString path = DataFiles::namesFile(folder);
    if (QFileInfo::exists(path))
        return Result<>::success();
    FolderLock lock(folder);
    if (!lock.isLocked())
        return Result<>::failure(lock.errorString());
    if (QFileInfo::exists(path))
        return Result<>::success();
    return TextFile::writeAtomically(path, TextCodec::encode(TextCodec::joinLines(defaults())));
}

Result<QStringList> NamesFile::read(const QString& folder)
{
    const QString path = DataFiles::namesFile(folder);
    if (!QFileInfo::exists(path))
        return defaults();
    const Result<QString> content = TextFile::read(path);
    if (!content)
        return Result<QStringList>::failure(content.error());
    return completed(TextCodec::splitAnyLines(*content));
}

QStringList NamesFile::readOrDefaults(const QString& folder)
{
    const Result<QStringList> names = read(folder);
    return names ? *names : defaults();
}

QStringList NamesFile::captions(const QString& folder)
{
    QStringList names = readOrDefaults(folder);
    for (QString& name : names)
        name = caption(name);
    return names;
}

Result<> NamesFile::replace(const QString& folder, const QList<std::pair<int, QString>>& changes)
{
    FolderLock lock(folder);
    if (!lock.isLocked())
        return Result<>::failure(lock.errorString());
    const QString path = DataFiles::namesFile(folder);
    const Result<QString> existing = TextFile::readForRewrite(path);
    if (!existing)
        return Result<>::failure(existing.error());
    QStringList lines = completed(TextCodec::splitAnyLines(*existing));
    for (const auto& [box, name] : changes) {
        if (DataFiles::isValidBox(box))
            lines[box - 1] = name;
    }
    return TextFile::writeAtomically(path, TextCodec::encode(TextCodec::joinLines(lines)));
}
