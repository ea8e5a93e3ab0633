#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Find and replace inside one notepad's text. Positions are 0-based offsets into the text.
namespace FindReplace {

// Where "Find next" finds the find text: after the selection when there is one, else from the
// start of the text, wherever the caret is. There is no wrap-around, so after the last
// occurrence nothing is found until the selection goes. An empty find text finds nothing.
std::optional<qsizetype> findNext(const QString& text, const QString& find, qsizetype selectionStart,
    qsizetype selectionLength, Qt::CaseSensitivity sensitivity);

struct Replaced
{
    QString text;
    qsizetype count = 0;
};

// Every occurrence of find replaced, left to right and without overlap; the inserted text is
// never scanned again, so replacing "ab" by "abab" cannot loop. Always case-sensitive. An empty
// find text changes nothing.
Replaced replaceAll(const QString& text, const QString& find, const QString& replacement);

// Puts a used text at the top of its list of earlier texts: every exact duplicate goes, and a
// non-empty text is inserted at index 0, so the list stays free of duplicates and blanks.
void remember(QStringList& list, const QString& text);

} // namespace FindReplace
