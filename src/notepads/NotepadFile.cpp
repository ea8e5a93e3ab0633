#include "notepads/NotepadFile.h"

#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>
#include <QSaveFile>

Result<QString> NotepadFile::open(const QString& path)
{
    // Checked before reading: a huge file would take the memory and freeze the editor.
    const QFileInfo info(path);
    if (info.isFile() && info.size() > kMaxFileBytes)
        return Result<QString>::failure(QStringLiteral("%1 is larger than the %2 MiB a notepad holds")
                                            .arg(path)
                                            .arg(kMaxFileBytes / (1024 * 1024)));
    const Result<QString> text = TextFile::read(path);
    if (!text)
        return text;
    return TextCodec::splitAnyLines(*text).join(QStringLiteral("\r\n"));
}

QByteArray NotepadFile::bytes(const QString& text)
{
    return (text + QStringLiteral("\r\n")).toUtf8();
}

// QSaveFile rather than TextFile::writeAtomically: the folder is the user's, where a file named
// like the fixed temporary ("notes.txt_") may be theirs and must not be removed. QSaveFile writes
// to a temporary of its own, syncs it to disk and renames it over the file only once it is
// complete; it keeps the file's permissions and writes through a symbolic link to its target.
Result<> NotepadFile::save(const QString& path, const QString& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result<>::failure(QStringLiteral("could not create %1 (%2)").arg(path, file.errorString()));
    const QByteArray data = bytes(text);
    if (file.write(data) != data.size() || !file.commit())
        return Result<>::failure(QStringLiteral("could not write %1 (%2)").arg(path, file.errorString()));
    return Result<>::success();
}
