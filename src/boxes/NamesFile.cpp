#include "boxes/NamesFile.h"

#include "boxes/DataFiles.h"
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

bool NamesFile::ensureNamesFile(const QString& folder, QString* error)
{
    const QString path = DataFiles::namesFile(folder);
    if (QFileInfo::exists(path))
        return true;
    FolderLock lock(folder);
    if (!lock.isLocked()) {
        if (error)
            *error = lock.errorString();
        return false;
    }
    if (QFileInfo::exists(path))
        return true;
    return TextFile::writeAtomically(path, TextCodec::encode(TextCodec::joinLines(defaults())), error);
}

std::optional<QStringList> NamesFile::read(const QString& folder, QString* error)
{
    const QString path = DataFiles::namesFile(folder);
    if (!QFileInfo::exists(path))
        return defaults();
    const std::optional<QString> content = TextFile::read(path, error);
    if (!content)
        return std::nullopt;
    return completed(TextCodec::splitAnyLines(*content));
}

QStringList NamesFile::readOrDefaults(const QString& folder)
{
    return read(folder).value_or(defaults());
}

QStringList NamesFile::captions(const QString& folder)
{
    QStringList names = readOrDefaults(folder);
    for (QString& name : names)
        name = caption(name);
    return names;
}

bool NamesFile::replace(const QString& folder, const QList<std::pair<int, QString>>& changes, QString* error)
{
    FolderLock lock(folder);
    if (!lock.isLocked()) {
        if (error)
            *error = lock.errorString();
        return false;
    }
    const QString path = DataFiles::namesFile(folder);
    QStringList lines;
    if (QFileInfo::exists(path)) {
        const std::optional<QString> content = TextFile::read(path, error);
        if (!content)
            return false;
        lines = TextCodec::splitAnyLines(*content);
    }
    lines = completed(lines);
    for (const auto& [box, name] : changes) {
        if (DataFiles::isValidBox(box))
            lines[box - 1] = name;
    }
    return TextFile::writeAtomically(path, TextCodec::encode(TextCodec::joinLines(lines)), error);
}
