#include "notepads/FindReplace.h"

std::optional<qsizetype> FindReplace::findNext(const QString& text, const QString& find,
    qsizetype selectionStart, qsizetype selectionLength, Qt::CaseSensitivity sensitivity)
{
    if (find.isEmpty())
        return std::nullopt;
    const qsizetype from = selectionLength > 0 ? selectionStart + selectionLength : 0;
    const qsizetype found = text.indexOf(find, from, sensitivity);
    if (found < 0)
        return std::nullopt;
    return found;
}

FindReplace::Replaced FindReplace::replaceAll(
    const QString& text, const QString& find, const QString& replacement)
{
    Replaced result {text, 0};
    if (find.isEmpty())
        return result;
    QString out;
    qsizetype from = 0;
    for (qsizetype found = text.indexOf(find, from); found >= 0; found = text.indexOf(find, from)) {
        out += QStringView(text).mid(from, found - from);
        out += replacement;
        from = found + find.size();
        ++result.count;
    }
    if (result.count == 0)
        return result;
    out += QStringView(text).mid(from);
    result.text = out;
    return result;
}

void FindReplace::remember(QStringList& list, const QString& text)
{
    list.removeAll(text);
    if (!text.isEmpty())
        list.prepend(text);
}
