#include "gui/main/MainWindow.h"

#include "boxes/BoxManager.h"
#include "boxes/BoxStore.h"
#include "core/DataContext.h"
#include "core/DataFiles.h"
#include "core/FileWatch.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/StatusLog.h"
#include "gui/boxes/BoxTabsFrame.h"
#include "gui/boxes/ClipboardTextFrame.h"
#include "gui/boxes/PositionButton.h"
#include "gui/boxes/PositionButtonsFrame.h"
#include "gui/calc/CalculatorFrame.h"
#include "gui/macros/MacroFrame.h"
#include "gui/macros/MacroPlayer.h"
#include "gui/main/HelpWindow.h"
#include "gui/main/MakerPage.h"
#include "gui/main/StatusBar.h"
#include "gui/main/ViewerFrame.h"
#include "gui/notepads/NotepadsFrame.h"
#include "gui/options/AboutDialog.h"
#include "gui/options/SystemPickers.h"
#include "gui/search/SearchDialog.h"
#include "gui/widgets/AppIcon.h"
#include "gui/widgets/DialogPlacement.h"
#include "gui/widgets/HintFilter.h"
#include "gui/widgets/ScreenTwips.h"

#include <QCloseEvent>
#include <QGroupBox>

namespace {

const QString kReady = QStringLiteral("Ready");

DialogPlacement placement(Settings& settings)
{
    return DialogPlacement(settings, Settings::Key::WindowLeft, Settings::Key::WindowTop);
}

// Places a frame at its layout position (twips) in the window, whatever widget holds it.
void place(QWidget* frame, const QWidget* window, int left, int top, int width, int height)
{
    const ScreenTwips tw(window);
    const QPoint parentOrigin = frame->parentWidget()->mapTo(window, QPoint(0, 0));
    frame->setGeometry(tw.rect(left, top, width, height).translated(-parentOrigin));
}

} // namespace

MainWindow::MainWindow(DataContext& context, BoxStore& store, BoxManager& boxes, PositionActions& actions,
    Clipboard& clipboard, HelpWindow& help, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_store(store)
    , m_boxes(boxes)
    , m_actions(actions)
    , m_help(help)
    , m_systemPickers(std::make_unique<SystemPickers>())
    , m_pickers(m_systemPickers.get())
    , m_clipboard(clipboard)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Moxeno Trellin"));
    setWindowIcon(AppIcon::icon());
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    const ScreenTwips tw(this);
    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));

    m_boxTabs = new BoxTabsFrame(this);
    QWidget* page = m_boxTabs->page();
    m_textFrame = new ClipboardTextFrame(store, boxes, actions, clipboard, page);
    place(m_textFrame, this, 240, 600, 4575, 2415);
    m_macroFrame = new MacroFrame(page);
    place(m_macroFrame, this, 240, 3120, 4575, 1092);
    m_viewer = new ViewerFrame(boxes, clipboard, page);
    place(m_viewer, this, 5040, 480, 6015, 3735);
    m_calculatorFrame = new CalculatorFrame(context, clipboard, this);
    place(m_calculatorFrame, this, 120, 4560, 4692, 4455);
    m_notepadsFrame = new NotepadsFrame(clipboard, this);
    place(m_notepadsFrame, this, 5040, 4560, 6132, 4452);
    for (QGroupBox* frame : findChildren<QGroupBox*>())
        ScreenTwips::keepBelowTitle(frame);
    m_statusBar = new StatusBar(context.log(), this);
    m_files = new FileWatch(this);
    connect(m_files, &FileWatch::changed, this, &MainWindow::fileChanged);

    connect(m_boxTabs, &BoxTabsFrame::statusText, this, &MainWindow::setStatus);
    connect(m_textFrame, &ClipboardTextFrame::statusText, this, &MainWindow::setStatus);
    connect(m_macroFrame, &MacroFrame::statusText, this, &MainWindow::setStatus);
    connect(m_viewer, &ViewerFrame::statusText, this, &MainWindow::setStatus);
    connect(m_notepadsFrame, &NotepadsFrame::statusText, this, &MainWindow::setStatus);
    connect(m_calculatorFrame, &CalculatorFrame::statusText, this, &MainWindow::setStatus);
    connect(m_textFrame, &ClipboardTextFrame::viewerShows, this, &MainWindow::showInViewer);
    connect(m_textFrame, &ClipboardTextFrame::viewerTextShows, m_viewer, &ViewerFrame::setText);
    connect(m_macroFrame, &MacroFrame::viewerShows, this, &MainWindow::showInViewer);
    connect(m_macroFrame, &MacroFrame::logged, this,
        [this](const QString& text) { m_context.log().logStatus(text); });
    connect(m_macroFrame, &MacroFrame::playRequested, this, [this](int number, const QString& name) {
        const int box = selectedBox();
        if (m_player && !m_player->play(box, number, name, boxCaption(box)))
            setStatus(kReady);
    });
    connect(m_viewer, &ViewerFrame::titleChanged, m_macroFrame, &MacroFrame::setViewerTitle);
    connect(m_boxTabs, &BoxTabsFrame::boxChosen, this, &MainWindow::selectBox);
    connect(m_viewer, &ViewerFrame::clearBoxRequested, this, &MainWindow::clearBox);
    connect(m_viewer, &ViewerFrame::undoClearRequested, this, &MainWindow::undoClear);
    connect(m_viewer, &ViewerFrame::moveBoxRequested, this, &MainWindow::moveBox);
    connect(m_viewer, &ViewerFrame::renameBoxRequested, this, &MainWindow::renameBox);
    connect(m_viewer, &ViewerFrame::searchAllRequested, this, [this] { openSearch(true, true); });
    connect(m_textFrame, &ClipboardTextFrame::searchTextRequested, this, [this] { openSearch(true, false); });
    connect(m_macroFrame, &MacroFrame::searchMacrosRequested, this, [this] { openSearch(false, true); });
    m_help.setMainWindow(this);
    connect(m_statusBar, &StatusBar::helpRequested, &m_help, &HelpWindow::showHelp);
    connect(m_statusBar, &StatusBar::aboutRequested, this, &MainWindow::showAbout);
    connect(m_statusBar, &StatusBar::closeRequested, this, &QWidget::close);
    // A cleared position no longer has a text to show.
    connect(&m_store, &BoxStore::positionCleared, m_viewer, &ViewerFrame::clearText);

    auto* hints = new HintFilter(this);
    const auto ready = [this] { setStatus(kReady); };
    hints->add(this, ready, true);
    hints->add(m_calculatorFrame, ready);

    // The keyboard starts at the first command: position 1.
    positionButtons()->button(1)->setFocus();

    // The load step: placement, status line, button colour.
    placement(m_context.settings()).restore(*this);
    setStatus(kReady);
    applyClipColour(m_context.settings().colour(Settings::Key::ClipColour));
}

MainWindow::~MainWindow() = default;

void MainWindow::setCalculatorSender(TextInserter* inserter, WindowSwitcher* windows)
{
    m_calculatorFrame->setSender(inserter, windows);
}

void MainWindow::setMacros(const MacroSource* macros, MacroActions* actions)
{
    m_macroFrame->setMacros(macros, actions);
    m_macroActions = actions;
}

void MainWindow::setStatus(const QString& text)
{
    m_statusBar->setStatus(text);
}

QString MainWindow::statusText() const
{
    return m_statusBar->status();
}

PositionButtonsFrame* MainWindow::positionButtons() const
{
    return m_textFrame->positionButtons();
}

int MainWindow::selectedBox() const
{
    return m_boxTabs->selectedBox();
}

QString MainWindow::boxCaption(int box) const
{
    return m_boxTabs->caption(box);
}

void MainWindow::setCaptions(const QStringList& captions)
{
    m_boxTabs->setCaptions(captions);
    m_viewer->setBoxCaption(boxCaption(selectedBox()));
}

void MainWindow::selectBox(int box)
{
    if (!DataFiles::isValidBox(box))
        return;
    m_boxTabs->showBox(box);
    m_viewer->setBoxCaption(boxCaption(box));
    m_viewer->setUndoClearShown(m_boxes.hasBackup(box));
    (void)m_store.loadBox(box);
    m_macroFrame->loadMacroList(box);
    followFiles();
}

void MainWindow::followFiles()
{
    const QString folder = m_context.dataFolder();
    const int box = selectedBox();
    m_files->setFiles({DataFiles::boxFile(folder, box), DataFiles::macroFile(folder, box),
        DataFiles::namesFile(folder), m_context.settings().store().iniPath()});
}

void MainWindow::fileChanged(const QString& file)
{
    // The window's own saves have reloaded what it shows already: they compare equal here, so
    // they are neither reloaded again nor told.
    const int box = selectedBox();
    if (file == DataFiles::boxFile(m_context.dataFolder(), box)) {
        const QString title = viewerTitle();
        if (!m_store.reloadIfChanged())
            return;
        // The viewer keeps what it shows; a position's text is shown as it is now.
        const QString position = title.endsWith(u':') ? title.chopped(1) : QString();
        bool isPosition = false;
        const int shown = position.toInt(&isPosition);
        if (isPosition && shown >= 1 && shown <= DataFiles::kPositionCount)
            m_viewer->setText(m_store.cached(shown));
        m_context.log().logStatus(QStringLiteral("Box %1 reloaded: its texts changed on disk").arg(box));
    } else if (file == DataFiles::macroFile(m_context.dataFolder(), box)) {
        if (m_macroFrame->reloadIfChanged())
            m_context.log().logStatus(
                QStringLiteral("Box %1 macros reloaded: they changed on disk").arg(box));
    } else if (file == DataFiles::namesFile(m_context.dataFolder())) {
        // A rename or a move by trellinctl: the tabs show the names as they are now.
        captionsChanged();
    } else {
        const QStringList changed = applyStoredSettings();
        if (!changed.isEmpty())
            m_context.log().logStatus(
                QStringLiteral("Settings changed on disk: %1").arg(changed.join(QStringLiteral(", "))));
    }
}

QStringList MainWindow::applyStoredSettings()
{
    const Settings& settings = m_context.settings();
    QStringList changed;
    const QColor colour
        = colourFromBgr(settings.colour(Settings::Key::ClipColour).value_or(Settings::kDefaultClipColour));
    if (colour != positionButtons()->buttonColour()) {
        positionButtons()->setButtonColour(colour);
        changed << QStringLiteral("button colour");
    }
    if (settings.flag(Settings::Key::WarnOverwrite) != m_context.warnOverwrite()) {
        m_context.setWarnOverwrite(!m_context.warnOverwrite());
        changed << QStringLiteral("overwrite warning");
    }
    if (m_calculatorFrame->applyStoredPlaces())
        changed << QStringLiteral("decimal places");
    return changed;
}

void MainWindow::openSearch(bool texts, bool macros)
{
    if (!m_macroActions)
        return;
    SearchDialog::Host host {[this](int box) { return boxCaption(box); }, [this] { return selectedBox(); },
        [this](int box) { selectBox(box); }, [this](int number) { m_macroFrame->selectMacro(number); },
        [this](int box) { m_macroFrame->loadMacroList(box); }};
    SearchDialog dialog(m_context, m_actions, *m_macroActions, m_clipboard, std::move(host), this);
    dialog.setSearched(texts, macros);
    dialog.exec();
}

void MainWindow::applyClipColour(std::optional<unsigned> colour)
{
    positionButtons()->setButtonColour(colourFromBgr(colour.value_or(Settings::kDefaultClipColour)));
}

QColor MainWindow::colourFromBgr(unsigned bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void MainWindow::showInViewer(const QString& title, const QString& text)
{
    m_viewer->display(title, text);
}

void MainWindow::emptyViewer()
{
    m_viewer->display(QString(), QString());
}

QString MainWindow::viewerTitle() const
{
    return m_viewer->title();
}

QString MainWindow::viewerText() const
{
    return m_viewer->text();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    Settings& settings = m_context.settings();
    m_context.checkStored(
        settings.setNumber(Settings::Key::BoxNo, selectedBox()), QStringLiteral("box on show"));
    m_context.checkStored(placement(settings).store(*this), QStringLiteral("window position"));
    event->accept();
    emit unloaded();
}

void MainWindow::showAbout()
{
    AboutDialog about(
        m_context, *m_pickers, positionButtons()->buttonColour(), MakerPage::address().toString(), this);
    connect(
        &about, &AboutDialog::buttonColourChanged, positionButtons(), &PositionButtonsFrame::setButtonColour);
    connect(&about, &AboutDialog::makerPageRequested, this, [] { MakerPage::openMakerPage(); });
    connect(&about, &AboutDialog::helpRequested, &m_help, &HelpWindow::showHelp);
    // Every box is read anew from the new folder.
    connect(&about, &AboutDialog::dataFolderChanged, this, [this] {
        captionsChanged();
        selectBox(selectedBox());
    });
    about.exec();
}

void MainWindow::clearBox()
{
    const int box = selectedBox();
    if (m_boxes.askAndClearBox(box))
        m_macroFrame->loadMacroList(box);
    m_viewer->setUndoClearShown(m_boxes.hasBackup(box));
}

void MainWindow::undoClear()
{
    const int box = selectedBox();
    if (m_boxes.askAndRestoreBox(box))
        m_macroFrame->loadMacroList(box);
    m_viewer->setUndoClearShown(m_boxes.hasBackup(box));
}

void MainWindow::moveBox(BoxManager::Direction way)
{
    const int box = selectedBox();
    // Box 1 cannot move left, nor box 99 right: the command does nothing there.
    if ((box == 1 && way == BoxManager::Direction::Left)
        || (box == DataFiles::kBoxCount && way == BoxManager::Direction::Right))
        return;
    const Result<int> moved = m_boxes.moveBox(box, way);
    if (!moved) {
        m_context.prompter().tell(
            QStringLiteral("Box %1 could not be moved:\n%2\n\nEvery file is back in its place.")
                .arg(box)
                .arg(moved.error()),
            PromptIcon::Critical);
        return;
    }
    captionsChanged();
    // The moved box stays selected at its new place.
    selectBox(*moved);
}

void MainWindow::renameBox()
{
    if (m_boxes.askAndRenameBox(selectedBox()))
        captionsChanged();
}

void MainWindow::captionsChanged()
{
    setCaptions(m_boxes.captions());
}
