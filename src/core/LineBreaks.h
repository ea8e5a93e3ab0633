#pragma once

#include <QString>

// Texts are stored with CR LF line breaks (a file written earlier may still hold a lone LF inside
// a line). Text widgets know only LF, so texts are converted on their way into a widget and back.
namespace LineBreaks {

// Every CR LF, and every lone CR, as LF: for text widgets and the clipboard.
QString toLineFeeds(const QString& text);
// The edited text with the line breaks the stored text used: the stored text itself when
// nothing was changed, LF when it held only lone LFs, else CR LF.
QString fromEditor(const QString& edited, const QString& stored);

} // namespace LineBreaks
