#include "app/Form1.h"

#include "app/AppIcon.h"
#include "app/AppState.h"
#include "app/CommandLabel.h"
#include "app/HelpWindow.h"
#include "app/MacroSource.h"
#include "app/MakerPage.h"
#include "app/ModalHook.h"
#include "app/ScreenTwips.h"
#include "app/SettingsStore.h"
#include "app/Startup.h"
#include "app/StatusLog.h"
#include "app/UpDownControl.h"
#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "boxes/ClipboardViewer.h"
#include "boxes/PositionActions.h"
#include "boxes/PositionButtonsFrame.h"
#include "core/LineBreaks.h"
#include "platform/Clipboard.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTabBar>

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kReady = QStringLiteral("Ready");
const QString kClipboardContents = QStringLiteral("Clipboard contents:");

QGroupBox* frame(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

// Places labels side by side between two edges, the space left over shared out between
// them; when their captions do not fit in this font, the font gets smaller.
void fitRow(const QList<QLabel*>& labels, int left, int right, int largestPixelSize = 11)
{
    // The style sheet settles the font only when a widget is polished.
    for (QLabel* label : labels) {
        label->ensurePolished();
        QFont font = label->font();
        font.setPixelSize(std::min(largestPixelSize, QFontInfo(font).pixelSize()));
        label->setFont(font);
    }
    const auto naturalWidth = [&labels] {
        int total = 0;
        for (const QLabel* label : labels)
            total += label->fontMetrics().horizontalAdvance(label->text()) + 2;
        return total;
    };
    while (naturalWidth() > right - left && QFontInfo(labels.first()->font()).pixelSize() > 8) {
        for (QLabel* label : labels) {
            QFont smaller = label->font();
            smaller.setPixelSize(QFontInfo(smaller).pixelSize() - 1);
            label->setFont(smaller);
        }
    }
    const int gaps = int(labels.size()) - 1;
    const int spare = std::max(0, right - left - naturalWidth());
    int x = left;
    for (int i = 0; i < labels.size(); ++i) {
        QLabel* label = labels.at(i);
        const int width = label->fontMetrics().horizontalAdvance(label->text()) + 2;
        label->setGeometry(x, label->y(), width, label->height());
        x += width + (gaps > 0 ? spare / gaps : 0);
    }
}

} // namespace

Form1::Form1(AppState& state, BoxStore& store, BoxManager& boxes, PositionActions& actions,
    Clipboard& clipboard, HelpWindow& help, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_store(store)
    , m_boxes(boxes)
    , m_actions(actions)
    , m_clipboard(clipboard)
    , m_help(help)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Moxeno Trellin"));
    setWindowIcon(AppIcon::icon());
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    setStyleSheet(QStringLiteral(
        "CommandLabel { color: #00007f; } CommandLabel:hover { text-decoration: underline; }"));

    buildTop();
    buildClipboardText();
    buildMacros();
    buildViewer();
    buildBottom();
    installHints();

    const ScreenTwips tw(this);
    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));

    // The load step: placement, status line, button colour.
    restorePlacement();
    setStatus(kReady);
    applyClipColour(Startup::clipColour(m_state.settings().IniRead(
        kSettings, QStringLiteral("ClipColour"), QString::number(Startup::kDefaultClipColour))));

    connect(&m_state.log(), &StatusLog::logged, this, [this](const QString& line) {
        m_ComboMainRes->insertItem(0, line);
        m_ComboMainRes->setCurrentIndex(0);
    });
    // A cleared position no longer has a text to show.
    connect(&m_store, &BoxStore::positionCleared, m_TextSee, &QPlainTextEdit::clear);
}

Form1::~Form1() = default;

CommandLabel* Form1::commandLabel(
    const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    auto* label = new CommandLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

void Form1::buildTop()
{
    const ScreenTwips tw(this);
    m_TabStripMain = new QTabBar(this);
    m_TabStripMain->setObjectName(QStringLiteral("TabStripMain"));
    m_TabStripMain->setUsesScrollButtons(true);
    m_TabStripMain->setExpanding(false);
    m_TabStripMain->setElideMode(Qt::ElideNone);
    m_TabStripMain->setDrawBase(false);
    for (int box = 1; box <= AppState::kBoxCount; ++box)
        m_TabStripMain->addTab(QStringLiteral("Box %1").arg(box));
    // The tab row ends where the viewer frame begins.
    m_TabStripMain->setGeometry(tw.rect(120, 120, 11055, 360));
    connect(m_TabStripMain, &QTabBar::currentChanged, this, [this](int index) { selectBox(index + 1); });

    m_tabPane = new QFrame(this);
    m_tabPane->setObjectName(QStringLiteral("TabStripMainPane"));
    m_tabPane->setFrameShape(QFrame::StyledPanel);
    m_tabPane->setGeometry(tw.rect(120, 480, 11055, 4455 - 480));
}

void Form1::buildClipboardText()
{
    const ScreenTwips tw(this);
    m_FrameClipboardText = frame(
        QStringLiteral("FrameClipboardText"), QStringLiteral("Text"), this, tw.rect(240, 600, 4575, 2415));
    m_FrameClipboardButtons
        = new PositionButtonsFrame(m_state, m_store, m_actions, m_clipboard, m_FrameClipboardText);
    m_FrameClipboardButtons->setGeometry(tw.rect(120, 240, 4095, 2055));
    connect(m_FrameClipboardButtons, &PositionButtonsFrame::statusText, this, &Form1::setStatus);
    connect(m_FrameClipboardButtons, &PositionButtonsFrame::viewerShows, this, &Form1::showInViewer);
    connect(m_FrameClipboardButtons, &PositionButtonsFrame::viewerTextShows, this, &Form1::setViewerText);

    // Row 1 holds nine buttons; the undo labels and the search label use the rest of it.
    for (int level : {1, 2}) {
        CommandLabel* undo = commandLabel(QStringLiteral("LabelTextUndo%1").arg(level),
            QString::number(level), m_FrameClipboardButtons, tw.rect(2400 + level * 300, 0, 252, 252));
        undo->setAlignment(Qt::AlignCenter);
        undo->setFrameShape(QFrame::Box);
        connect(undo, &CommandLabel::released, this, [this, level](Qt::MouseButton button) {
            if (button == Qt::LeftButton)
                m_boxes.copyUndoToClipboard(level);
            else if (button == Qt::RightButton)
                m_boxes.clearUndo(level);
        });
        m_LabelTextUndo[std::size_t(level)] = undo;
    }
    m_LabelSearchText = commandLabel(QStringLiteral("LabelSearchText"), QStringLiteral("Search"),
        m_FrameClipboardButtons, tw.rect(3360, 0, 735, 252));
    m_LabelSearchText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void Form1::buildMacros()
{
    const ScreenTwips tw(this);
    m_FrameMacros = frame(
        QStringLiteral("FrameMacros"), QStringLiteral("Macros"), this, tw.rect(240, 3120, 4575, 1092));
    m_FrameMacros->setMouseTracking(true);
    m_ComboMacros = new QComboBox(m_FrameMacros);
    m_ComboMacros->setObjectName(QStringLiteral("ComboMacros"));
    m_ComboMacros->setGeometry(tw.rect(120, 240, 2775, 330));
    m_ComboMacros->setMaxVisibleItems(20);
    QStringList names;
    for (int macro = 1; macro <= AppState::kPositionCount; ++macro)
        names.append(QStringLiteral("Macro %1").arg(macro));
    m_ComboMacros->addItems(names);
    connect(m_ComboMacros, &QComboBox::currentIndexChanged, this, [this] { viewSelectedMacro(); });

    m_UpDown3 = new UpDownControl(m_FrameMacros);
    m_UpDown3->setObjectName(QStringLiteral("UpDown3"));
    m_UpDown3->setGeometry(tw.rect(2910, 240, 255, 330));
    connect(m_UpDown3, &UpDownControl::downClicked, this, [this] {
        if (m_ComboMacros->currentIndex() < AppState::kPositionCount - 1)
            m_ComboMacros->setCurrentIndex(m_ComboMacros->currentIndex() + 1);
    });
    connect(m_UpDown3, &UpDownControl::upClicked, this, [this] {
        if (m_ComboMacros->currentIndex() >= 1)
            m_ComboMacros->setCurrentIndex(m_ComboMacros->currentIndex() - 1);
    });
    connect(m_UpDown3, &UpDownControl::rightReleased, this, [this] { m_ComboMacros->setCurrentIndex(0); });

    for (int level : {1, 2}) {
        CommandLabel* undo = commandLabel(QStringLiteral("LabelMacroUndo%1").arg(level),
            QString::number(level), m_FrameMacros, tw.rect(2940 + level * 300, 270, 252, 252));
        undo->setAlignment(Qt::AlignCenter);
        undo->setFrameShape(QFrame::Box);
        m_LabelMacroUndo[std::size_t(level)] = undo;
    }
    m_LabelSearchMacros = commandLabel(QStringLiteral("LabelSearchMacros"), QStringLiteral("Search"),
        m_FrameMacros, tw.rect(3840, 270, 615, 252));
    m_LabelSearchMacros->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const int row = 690;
    m_LabelPlay = commandLabel(
        QStringLiteral("LabelPlay"), QStringLiteral("Play"), m_FrameMacros, tw.rect(120, row, 600, 300));
    QFont bold = m_LabelPlay->font();
    bold.setBold(true);
    m_LabelPlay->setFont(bold);
    m_LabelMacroMoveDown = commandLabel(QStringLiteral("LabelMacroMoveDown"), QStringLiteral("Move down"),
        m_FrameMacros, tw.rect(900, row, 1020, 300));
    m_LabelMacroMoveUp = commandLabel(QStringLiteral("LabelMacroMoveUp"), QStringLiteral("Move up"),
        m_FrameMacros, tw.rect(2040, row, 900, 300));
    m_LabelMacroEdit = commandLabel(QStringLiteral("LabelMacroEdit"), QStringLiteral("Edit"), m_FrameMacros,
        tw.rect(3060, row, 600, 300));
    m_LabelClearMacro = commandLabel(QStringLiteral("LabelClearMacro"), QStringLiteral("Clear"),
        m_FrameMacros, tw.rect(3780, row, 675, 300));
    fitRow({m_LabelPlay, m_LabelMacroMoveDown, m_LabelMacroMoveUp, m_LabelMacroEdit, m_LabelClearMacro},
        tw.px(120), tw.px(4455));
}

void Form1::buildViewer()
{
    const ScreenTwips tw(this);
    m_FrameViewer = new QFrame(this);
    m_FrameViewer->setObjectName(QStringLiteral("FrameViewer"));
    m_FrameViewer->setGeometry(tw.rect(5040, 480, 6015, 3735));

    const int row = 90;
    m_LabelSearchAll = commandLabel(QStringLiteral("LabelSearchAll"), QStringLiteral("Search all"),
        m_FrameViewer, tw.rect(0, row, 900, 255));
    m_LabelMoveBox[1] = commandLabel(QStringLiteral("LabelMoveBox1"), QStringLiteral("<Move box"),
        m_FrameViewer, tw.rect(1000, row, 900, 255));
    m_LabelMoveBox[0] = commandLabel(QStringLiteral("LabelMoveBox0"), QStringLiteral("Move box>"),
        m_FrameViewer, tw.rect(2000, row, 900, 255));
    m_LabelRenameBox = commandLabel(QStringLiteral("LabelRenameBox"), QStringLiteral("Rename box"),
        m_FrameViewer, tw.rect(3000, row, 960, 255));
    m_LabelClearBox = commandLabel(QStringLiteral("LabelClearBox"), QStringLiteral("Clear box"),
        m_FrameViewer, tw.rect(4060, row, 820, 255));
    connect(m_LabelClearBox, &CommandLabel::clicked, this, &Form1::clearBox);
    connect(m_LabelMoveBox[0], &CommandLabel::clicked, this, [this] { moveBox(0); });
    connect(m_LabelMoveBox[1], &CommandLabel::clicked, this, [this] { moveBox(1); });
    connect(m_LabelRenameBox, &CommandLabel::clicked, this, &Form1::renameBox);

    m_TextSeeTitle = new QLineEdit(m_FrameViewer);
    m_TextSeeTitle->setObjectName(QStringLiteral("TextSeeTitle"));
    m_TextSeeTitle->setReadOnly(true);
    m_TextSeeTitle->setGeometry(tw.rect(0, 450, 3375, 270));
    m_LabelCopyToClip = commandLabel(
        QStringLiteral("LabelCopyToClip"), QString(), m_FrameViewer, tw.rect(3450, 457, 255, 255));
    m_LabelCopyToClip->setFrameShape(QFrame::Box);
    m_LabelEditClipboard = commandLabel(QStringLiteral("LabelEditClipboard"),
        QStringLiteral("Edit clipboard"), m_FrameViewer, tw.rect(3780, 450, 1080, 270));
    m_LabelClearClipboard = commandLabel(QStringLiteral("LabelClearClipboard"),
        QStringLiteral("Clear clipboard"), m_FrameViewer, tw.rect(4905, 450, 1110, 270));
    // Both rows of the viewer's commands in one font size.
    fitRow({m_LabelEditClipboard, m_LabelClearClipboard}, tw.px(3780), tw.px(6015));
    fitRow({m_LabelSearchAll, m_LabelMoveBox[1], m_LabelMoveBox[0], m_LabelRenameBox, m_LabelClearBox}, 0,
        tw.px(4860), QFontInfo(m_LabelClearClipboard->font()).pixelSize());
    connect(m_LabelClearClipboard, &CommandLabel::released, this, &Form1::clearClipboard);
    connect(m_LabelEditClipboard, &CommandLabel::released, this, &Form1::editClipboard);

    m_TextSee = new QPlainTextEdit(m_FrameViewer);
    m_TextSee->setObjectName(QStringLiteral("TextSee"));
    m_TextSee->setReadOnly(true);
    m_TextSee->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_TextSee->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_TextSee->setGeometry(tw.rect(0, 720, 6015, 3015));
    m_TextSee->installEventFilter(this);
    m_TextSee->viewport()->installEventFilter(this);

    // Both viewer fields have the button face as background.
    for (QWidget* field : {static_cast<QWidget*>(m_TextSeeTitle), static_cast<QWidget*>(m_TextSee)}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        field->setPalette(palette);
    }

    // The slider stands in the viewer's first row.
    m_Slider1 = new QSlider(Qt::Horizontal, this);
    m_Slider1->setObjectName(QStringLiteral("Slider1"));
    m_Slider1->setRange(1, AppState::kBoxCount);
    m_Slider1->setPageStep(10);
    m_Slider1->setGeometry(tw.rect(9960, 520, 1095, 255));
    m_Slider1->installEventFilter(this);
}

void Form1::buildBottom()
{
    const ScreenTwips tw(this);
    m_FrameCalculator = frame(QStringLiteral("FrameCalculator"), QStringLiteral("Calculator"), this,
        tw.rect(120, 4560, 4692, 4455));
    m_FrameNotepads = frame(
        QStringLiteral("FrameNotepads"), QStringLiteral("Notepads"), this, tw.rect(5040, 4560, 6132, 4452));

    m_ComboMainRes = new QComboBox(this);
    m_ComboMainRes->setObjectName(QStringLiteral("ComboMainRes"));
    m_ComboMainRes->setPlaceholderText(QStringLiteral("Results"));
    m_ComboMainRes->setGeometry(tw.rect(120, 9120, 9015, 330));
    m_ComboMainRes->setMaxVisibleItems(20);
    for (const QString& line : m_state.log().entries())
        m_ComboMainRes->addItem(line);
    m_ComboMainRes->setCurrentIndex(m_ComboMainRes->count() > 0 ? 0 : -1);

    m_ComboMain = new QComboBox(this);
    m_ComboMain->setObjectName(QStringLiteral("ComboMain"));
    m_ComboMain->addItems({QStringLiteral("Select"), QStringLiteral("Help"),
        QStringLiteral("About this software"), QStringLiteral("Visit Moxeno website!")});
    m_ComboMain->setGeometry(tw.rect(9240, 9120, 1935, 330));
    connect(m_ComboMain, &QComboBox::activated, this, &Form1::menuChosen);

    m_LabelMain = new QLabel(this);
    m_LabelMain->setObjectName(QStringLiteral("LabelMain"));
    m_LabelMain->setGeometry(tw.rect(240, 9600, 9960, 255));
    m_LabelClose = commandLabel(
        QStringLiteral("LabelClose"), QStringLiteral("Close"), this, tw.rect(10320, 9600, 480, 255));
    connect(m_LabelClose, &CommandLabel::clicked, this, &QWidget::close);
    m_picIcon = commandLabel(QStringLiteral("picIcon"), QString(), this, tw.rect(10920, 9600, 240, 240));
    m_picIcon->setPixmap(AppIcon::pixmap(16));
    m_picIcon->setAlignment(Qt::AlignCenter);
    connect(m_picIcon, &CommandLabel::clicked, this, [] { MakerPage::OpenMakerPage(); });
}

void Form1::hint(QWidget* widget, std::function<void()> action)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    m_hints.insert(widget, std::move(action));
}

void Form1::hint(QWidget* widget, const QString& text)
{
    hint(widget, [this, text] { setStatus(text); });
}

void Form1::installHints()
{
    for (QWidget* ready : std::initializer_list<QWidget*> {this, m_FrameCalculator, m_FrameClipboardButtons,
             m_FrameClipboardText, m_FrameNotepads, m_FrameViewer, m_TabStripMain, m_tabPane})
        hint(ready, kReady);
    hint(m_LabelSearchAll, QStringLiteral("Search text and macros."));
    hint(m_LabelSearchMacros, QStringLiteral("Search macros."));
    hint(m_LabelSearchText, QStringLiteral("Search text."));
    hint(m_picIcon, QStringLiteral("Visit Moxeno website for more products and support."));
    hint(m_Slider1, QStringLiteral("Move quickly between boxes."));
    hint(m_TextSee->viewport(),
        QStringLiteral("Double-click to copy the contents straight to the clipboard."));
    hint(m_UpDown3, QStringLiteral("Right-click to go straight to the first item in the list."));

    const auto boxHint = [this](const QString& before, const QString& after) {
        return [this, before, after] { setStatus(before + boxCaption(selectedBox()) + after); };
    };
    hint(m_LabelClearBox,
        boxHint(QStringLiteral("Clear all text and/or macros in box '"), QStringLiteral("'.")));
    hint(m_LabelRenameBox, boxHint(QStringLiteral("Rename box '"), QStringLiteral("'.")));
    hint(m_LabelMoveBox[0],
        boxHint(QStringLiteral("Move box '"), QStringLiteral("' one place to the right.")));
    hint(
        m_LabelMoveBox[1], boxHint(QStringLiteral("Move box '"), QStringLiteral("' one place to the left.")));

    hint(m_LabelClearClipboard, [this] { clipboardHint(QStringLiteral("Clear clipboard contents.")); });
    hint(m_LabelEditClipboard, [this] { clipboardHint(QStringLiteral("Work with clipboard contents.")); });
    hint(m_LabelCopyToClip, [this] { m_boxes.refillClipboard(); });
    for (int level : {1, 2}) {
        hint(m_LabelTextUndo[std::size_t(level)], [this, level] { undoHint(level, false); });
        hint(m_LabelMacroUndo[std::size_t(level)], [this, level] { undoHint(level, true); });
    }

    const auto macroHint = [this](const QString& before, const QString& after) {
        return [this, before, after] { setStatus(before + m_ComboMacros->currentText() + after); };
    };
    hint(m_LabelMacroEdit, macroHint(QStringLiteral("Edit '"), QStringLiteral("'.")));
    hint(m_LabelClearMacro,
        macroHint(QStringLiteral("Delete '"),
            QStringLiteral("'. Right-click to overwrite with the clipboard contents.")));
    hint(m_LabelMacroMoveDown, macroHint(QStringLiteral("Move '"), QStringLiteral("' down in list.")));
    hint(m_LabelMacroMoveUp, macroHint(QStringLiteral("Move '"), QStringLiteral("' up in list.")));
    hint(m_LabelPlay, macroHint(QStringLiteral("Play '"), QStringLiteral("' in the last window you left.")));
    hint(m_FrameMacros, [this] { macroFrameHint(); });
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // Only real mouse moves give hints: the enter event Qt sends when a dialog closes over a
    // control must not replace "Editing ..." and the like.
    if (type == QEvent::MouseMove) {
        const auto found = m_hints.constFind(watched);
        if (found != m_hints.constEnd()) {
            // Copy first: the hint may change the table (never today, but cheaply safe).
            const std::function<void()> action = found.value();
            action();
            // Stops the parent frame from answering the same move with its own hint.
            if (watched != this && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
                return true;
        }
    }
    if (watched == m_TextSee->viewport() && type == QEvent::MouseButtonDblClick) {
        m_boxes.copyToClipboard(m_viewerText);
        return true;
    }
    if (watched == m_TextSee && type == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_A && key->modifiers() == Qt::ControlModifier)
            m_TextSee->selectAll();
    }
    if (watched == m_Slider1 && type == QEvent::MouseButtonRelease) {
        // The box follows the slider only once the mouse lets go of it; the value is read
        // after the slider has handled the release.
        QMetaObject::invokeMethod(
            this, [this] { selectBox(m_Slider1->value()); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::setStatus(const QString& text)
{
    m_LabelMain->setText(text);
}

QString Form1::statusText() const
{
    return m_LabelMain->text();
}

int Form1::selectedBox() const
{
    return m_TabStripMain->currentIndex() + 1;
}

QString Form1::boxCaption(int box) const
{
    return m_TabStripMain->tabText(box - 1);
}

void Form1::setCaptions(const QStringList& captions)
{
    for (int box = 1; box <= AppState::kBoxCount && box <= captions.size(); ++box)
        m_TabStripMain->setTabText(box - 1, captions.at(box - 1));
}

void Form1::selectBox(int box)
{
    if (!AppState::isValidBox(box))
        return;
    {
        const QSignalBlocker blocker(m_TabStripMain);
        m_TabStripMain->setCurrentIndex(box - 1);
    }
    m_state.setCurrentBox(box);
    m_store.LoadBox();
    loadMacroList(box);
    m_Slider1->setValue(box);
}

void Form1::loadMacroList(int box)
{
    QStringList names = m_macros ? m_macros->macroNames(box) : QStringList();
    for (int macro = int(names.size()) + 1; macro <= AppState::kPositionCount; ++macro)
        names.append(QStringLiteral("Macro %1").arg(macro));
    {
        const QSignalBlocker blocker(m_ComboMacros);
        for (int index = 0; index < AppState::kPositionCount; ++index)
            m_ComboMacros->setItemText(index, names.at(index));
        m_ComboMacros->setCurrentIndex(0);
    }
    viewSelectedMacro();
}

void Form1::viewSelectedMacro()
{
    const int number = m_ComboMacros->currentIndex() + 1;
    showInViewer(QStringLiteral("Macro %1 - %2").arg(number).arg(m_ComboMacros->currentText()),
        m_macros ? m_macros->macroBody(number, m_state.currentBox()) : QString());
}

void Form1::macroFrameHint()
{
    const int number = m_ComboMacros->currentIndex() + 1;
    const QString title = QStringLiteral("Macro %1 - %2").arg(number).arg(m_ComboMacros->currentText());
    // Reading the macro file on every mouse move is wasted while the same macro is shown.
    if (title != m_TextSeeTitle->text())
        showInViewer(title, m_macros ? m_macros->macroBody(number, m_state.currentBox()) : QString());
}

void Form1::undoHint(int level, bool macro)
{
    const QString title = macro
        ? (level == 1 ? QStringLiteral("Last deleted macro.") : QStringLiteral("Previous deleted macro."))
        : (level == 1 ? QStringLiteral("Last deleted text.") : QStringLiteral("Previous deleted text."));
    setStatus(title + QStringLiteral(" Click to copy to clipboard; right-click to clear."));
    const QString text
        = macro ? (m_macros ? m_macros->deletedMacro(level) : QString()) : m_store.undoText(level);
    showInViewer(title, text);
}

void Form1::clipboardHint(const QString& status)
{
    setStatus(status);
    showInViewer(kClipboardContents, m_clipboard.ClipboardGetText());
}

void Form1::applyClipColour(std::optional<unsigned> colour)
{
    m_FrameClipboardButtons->setButtonColour(colourFromBgr(colour.value_or(Startup::kDefaultClipColour)));
}

QColor Form1::colourFromBgr(unsigned bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void Form1::showInViewer(const QString& title, const QString& text)
{
    m_TextSeeTitle->setText(title);
    setViewerText(text);
}

void Form1::setViewerText(const QString& text)
{
    m_viewerText = text;
    m_TextSee->setPlainText(LineBreaks::forEditor(text));
}

void Form1::emptyViewer()
{
    showInViewer(QString(), QString());
}

QString Form1::viewerTitle() const
{
    return m_TextSeeTitle->text();
}

void Form1::restorePlacement()
{
    const ScreenTwips tw(this);
    SettingsStore& settings = m_state.settings();
    const int left = Startup::windowEdge(
        settings.IniRead(kSettings, QStringLiteral("Left"), QStringLiteral("36")), tw.screenSize().width());
    const int top = Startup::windowEdge(
        settings.IniRead(kSettings, QStringLiteral("Top"), QStringLiteral("36")), tw.screenSize().height());
    move(tw.point(left, top));
}

void Form1::closeEvent(QCloseEvent* event)
{
    SettingsStore& settings = m_state.settings();
    settings.IniWrite(kSettings, QStringLiteral("BoxNo"), QString::number(m_state.currentBox()));
    const ScreenTwips tw(this);
    const QPoint edges = tw.toTwips(pos());
    // A minimised window has no placement worth keeping.
    if (!isMinimized() && edges.x() > 0 && edges.y() > 0) {
        settings.IniWrite(kSettings, QStringLiteral("Left"), QString::number(edges.x()));
        settings.IniWrite(kSettings, QStringLiteral("Top"), QString::number(edges.y()));
    }
    event->accept();
    emit unloaded();
}

void Form1::menuChosen(int index)
{
    switch (index) {
    case 1:
        openHelp();
        break;
    case 2:
        showAbout();
        break;
    case 3:
        MakerPage::OpenMakerPage();
        break;
    default:
        break;
    }
    m_ComboMain->setCurrentIndex(0);
}

void Form1::openHelp()
{
    // F1 goes to the focused widget like a key the user pressed, so it opens the help exactly
    // as F1 does.
    if (m_sendKeys)
        m_sendKeys(QStringLiteral("{F1}"));
    else
        m_help.showHelp();
}

void Form1::showAbout()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Moxeno Trellin"),
        QStringLiteral("Moxeno Trellin\nRelease %1").arg(QStringLiteral(TRELLIN_VERSION)), QMessageBox::Ok,
        this);
    box.setIconPixmap(AppIcon::pixmap(48));
    ModalHook::opened(box);
    box.exec();
}

void Form1::clearBox()
{
    if (m_boxes.askAndClearBox(selectedBox()))
        loadMacroList(m_state.currentBox());
}

void Form1::moveBox(int index)
{
    const std::optional<int> moved = m_boxes.moveBox(
        selectedBox(), index == 0 ? BoxManager::Direction::Right : BoxManager::Direction::Left);
    if (!moved)
        return;
    setCaptions(m_boxes.captions());
    // The moved box stays selected at its new place.
    selectBox(*moved);
}

void Form1::renameBox()
{
    const int box = selectedBox();
    if (m_boxes.askAndRenameBox(box))
        m_TabStripMain->setTabText(box - 1, m_boxes.caption(box));
}

void Form1::clearClipboard()
{
    if (!m_boxes.clearClipboard())
        return;
    showInViewer(kClipboardContents, QString());
}

void Form1::editClipboard()
{
    if (!m_clipboardViewer)
        m_clipboardViewer = new ClipboardViewer(m_clipboard, this);
    m_clipboardViewer->open();
}
