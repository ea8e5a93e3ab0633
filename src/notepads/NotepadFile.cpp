#include "notepads/NotepadFile.h"

#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>

Result<QString> NotepadFile::open(const QString& path)
{
    // Checked before reading: a huge file would take the memory and freeze the editor.
    const QFileInfo info(path);
    if (info.isFile() && info.size() > kMaxFileBytes)
        return Result<QString>::failure(QStringLiteral("%1 is larger than the %2 MiB a notepad holds")
                                            .arg(path)
                                            .arg(kMaxFileBytes / (1024 * 1024)));
    const Result<QString> text = TextFile::read(path, kMaxFileBytes);
    if (!text)
        return text;
    return TextCodec::splitAnyLines(*text).join(QStringLiteral("\r\n"));
}

QByteArray NotepadFile::bytes(const QString& text)
{
    return (text + QStringLiteral("\r\n")).toUtf8();
}

// Not TextFile::writeAtomically: the folder is the user's, where a file named like its fixed
// temporary ("notes.txt_") may be theirs. Not QSaveFile either: it renames over the file even when
// a write failed on a full disk or a file size limit, losing the user's text.
Result<> NotepadFile::save(const QString& path, const QString& text)
{
    return TextFile::replaceUserFile(path, bytes(text));
}
