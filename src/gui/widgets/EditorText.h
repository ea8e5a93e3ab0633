#pragma once

#include <QString>

class QPlainTextEdit;

// Text taken out of a plain-text editor exactly as the user sees it, with LF line breaks.
// QPlainTextEdit::toPlainText() turns no-break spaces into blanks, which would change a
// stored text or a file the user never touched; these keep every character.
namespace EditorText {

QString text(const QPlainTextEdit* editor);
QString selected(const QPlainTextEdit* editor);

} // namespace EditorText
