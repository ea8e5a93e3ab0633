#include "search/SearchTexts.h"

QString SearchTexts::quoted(const QString& needle)
{
    return needle.isEmpty() ? QStringLiteral("\" * \"") : u'"' + needle + u'"';
}

QString SearchTexts::unreadableFiles(const QStringList& unreadable)
{
    return QStringLiteral("These files could not be read, so the search could not look into them:\n")
        + unreadable.join(u'\n');
}

QString SearchTexts::notFound(
    const QString& needle, bool earlierHit, const QString& boxName, const QStringList& unreadable)
{
    if (!unreadable.isEmpty())
        return quoted(needle)
            + (earlierHit ? QStringLiteral(" was not found again in the files that could be read.\n\n")
                          : QStringLiteral(" was not found in the files that could be read.\n\n"))
            + unreadableFiles(unreadable);
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
