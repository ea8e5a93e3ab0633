#include "gui/widgets/EditorText.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace EditorText {

namespace {

QString withLineFeeds(QString text)
{
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

} // namespace

QString text(const QPlainTextEdit* editor)
{
    return withLineFeeds(editor->document()->toRawText());
}

QString selected(const QPlainTextEdit* editor)
{
    return withLineFeeds(editor->textCursor().selectedText());
}

} // namespace EditorText
