#include "gui/notepads/NotepadPrinter.h"

#include "core/LineBreaks.h"

#include <QFontDatabase>
#include <QPrinter>
#include <QTextDocument>

bool NotepadPrinter::print(QPrinter& printer, const QString& text)
{
    QTextDocument document;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    document.setDefaultFont(font);
    document.setPlainText(LineBreaks::toLineFeeds(text));
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}
