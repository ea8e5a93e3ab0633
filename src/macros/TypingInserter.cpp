#include "macros/TypingInserter.h"

#include "macros/KeystrokeNotation.h"
#include "macros/TypeNotation.h"

Result<> TypingInserter::insertText(const QString& text)
{
    return typeNotation(m_keys, KeystrokeNotation::escape(text), true);
}
