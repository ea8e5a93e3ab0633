#include "core/LineBreaks.h"

QString LineBreaks::toLineFeeds(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

QString LineBreaks::fromEditor(const QString& edited, const QString& stored)
{
    if (edited == toLineFeeds(stored))
        return stored;
    const bool onlyLineFeeds = stored.contains(u'\n') && !stored.contains(u'\r');
    if (onlyLineFeeds)
        return edited;
    QString result = edited;
    result.replace(u'\n', QStringLiteral("\r\n"));
    return result;
}
