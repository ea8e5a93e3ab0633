#pragma once

#include <QString>

// Text for a line of a man page as roff reads it: backslashes and hyphen-minus signs escaped,
// and no control character at the start of the line.
inline QString roff(QString text)
{
    text.replace(u'\\', QStringLiteral("\\e")).replace(u'-', QStringLiteral("\\-"));
    if (text.startsWith(u'.') || text.startsWith(u'\''))
        text.prepend(QStringLiteral("\\&"));
    return text;
}
