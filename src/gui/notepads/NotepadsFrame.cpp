#include "gui/notepads/NotepadsFrame.h"

#include "core/Clipboard.h"
#include "core/LineBreaks.h"
#include "gui/notepads/SystemNotepadDialogs.h"
#include "gui/widgets/CachingTabBar.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/EditorText.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/LabelRow.h"
#include "gui/widgets/MessageBox.h"
#include "gui/widgets/ScreenTwips.h"
#include "notepads/FindReplace.h"
#include "notepads/NotepadFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>

namespace {

const QString kReady = QStringLiteral("Ready");

void select(QPlainTextEdit* editor, qsizetype start, qsizetype length)
{
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(int(start));
    cursor.setPosition(int(start + length), QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
}

} // namespace

NotepadsFrame::NotepadsFrame(Clipboard& clipboard, QWidget* parent)
    : QGroupBox(QStringLiteral("Notepads"), parent)
    , m_clipboard(clipboard)
    , m_systemDialogs(std::make_unique<SystemNotepadDialogs>())
    , m_dialogs(m_systemDialogs.get())
{
    setObjectName(QStringLiteral("FrameNotepads"));
    const ScreenTwips tw(this);
    auto* hints = new HintFilter(this);
    const auto hint = [this](const QString& text) { return [this, text] { emit statusText(text); }; };
    const auto ready = hint(kReady);

    struct Command
    {
        const char* name;
        const char* caption;
        const char* hint;
        void (NotepadsFrame::*run)();
    };
    static const Command commands[] = {
        {"LabelNotepadOpen", "Open", "Open a text file into the selected notepad.", &NotepadsFrame::open},
        {"LabelNotepadSave", "Save", "Save the selected notepad text into a text file.",
            &NotepadsFrame::save},
        {"LabelNotepadPrint", "Print", "Print the selected notepad.", &NotepadsFrame::print},
        {"LabelNotepadCopyAll", "Copy all", "Copy the whole notepad text onto the clipboard.",
            &NotepadsFrame::copyAll},
        {"LabelNotepadCopySel", "Copy selection", "Copy selected text onto the clipboard.",
            &NotepadsFrame::copySelection},
        {"LabelNotepadPaste", "Paste", "Paste from clipboard into selected notepad.", &NotepadsFrame::paste},
        {"LabelNotepadSelAll", "Select all", "Select all text.", &NotepadsFrame::toggleSelectAll},
        {"LabelNotepadClear", "Clear", "Clear selected notepad.", &NotepadsFrame::clear},
        {"LabelClearAllNotepads", "Clear all", "Clear all notepads.", &NotepadsFrame::clearAll},
    };
    QList<QLabel*> row;
    for (const Command& command : commands) {
        auto* label = new CommandLabel(QString::fromLatin1(command.name),
            QString::fromLatin1(command.caption), this, tw.rect(120, 240, 600, 252));
        connect(label, &CommandLabel::clicked, this, command.run);
        hints->add(label, hint(QString::fromLatin1(command.hint)));
        row.append(label);
    }
    LabelRow::fit(row, tw.px(120), tw.px(6012));

    m_tabs = new CachingTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStripNotepads"));
    m_tabs->setGeometry(tw.rect(120, 540, 4140, 300));
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setExpanding(false);
    m_tabs->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 1px 6px; min-width: 11px; }"));
    hints->add(m_tabs, ready);
    m_pages = new QStackedWidget(this);
    m_pages->setGeometry(tw.rect(120, 840, 4140, 3492));
    for (int index = 0; index < kCount; ++index) {
        m_tabs->addTab(QString::number(index + 1));
        auto* page = new QFrame(m_pages);
        page->setObjectName(QStringLiteral("FrameTab%1").arg(index));
        hints->add(page, ready);
        m_pages->addWidget(page);
    }
    m_notepads.resize(kCount);
    (void)editor(0);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        m_pages->setCurrentIndex(index);
        editor(index)->setFocus();
    });

    QWidget* findReplace = buildFindReplace();
    findReplace->setGeometry(tw.rect(4320, 540, 1692, 3792));
    hints->add(findReplace, ready);
    hints->add(this, ready);
}

NotepadsFrame::~NotepadsFrame() = default;

QWidget* NotepadsFrame::buildFindReplace()
{
    const ScreenTwips tw(this);
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("FrameNotepadsFindReplace"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* hints = new HintFilter(frame);
    const auto hint = [this](const QString& text) { return [this, text] { emit statusText(text); }; };

    const auto combo = [&](const QString& name, int top) {
        auto* box = new QComboBox(frame);
        box->setObjectName(name);
        box->setEditable(true);
        // The list follows the remembering rule only, not every Return typed in the box.
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setGeometry(tw.rect(60, top, 1572, 315));
        return box;
    };
    m_find = combo(QStringLiteral("ComboFind"), 120);
    m_matchCase = new QCheckBox(QStringLiteral("Match case"), frame);
    m_matchCase->setObjectName(QStringLiteral("CheckMatchCase"));
    m_matchCase->setGeometry(tw.rect(60, 495, 1572, 285));
    hints->add(m_matchCase, hint(QStringLiteral("Match case for 'Find' only.")));
    auto* find = new CommandLabel(
        QStringLiteral("LabelFind"), QStringLiteral("Find next"), frame, tw.rect(60, 840, 1572, 252));
    m_replace = combo(QStringLiteral("ComboReplace"), 1320);
    auto* replace = new CommandLabel(QStringLiteral("LabelReplace"), QStringLiteral("Replace selection"),
        frame, tw.rect(60, 1695, 1572, 252));
    auto* replaceAll = new CommandLabel(QStringLiteral("LabelReplaceAll"), QStringLiteral("Replace all"),
        frame, tw.rect(60, 2010, 1572, 252));
    connect(find, &CommandLabel::clicked, this, &NotepadsFrame::findNext);
    connect(replace, &CommandLabel::clicked, this, &NotepadsFrame::replaceSelection);
    connect(replaceAll, &CommandLabel::clicked, this, &NotepadsFrame::replaceAll);
    hints->add(find, hint(QStringLiteral("Search the selected notepad.")));
    hints->add(replace, hint(QStringLiteral("Replace the selected text only.")));
    hints->add(replaceAll, hint(QStringLiteral("Replace all occurrences in the selected notepad.")));
    m_replace->installEventFilter(this);
    return frame;
}

void NotepadsFrame::setDialogs(NotepadDialogs* dialogs)
{
    m_dialogs = dialogs ? dialogs : m_systemDialogs.get();
}

int NotepadsFrame::selectedNotepad() const
{
    return m_tabs->currentIndex();
}

void NotepadsFrame::selectNotepad(int index)
{
    m_tabs->setCurrentIndex(index);
}

QPlainTextEdit* NotepadsFrame::notepad(int index)
{
    return index >= 0 && index < kCount ? editor(index) : nullptr;
}

QPlainTextEdit* NotepadsFrame::editor(int index)
{
    // Only the first notepad is shown at start: the others are made when first used.
    QPlainTextEdit*& editor = m_notepads[index];
    if (!editor) {
        QWidget* page = m_pages->widget(index);
        editor = new QPlainTextEdit(page);
        editor->setObjectName(QStringLiteral("Text1%1").arg(index));
        editor->setGeometry(0, 0, m_pages->width(), m_pages->height());
        editor->setLineWrapMode(QPlainTextEdit::NoWrap);
        editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor->show();
        // Tab reaches a notepad where it would be had it been made with the first one: after
        // the nearest notepad before it that is made (notepad 1 always is).
        if (index > 0) {
            int previous = index - 1;
            while (!m_notepads.at(previous))
                --previous;
            QWidget::setTabOrder(m_notepads.at(previous), editor);
        }
    }
    return editor;
}

QString NotepadsFrame::notepadText(int index) const
{
    const QPlainTextEdit* editor = m_notepads.at(index);
    if (!editor)
        return QString();
    QString text = EditorText::text(editor);
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

QPlainTextEdit* NotepadsFrame::current()
{
    return editor(std::clamp(m_tabs->currentIndex(), 0, kCount - 1));
}

void NotepadsFrame::tell(const QString& text)
{
    showMessageBox(this, QMessageBox::Warning, QStringLiteral("Moxeno Trellin"), text);
}

void NotepadsFrame::open()
{
    const int index = selectedNotepad();
    QPlainTextEdit* editor = current();
    if (!EditorText::text(editor).isEmpty()
        && showMessageBox(this, QMessageBox::Question, QStringLiteral("Overwrite"),
               QStringLiteral("Overwrite existing text?"), QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;
    const QString path = m_dialogs->openFileName(this);
    if (path.isEmpty())
        return;
    const Result<QString> text = NotepadFile::open(path);
    // The old text stays until the file has been read whole, so a failed open loses nothing.
    if (!text) {
        tell(QStringLiteral("Notepad %1 is unchanged: %2.").arg(index + 1).arg(text.error()));
        return;
    }
    editor->setPlainText(LineBreaks::toLineFeeds(*text));
    editor->setFocus();
}

void NotepadsFrame::save()
{
    const int index = selectedNotepad();
    const QString text = notepadText(index);
    if (text.isEmpty())
        return;
    QString path;
    for (;;) {
        path = m_dialogs->saveFileName(this);
        if (path.isEmpty())
            return;
        if (!QFileInfo::exists(path))
            break;
        const auto answer = showMessageBox(this, QMessageBox::Question, QStringLiteral("File exists"),
            QStringLiteral("Overwrite ") + path + u'?',
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Yes)
            break;
        if (answer != QMessageBox::No)
            return;
    }
    const Result<> saved = NotepadFile::save(path, text);
    if (!saved)
        tell(QStringLiteral("Notepad %1 was not saved: %2.").arg(index + 1).arg(saved.error()));
}

void NotepadsFrame::print()
{
    const int index = selectedNotepad();
    const QString text = notepadText(index);
    if (text.isEmpty())
        return;
    const int copies = m_dialogs->printCopies(this);
    for (int copy = 1; copy <= copies; ++copy) {
        if (!m_dialogs->printJob(text)) {
            tell(QStringLiteral("Notepad %1: copy %2 of %3 could not be printed.")
                     .arg(index + 1)
                     .arg(copy)
                     .arg(copies));
            return;
        }
    }
}

void NotepadsFrame::copyAll()
{
    QPlainTextEdit* editor = current();
    m_clipboard.replaceText(EditorText::text(editor));
    editor->setFocus();
}

void NotepadsFrame::copySelection()
{
    QPlainTextEdit* editor = current();
    m_clipboard.replaceText(EditorText::selected(editor));
    editor->setFocus();
}

void NotepadsFrame::paste()
{
    QPlainTextEdit* editor = current();
    // A clipboard that holds no text, or cannot be read, pastes nothing: the selection stays
    // rather than being replaced by nothing.
    const QString text = m_clipboard.text();
    if (!text.isEmpty())
        editor->insertPlainText(LineBreaks::toLineFeeds(text));
    editor->setFocus();
}

void NotepadsFrame::toggleSelectAll()
{
    QPlainTextEdit* editor = current();
    editor->setFocus();
    QTextCursor cursor = editor->textCursor();
    const qsizetype length = EditorText::text(editor).size();
    if (cursor.selectionEnd() - cursor.selectionStart() == length) {
        const int start = cursor.selectionStart();
        cursor.clearSelection();
        cursor.setPosition(start);
        editor->setTextCursor(cursor);
    } else {
        select(editor, 0, length);
    }
}

void NotepadsFrame::clear()
{
    QPlainTextEdit* editor = current();
    editor->clear();
    editor->setFocus();
}

void NotepadsFrame::clearAll()
{
    for (QPlainTextEdit* editor : std::as_const(m_notepads)) {
        if (editor)
            editor->clear();
    }
    m_find->setEditText(QString());
    m_replace->setEditText(QString());
}

void NotepadsFrame::rememberFindReplace()
{
    for (QComboBox* box : {m_find, m_replace}) {
        const QString text = box->currentText();
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list.append(box->itemText(i));
        FindReplace::remember(list, text);
        const QSignalBlocker blocker(box);
        box->clear();
        box->addItems(list);
        box->setCurrentIndex(text.isEmpty() ? -1 : 0);
        box->setEditText(text);
    }
}

void NotepadsFrame::findNext()
{
    QPlainTextEdit* editor = current();
    const QString text = EditorText::text(editor);
    if (text.isEmpty())
        return;
    rememberFindReplace();
    editor->setFocus();
    const QTextCursor cursor = editor->textCursor();
    const QString find = LineBreaks::toLineFeeds(m_find->currentText());
    const auto found = FindReplace::findNext(text, find, cursor.selectionStart(),
        cursor.selectionEnd() - cursor.selectionStart(),
        m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
    if (found)
        select(editor, *found, find.size());
}

void NotepadsFrame::replaceSelection()
{
    QPlainTextEdit* editor = current();
    QTextCursor cursor = editor->textCursor();
    if (!cursor.hasSelection())
        return;
    rememberFindReplace();
    editor->setFocus();
    const int start = cursor.selectionStart();
    const QString replacement = LineBreaks::toLineFeeds(m_replace->currentText());
    cursor.insertText(replacement);
    select(editor, start, replacement.size());
}

void NotepadsFrame::replaceAll()
{
    QPlainTextEdit* editor = current();
    rememberFindReplace();
    editor->setFocus();
    const FindReplace::Replaced replaced = FindReplace::replaceAll(EditorText::text(editor),
        LineBreaks::toLineFeeds(m_find->currentText()), LineBreaks::toLineFeeds(m_replace->currentText()));
    if (replaced.count == 0)
        return;
    // One edit over the whole text, so a single undo brings the old text back.
    QTextCursor cursor(editor->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(replaced.text);
}

bool NotepadsFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Entering an empty replace box offers the find text, ready to be edited.
    if (watched == m_replace && event->type() == QEvent::FocusIn && m_replace->currentText().isEmpty()
        && !m_find->currentText().isEmpty()) {
        m_replace->setEditText(m_find->currentText());
        // After the line edit's own focus handling, which may select the whole text.
        QTimer::singleShot(0, m_replace, [this] { m_replace->lineEdit()->end(false); });
    }
    return QGroupBox::eventFilter(watched, event);
}
