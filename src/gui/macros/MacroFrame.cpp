#include "gui/macros/MacroFrame.h"

#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/LabelRow.h"
#include "gui/widgets/ScreenTwips.h"
#include "gui/widgets/UpDownControl.h"
#include "macros/MacroActions.h"
#include "macros/MacroSource.h"

#include <QComboBox>

#include <utility>

namespace {

constexpr int kMacroCount = 99;

QString defaultName(int number)
{
    return QStringLiteral("Macro %1").arg(number);
}

QString unreadable(int box, const QString& reason)
{
    return QStringLiteral("The macros of box %1 cannot be read: %2").arg(box).arg(reason);
}

} // namespace

MacroFrame::MacroFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Macros"), parent)
    , m_hints(new HintFilter(this))
{
    setObjectName(QStringLiteral("FrameMacros"));
    buildList();
    buildCommands();
    m_hints->add(this, [this] { hoverFrame(); });
}

std::function<void()> MacroFrame::hintText(const QString& text)
{
    return [this, text] { emit statusText(text); };
}

std::function<void()> MacroFrame::macroHint(const QString& before, const QString& after)
{
    return [this, before, after] {
        emit statusText(m_readError.isEmpty() ? before + m_list->currentText() + after : unreadableText());
    };
}

void MacroFrame::buildList()
{
    const ScreenTwips tw(this);
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("ComboMacros"));
    m_list->setGeometry(tw.rect(120, 240, 2775, 330));
    m_list->setMaxVisibleItems(20);
    for (int number = 1; number <= kMacroCount; ++number)
        m_list->addItem(defaultName(number));
    connect(m_list, &QComboBox::currentIndexChanged, this, [this] { viewSelectedMacro(); });

    auto* upDown = new UpDownControl(this);
    upDown->setObjectName(QStringLiteral("UpDown3"));
    upDown->setGeometry(tw.rect(2910, 240, 255, 330));
    connect(upDown, &UpDownControl::downClicked, this, [this] {
        if (m_list->currentIndex() < kMacroCount - 1)
            m_list->setCurrentIndex(m_list->currentIndex() + 1);
    });
    connect(upDown, &UpDownControl::upClicked, this, [this] {
        if (m_list->currentIndex() >= 1)
            m_list->setCurrentIndex(m_list->currentIndex() - 1);
    });
    connect(upDown, &UpDownControl::rightReleased, this, [this] { m_list->setCurrentIndex(0); });
    m_hints->add(
        upDown, hintText(QStringLiteral("Right-click to go straight to the first item in the list.")));

    for (int level : {1, 2}) {
        auto* undo = new CommandLabel(QStringLiteral("LabelMacroUndo%1").arg(level), QString::number(level),
            this, tw.rect(2940 + level * 300, 270, 252, 252));
        undo->setAlignment(Qt::AlignCenter);
        undo->setFrameShape(QFrame::Box);
        undo->setAccessibleName(
            level == 1 ? QStringLiteral("Last deleted macro") : QStringLiteral("Previous deleted macro"));
        m_hints->add(undo, [this, level] {
            emit statusText((level == 1 ? QStringLiteral("Last deleted macro.")
                                        : QStringLiteral("Previous deleted macro."))
                + QStringLiteral(" Click to copy to clipboard; right-click to clear."));
            showUndo(level);
        });
        connect(undo, &CommandLabel::released, this,
            [this, level](Qt::MouseButton button) { undoReleased(level, button); });
    }
    auto* search = new CommandLabel(
        QStringLiteral("LabelSearchMacros"), QStringLiteral("Search"), this, tw.rect(3840, 270, 615, 252));
    search->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_hints->add(search, hintText(QStringLiteral("Search macros.")));
    connect(search, &CommandLabel::clicked, this, &MacroFrame::searchMacrosRequested);
}

void MacroFrame::buildCommands()
{
    const ScreenTwips tw(this);
    const int row = 690;
    auto* play = new CommandLabel(
        QStringLiteral("LabelPlay"), QStringLiteral("Play"), this, tw.rect(120, row, 600, 300));
    QFont bold = play->font();
    bold.setBold(true);
    play->setFont(bold);
    auto* moveDown = new CommandLabel(QStringLiteral("LabelMacroMoveDown"), QStringLiteral("Move down"), this,
        tw.rect(900, row, 1020, 300));
    auto* moveUp = new CommandLabel(
        QStringLiteral("LabelMacroMoveUp"), QStringLiteral("Move up"), this, tw.rect(2040, row, 900, 300));
    auto* edit = new CommandLabel(
        QStringLiteral("LabelMacroEdit"), QStringLiteral("Edit"), this, tw.rect(3060, row, 600, 300));
    auto* clear = new CommandLabel(
        QStringLiteral("LabelClearMacro"), QStringLiteral("Clear"), this, tw.rect(3780, row, 675, 300));
    LabelRow::fit({play, moveDown, moveUp, edit, clear}, tw.px(120), tw.px(4455));

    connect(edit, &CommandLabel::released, this, [this] { editMacro(); });
    connect(clear, &CommandLabel::released, this, [this](Qt::MouseButton button) { clearMacro(button); });
    connect(moveDown, &CommandLabel::clicked, this, [this] { moveMacro(true); });
    connect(moveUp, &CommandLabel::clicked, this, [this] { moveMacro(false); });

    m_hints->add(edit, macroHint(QStringLiteral("Edit '"), QStringLiteral("'.")));
    m_hints->add(clear,
        macroHint(QStringLiteral("Delete '"),
            QStringLiteral("'. Right-click to overwrite with the clipboard contents.")));
    m_hints->add(moveDown, macroHint(QStringLiteral("Move '"), QStringLiteral("' down in list.")));
    m_hints->add(moveUp, macroHint(QStringLiteral("Move '"), QStringLiteral("' up in list.")));
    connect(play, &CommandLabel::released, this,
        [this] { emit playRequested(selectedMacro(), m_list->currentText()); });
    m_hints->add(play, macroHint(QStringLiteral("Play '"), QStringLiteral("' in the last window you left.")));
}

void MacroFrame::setMacros(const MacroSource* macros, MacroActions* actions)
{
    m_macros = macros;
    m_actions = actions;
}

int MacroFrame::selectedMacro() const
{
    return m_list->currentIndex() + 1;
}

void MacroFrame::selectMacro(int number)
{
    if (number >= 1 && number <= m_list->count())
        m_list->setCurrentIndex(number - 1);
}

void MacroFrame::loadMacroList(int box)
{
    fillList(box, 0);
}

bool MacroFrame::reloadIfChanged()
{
    if (!m_macros)
        return false;
    const Result<QStringList> names = m_macros->readMacroNames(m_box);
    const bool viewed = m_viewerTitle == selectedTitle();
    bool same = (names ? QString() : names.error()) == m_readError;
    for (int index = 0; same && names && index < kMacroCount; ++index)
        same = names->value(index, defaultName(index + 1)) == m_list->itemText(index);
    if (same && (!viewed || macroBody(selectedMacro()) == m_shownBody))
        return false;
    fillList(m_box, m_list->currentIndex(), viewed);
    return true;
}

void MacroFrame::fillList(int box, int index, bool view)
{
    m_box = box;
    QStringList names;
    QString body;
    const QString wasError = std::exchange(m_readError, QString());
    if (m_macros) {
        // One read of the macro file gives the list and, to view it, the selected macro's body.
        const Result<MacroSource::Listing> read = m_macros->readMacroListing(box, view ? index + 1 : 0);
        if (read) {
            names = read->names;
            body = read->body;
        } else {
            m_readError = read.error();
        }
    }
    // Said once while the same reason keeps the file unreadable.
    if (!m_readError.isEmpty() && m_readError != wasError)
        emit logged(QStringLiteral("Box %1 macros not loaded: %2").arg(box).arg(m_readError));
    for (int number = int(names.size()) + 1; number <= kMacroCount; ++number)
        names.append(defaultName(number));
    {
        const QSignalBlocker blocker(m_list);
        for (int index = 0; index < kMacroCount; ++index)
            m_list->setItemText(index, names.at(index));
        m_list->setCurrentIndex(index);
    }
    if (view)
        showSelectedMacro(m_readError.isEmpty() ? body : unreadableText());
}

void MacroFrame::editMacro()
{
    if (!m_actions)
        return;
    const int index = m_list->currentIndex();
    emit statusText(QStringLiteral("Editing macro ..."));
    // A cancelled edit leaves "Editing macro ..." until the next hint replaces it.
    if (m_actions->edit(m_box, index + 1, m_list->currentText())) {
        emit statusText(QStringLiteral("Ready"));
        fillList(m_box, index);
    }
}

void MacroFrame::clearMacro(Qt::MouseButton button)
{
    if (!m_actions)
        return;
    const int index = m_list->currentIndex();
    if (button == Qt::LeftButton || button == Qt::MiddleButton)
        (void)m_actions->remove(m_box, index + 1);
    else if (button == Qt::RightButton)
        (void)m_actions->overwriteFromClipboard(m_box, index + 1);
    else
        return;
    fillList(m_box, index);
}

void MacroFrame::moveMacro(bool down)
{
    if (!m_actions)
        return;
    const Result<std::optional<int>> moved = m_actions->move(
        m_box, selectedMacro(), down ? MacroActions::Direction::Down : MacroActions::Direction::Up);
    if (moved && moved->has_value())
        fillList(m_box, **moved - 1);
}

void MacroFrame::undoReleased(int level, Qt::MouseButton button)
{
    if (!m_actions)
        return;
    if (button == Qt::LeftButton) {
        (void)m_actions->copyDeleted(level);
    } else if (button == Qt::RightButton) {
        m_actions->clearDeleted(level);
        showUndo(level); // the viewer shows the entry the mouse is over
    }
}

void MacroFrame::showUndo(int level)
{
    emit viewerShows(
        level == 1 ? QStringLiteral("Last deleted macro.") : QStringLiteral("Previous deleted macro."),
        m_macros ? m_macros->deletedMacro(level) : QString());
}

QString MacroFrame::selectedTitle() const
{
    return QStringLiteral("Macro %1 - %2").arg(selectedMacro()).arg(m_list->currentText());
}

QString MacroFrame::macroBody(int number) const
{
    if (!m_macros)
        return QString();
    const Result<QString> body = m_macros->readMacroBody(number, m_box);
    return body ? *body : unreadable(m_box, body.error());
}

QString MacroFrame::unreadableText() const
{
    return unreadable(m_box, m_readError);
}

void MacroFrame::viewSelectedMacro()
{
    showSelectedMacro(m_readError.isEmpty() ? macroBody(selectedMacro()) : unreadableText());
}

void MacroFrame::showSelectedMacro(const QString& body)
{
    m_shownBody = body;
    emit viewerShows(selectedTitle(), m_shownBody);
}

void MacroFrame::hoverFrame()
{
    // Reading the macro file on every mouse move is wasted while the same macro is shown.
    if (selectedTitle() != m_viewerTitle)
        viewSelectedMacro();
}
