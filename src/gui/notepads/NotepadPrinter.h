#pragma once

#include <QString>

class QPrinter;

namespace NotepadPrinter {

// Prints a notepad's text as plain text, one job, in a fixed-pitch font so that columns lined up
// with blanks stay lined up. False when the printer reports an error.
bool print(QPrinter& printer, const QString& text);

} // namespace NotepadPrinter
