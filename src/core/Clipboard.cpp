#include "core/Clipboard.h"

#include "core/LineBreaks.h"

bool Clipboard::replaceText(const QString& text)
{
    return clear() && setText(LineBreaks::toLineFeeds(text));
}
