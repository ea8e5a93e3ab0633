#pragma once

#include <QString>

// Stored texts keep the line breaks they came with: CR LF from the program's own text fields
// and files, a lone LF from a text pasted on Linux. Text widgets know only LF, so texts are
// converted on their way into a widget and back.
namespace LineBreaks {

// Every CR LF, and every lone CR, as LF: for text widgets and the clipboard.
QString toLineFeeds(const QString& text);
// The edited text with the line breaks the stored text used: the stored text itself when
// nothing was changed, LF when it held only lone LFs, else CR LF.
QString fromEditor(const QString& edited, const QString& stored);

} // namespace LineBreaks
