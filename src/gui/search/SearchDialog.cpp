#include "gui/search/SearchDialog.h"

#include "boxes/PositionActions.h"
#include "core/Clipboard.h"
#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/LineBreaks.h"
#include "core/Settings.h"
#include "gui/widgets/AppIcon.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/DialogPlacement.h"
#include "gui/widgets/MessageBox.h"
#include "gui/widgets/NamedWidget.h"
#include "gui/widgets/ScreenTwips.h"
#include "macros/MacroActions.h"
#include "macros/MacroStore.h"
#include "search/SearchTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

constexpr int kClientWidth = 8400;
constexpr int kClientHeight = 5400;
const QString kFind = QStringLiteral("Find");
const QString kFindNext = QStringLiteral("Find next");

DialogPlacement placement(Settings& settings)
{
    return DialogPlacement(
        settings, Settings::Key::SearchLeft, Settings::Key::SearchTop, DialogPlacement::kDialogTooFar);
}

QLabel* label(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    return NamedWidget::make<QLabel>(name, parent, geometry, caption);
}

QCheckBox* checkBox(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    return NamedWidget::make<QCheckBox>(name, parent, geometry, caption);
}

} // namespace

SearchDialog::SearchDialog(DataContext& context, PositionActions& positions, MacroActions& macros,
    Clipboard& clipboard, Host host, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_positions(positions)
    , m_macros(macros)
    , m_clipboard(clipboard)
    , m_host(std::move(host))
    , m_engine(context.dataFolder())
    , m_history(context.settings())
{
    setObjectName(QStringLiteral("FormSearch"));
    setWindowTitle(QStringLiteral("Moxeno Trellin - search"));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    buildCriteria();
    buildResults();
    buildCommands();

    const ScreenTwips tw(this);
    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));
    placement(m_context.settings()).restore(*this);

    for (int box = 1; box <= DataFiles::kBoxCount; ++box)
        m_boxNo->addItem(m_host.boxCaption ? m_host.boxCaption(box) : QString());
    m_boxNo->setCurrentIndex(m_host.currentBox ? m_host.currentBox() - 1 : 0);
    m_findText->addItems(m_history.entries());
    m_findText->setCurrentIndex(-1);
    m_findText->setEditText(QString());
    m_findText->setFocus();
}

void SearchDialog::buildCriteria()
{
    const ScreenTwips tw(this);
    auto* searchFor
        = label(QStringLiteral("Label1"), QStringLiteral("&Search for"), this, tw.rect(120, 150, 1080, 285));
    m_findText = new QComboBox(this);
    m_findText->setObjectName(QStringLiteral("ComboFind"));
    m_findText->setEditable(true);
    // The list is the history, which the dialog keeps itself: Enter must not add to it.
    m_findText->setInsertPolicy(QComboBox::NoInsert);
    m_findText->setGeometry(tw.rect(1260, 120, 5520, 315));
    searchFor->setBuddy(m_findText);
    m_find = CommandLabel::button(QStringLiteral("LabelFind"), kFind, this, tw.rect(6960, 120, 1320, 330));

    m_texts = checkBox(
        QStringLiteral("CheckText"), QStringLiteral("Search &text"), this, tw.rect(120, 540, 1800, 285));
    m_macroCheck = checkBox(
        QStringLiteral("CheckMacros"), QStringLiteral("Search &macros"), this, tw.rect(2040, 540, 1920, 285));
    m_caseSensitive = checkBox(QStringLiteral("CheckCaseSensitive"), QStringLiteral("&Case sensitive"), this,
        tw.rect(4080, 540, 1920, 285));
    m_onlyInBox = checkBox(QStringLiteral("CheckSearchOnlyInBox"), QStringLiteral("Only search in &box"),
        this, tw.rect(120, 900, 2160, 285));
    m_texts->setChecked(true);
    m_macroCheck->setChecked(true);
    m_boxNo = new QComboBox(this);
    m_boxNo->setObjectName(QStringLiteral("ComboBoxNo"));
    m_boxNo->setGeometry(tw.rect(2400, 870, 3600, 315));
    m_boxNo->setEnabled(false);

    // A changed criterion starts the search over; a text picked from the history is no edit,
    // and letter case only changes how the next hit is matched.
    connect(m_findText->lineEdit(), &QLineEdit::textEdited, this, &SearchDialog::reset);
    connect(m_texts, &QCheckBox::clicked, this, &SearchDialog::reset);
    connect(m_macroCheck, &QCheckBox::clicked, this, &SearchDialog::reset);
    connect(m_onlyInBox, &QCheckBox::clicked, this, [this](bool on) {
        reset();
        m_boxNo->setEnabled(on);
    });
    connect(m_boxNo, &QComboBox::activated, this, &SearchDialog::reset);
}

void SearchDialog::buildResults()
{
    const ScreenTwips tw(this);
    m_searching = label(QStringLiteral("LabelSearchingMsg"), QStringLiteral("Searching - please wait ..."),
        this, tw.rect(6120, 900, 2160, 285));
    m_searching->hide();
    m_resultsLabel
        = label(QStringLiteral("Label2"), QStringLiteral("Results"), this, tw.rect(120, 1320, 1200, 285));
    m_where = label(QStringLiteral("Label3"), QString(), this, tw.rect(120, 1620, 8160, 285));
    m_where->setTextFormat(Qt::PlainText);
    m_results = new QPlainTextEdit(this);
    m_results->setObjectName(QStringLiteral("TextResults"));
    m_results->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_results->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_results->setGeometry(tw.rect(120, 1950, 8160, 2760));
    m_results->installEventFilter(this);
    m_resultsLabel->setEnabled(false);
    m_where->setEnabled(false);
    m_results->setEnabled(false);
}

void SearchDialog::buildCommands()
{
    const ScreenTwips tw(this);
    const int row = 4890;
    m_save = CommandLabel::button(
        QStringLiteral("LabelSave"), QStringLiteral("Save"), this, tw.rect(120, row, 660, 330));
    m_delete = CommandLabel::button(
        QStringLiteral("LabelDelete"), QStringLiteral("Delete"), this, tw.rect(924, row, 780, 330));
    m_goTo = CommandLabel::button(
        QStringLiteral("LabelGoTo"), QStringLiteral("Go to"), this, tw.rect(1848, row, 660, 330));
    m_copy = CommandLabel::button(QStringLiteral("LabelCopyToClip"), QStringLiteral("Copy to clipboard"),
        this, tw.rect(2652, row, 1680, 330));
    m_copyAndClose = CommandLabel::button(QStringLiteral("LabelCopyAndClose"),
        QStringLiteral("Copy to clipboard and close"), this, tw.rect(4476, row, 2880, 330));
    m_close = CommandLabel::button(
        QStringLiteral("LabelClose"), QStringLiteral("Close"), this, tw.rect(7500, row, 780, 330));
    for (QWidget* command : {m_save, m_delete, m_goTo, m_copy, m_copyAndClose})
        command->setEnabled(false);

    // The commands act on the release of any mouse button.
    connect(m_find, &CommandLabel::released, this, &SearchDialog::find);
    connect(m_findText->lineEdit(), &QLineEdit::returnPressed, this, &SearchDialog::find);
    connect(m_save, &CommandLabel::released, this, &SearchDialog::saveHit);
    connect(m_delete, &CommandLabel::released, this, &SearchDialog::deleteHit);
    connect(m_goTo, &CommandLabel::released, this, &SearchDialog::goTo);
    connect(m_copy, &CommandLabel::released, this, &SearchDialog::copyToClipboard);
    connect(m_copyAndClose, &CommandLabel::released, this, [this] {
        copyToClipboard();
        reject();
    });
    connect(m_close, &CommandLabel::released, this, &SearchDialog::reject);
}

void SearchDialog::setSearched(bool texts, bool macros)
{
    m_texts->setChecked(texts);
    m_macroCheck->setChecked(macros);
}

void SearchDialog::done(int result)
{
    m_context.checkStored(
        placement(m_context.settings()).store(*this), QStringLiteral("search window position"));
    QDialog::done(result);
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_results && event->type() == QEvent::KeyRelease) {
        // Ctrl+A selects the whole result; any other key may have changed it, so Save becomes
        // possible. Letting go of Ctrl, Shift or Alt alone changes nothing.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool modifierOnly = key->key() == Qt::Key_Control || key->key() == Qt::Key_Shift
            || key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta || key->key() == Qt::Key_AltGr;
        if (key->key() == Qt::Key_A && key->modifiers() == Qt::ControlModifier)
            m_results->selectAll();
        else if (!modifierOnly)
            m_save->setEnabled(true);
    }
    return QDialog::eventFilter(watched, event);
}

QString SearchDialog::boxName(int box) const
{
    return m_boxNo->itemText(box - 1);
}

SearchOptions SearchDialog::options() const
{
    return SearchOptions {m_texts->isChecked(), m_macroCheck->isChecked(), m_caseSensitive->isChecked(),
        m_onlyInBox->isChecked() ? m_boxNo->currentIndex() + 1 : 0};
}

void SearchDialog::setResultsEnabled(bool on)
{
    for (QWidget* widget : {static_cast<QWidget*>(m_results), static_cast<QWidget*>(m_resultsLabel),
             static_cast<QWidget*>(m_copy), static_cast<QWidget*>(m_delete),
             static_cast<QWidget*>(m_copyAndClose)})
        widget->setEnabled(on);
}

void SearchDialog::find()
{
    const SearchOptions searched = options();
    if (!searched.texts && !searched.macros)
        return;
    QLineEdit* edit = m_findText->lineEdit();
    const QString needle = edit->text();
    if (m_find->text() == kFind && m_history.add(needle)) {
        // A history that cannot be written is no reason to stop a search, and the list on
        // screen is right either way.
        m_context.checkStored(m_history.store(), QStringLiteral("search history"));
        const int caret = edit->cursorPosition();
        m_findText->insertItem(0, needle);
        edit->setText(needle);
        edit->setCursorPosition(caret);
    }

    m_searching->show();
    setResultsEnabled(false);
    for (QWidget* widget : {static_cast<QWidget*>(m_where), static_cast<QWidget*>(m_close),
             static_cast<QWidget*>(m_goTo), static_cast<QWidget*>(m_save)})
        widget->setEnabled(false);
    repaint();

    const SearchEngine::Outcome outcome = m_engine.find(needle, searched);
    m_searching->hide();
    if (outcome.hit.found()) {
        showHit(outcome.hit);
        // Files passed over on the way to this hit may hold earlier ones.
        if (!outcome.unreadable.isEmpty())
            tellUnreadable(outcome.unreadable);
    } else {
        tellNotFound(outcome.ranOut, outcome.unreadable);
    }
}

void SearchDialog::tellUnreadable(const QStringList& unreadable)
{
    showMessageBox(this, QMessageBox::Warning, QStringLiteral("Moxeno Trellin Search"),
        SearchTexts::unreadableFiles(unreadable));
}

void SearchDialog::showHit(const SearchHit& hit)
{
    m_find->setText(kFindNext);
    setResultsEnabled(true);
    m_where->setEnabled(true);
    m_close->setEnabled(true);
    const bool macro = hit.kind == SearchHit::Kind::Macro;
    m_goTo->setEnabled(macro);
    if (macro) {
        m_where->setText(SearchTexts::macroHitLabel(
            hit.number, MacroStore::nameOf(hit.text, hit.number), hit.box, boxName(hit.box)));
        m_shownText = MacroStore::bodyOf(hit.text);
    } else {
        m_where->setText(SearchTexts::textHitLabel(hit.number, hit.box, boxName(hit.box)));
        m_shownText = hit.text;
    }
    m_results->setPlainText(LineBreaks::toLineFeeds(m_shownText));
}

void SearchDialog::tellNotFound(bool ranOut, const QStringList& unreadable)
{
    m_find->setText(kFind);
    const QString needle = m_findText->lineEdit()->text();
    showMessageBox(this, unreadable.isEmpty() ? QMessageBox::NoIcon : QMessageBox::Warning,
        QStringLiteral("Moxeno Trellin Search"),
        SearchTexts::notFound(
            needle, ranOut, m_onlyInBox->isChecked() ? m_boxNo->currentText() : QString(), unreadable));
    m_where->clear();
    m_results->clear();
    m_shownText.clear();
    m_close->setEnabled(true);
    // Ready for the next search: the caret's place kept, the text after it selected.
    QLineEdit* edit = m_findText->lineEdit();
    m_findText->setFocus();
    edit->end(true);
}

void SearchDialog::reset()
{
    m_find->setText(kFind);
    m_engine.reset();
    m_where->clear();
    m_results->clear();
    m_shownText.clear();
    setResultsEnabled(false);
    m_goTo->setEnabled(false);
    m_save->setEnabled(false);
}

void SearchDialog::copyToClipboard()
{
    (void)m_clipboard.replaceText(m_results->toPlainText());
}

void SearchDialog::goTo()
{
    const int box = m_engine.macroHitBox();
    const int number = m_engine.macroHitNumber();
    accept();
    if (m_host.selectBox)
        m_host.selectBox(box);
    if (m_host.selectMacro)
        m_host.selectMacro(number);
}

void SearchDialog::deleteHit()
{
    const SearchHit& hit = m_engine.current();
    Result<SaveOutcome> removed = Result<SaveOutcome>::failure(QStringLiteral("no hit"));
    if (hit.kind == SearchHit::Kind::Text) {
        removed = m_positions.remove(hit.box, hit.number, false);
    } else if (hit.kind == SearchHit::Kind::Macro) {
        removed = m_macros.remove(hit.box, hit.number);
        if (m_host.currentBox && m_host.currentBox() == hit.box && m_host.reloadMacroList)
            m_host.reloadMacroList(hit.box);
    }
    // Declined or failed: the hit stays on show.
    if (!removed || *removed == SaveOutcome::Declined)
        return;
    m_where->clear();
    m_results->clear();
    m_shownText.clear();
}

void SearchDialog::saveHit()
{
    const SearchHit& hit = m_engine.current();
    const QString text = LineBreaks::fromEditor(m_results->toPlainText(), m_shownText);
    if (hit.kind == SearchHit::Kind::Text) {
        (void)m_positions.store(hit.box, hit.number, text);
    } else if (hit.kind == SearchHit::Kind::Macro) {
        (void)m_macros.replaceBody(hit.box, hit.number, text);
        if (m_host.currentBox && m_host.currentBox() == hit.box && m_host.reloadMacroList)
            m_host.reloadMacroList(hit.box);
    }
}
