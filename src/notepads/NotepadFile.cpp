#include "notepads/NotepadFile.h"

#include "core/TextCodec.h"
#include "core/TextFile.h"

Result<QString> NotepadFile::open(const QString& path)
{
    const Result<QString> text = TextFile::read(path);
    if (!text)
        return text;
    return TextCodec::splitAnyLines(*text).join(QStringLiteral("\r\n"));
}

QByteArray NotepadFile::bytes(const QString& text)
{
    return (text + QStringLiteral("\r\n")).toUtf8();
}

Result<> NotepadFile::save(const QString& path, const QString& text)
{
    return TextFile::writeAtomically(path, bytes(text));
}
