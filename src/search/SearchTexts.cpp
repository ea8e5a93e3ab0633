#include "search/SearchTexts.h"

QString SearchTexts::quoted(const QString& needle)
{
    return needle.isEmpty() ? QStringLiteral("\" * \"") : u'"' + needle + u'"';
}

QString SearchTexts::notFound(const QString& needle, bool earlierHit, const QString& boxName)
{
    if (earlierHit)
        return quoted(needle) + QStringLiteral(" was not found again.");
    if (!boxName.isNull())
        return quoted(needle) + QStringLiteral(" was not found in box ") + boxName;
    return quoted(needle) + QStringLiteral(" was not found in any box.");
}

QString SearchTexts::textHitLabel(int position, int box, const QString& boxName)
{
    return QStringLiteral("Found in TEXT position %1 in box %2: '").arg(position).arg(box) + boxName + u'\'';
}

QString SearchTexts::macroHitLabel(int number, const QString& macroName, int box, const QString& boxName)
{
    return QStringLiteral("Found in MACRO %1: '").arg(number) + macroName
        + QStringLiteral("' in box %1: '").arg(box) + boxName + u'\'';
}

QString SearchTexts::macroName(const QString& record, int number)
{
    const qsizetype separator = record.indexOf(u'>');
    return separator < 0 ? QStringLiteral("Macro %1").arg(number) : record.left(separator);
}

QString SearchTexts::macroBody(const QString& record)
{
    return record.mid(record.indexOf(u'>') + 1);
}
