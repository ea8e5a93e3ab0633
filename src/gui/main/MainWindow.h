#pragma once

#include "boxes/BoxManager.h"

#include <QWidget>

#include <memory>
#include <optional>

class BoxStore;
class BoxTabsFrame;
class CalculatorFrame;
class Clipboard;
class ClipboardTextFrame;
class DataContext;
class FileWatch;
class HelpWindow;
class KeySender;
class TextInserter;
class MacroActions;
class MacroFrame;
class MacroPlayer;
class MacroSource;
class NotepadsFrame;
class OptionsPickers;
class PositionActions;
class PositionButtonsFrame;
class StatusBar;
class ViewerFrame;
class WindowSwitcher;

// The main window "Moxeno Trellin": a composition of frames placed at their layout positions in twips —
// box tabs and slider, the text frame with the position buttons, the macro frame, the viewer,
// the calculator and notepads frames, and the status bar. The frames own their controls and
// talk through signals; the window routes what they show and runs the box commands on the
// box on show. Constructing it runs the window's load step (placement, "Ready", button
// colour); closing it stores the box on show and the window's placement.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(DataContext& context, BoxStore& store, BoxManager& boxes, PositionActions& actions,
        Clipboard& clipboard, HelpWindow& help, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The macros of the boxes and the commands of the macro list; without a source every box
    // shows as one without macros, and without actions the macro commands do nothing.
    void setMacros(const MacroSource* macros, MacroActions* actions);
    // Plays the macros Play asks for; without a player Play does nothing.
    void setMacroPlayer(MacroPlayer* player) { m_player = player; }
    // Where the calculator's Send types; without both Send does nothing.
    void setCalculatorSender(TextInserter* inserter, WindowSwitcher* windows);
    // The colour picker and folder browser of the options dialogs; the desktop's by default.
    void setOptionsPickers(OptionsPickers& pickers) { m_pickers = &pickers; }
    // Opens the search dialog modally with the stores it starts with ticked.
    void openSearch(bool texts, bool macros);

    // Box selection as a click on tab "box" does it: the box is shown, its texts and macros
    // are loaded and the slider follows.
    void selectBox(int box);
    int selectedBox() const;
    void setCaptions(const QStringList& captions);
    QString boxCaption(int box) const;

    // Another program changed a file the window follows: the box on show, its macros, or the
    // settings. What the window shows is read again; see followFiles().
    void fileChanged(const QString& file);
    // Applies the settings the window shows (button colour, overwrite warning, decimal places)
    // from the settings file; the names of the ones that changed.
    QStringList applyStoredSettings();

    // The button colour as 0xBBGGRR; nothing keeps the default colour.
    void applyClipColour(std::optional<unsigned> colour);
    static QColor colourFromBgr(unsigned bgr);

    void showInViewer(const QString& title, const QString& text);
    void emptyViewer();
    QString viewerTitle() const;
    QString viewerText() const;

    void setStatus(const QString& text);
    QString statusText() const;

    PositionButtonsFrame* positionButtons() const;
    NotepadsFrame* notepads() const { return m_notepadsFrame; }

    // The fixed size of the window's client area, in twips.
    static constexpr int kClientWidth = 11295;
    static constexpr int kClientHeight = 9975;

signals:
    // The window was closed and its settings written: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showAbout();
    void clearBox();
    void undoClear();
    void moveBox(BoxManager::Direction way);
    void renameBox();
    void captionsChanged();
    // Follows the files of the box on show and the settings file.
    void followFiles();

    DataContext& m_context;
    BoxStore& m_store;
    BoxManager& m_boxes;
    PositionActions& m_actions;
    HelpWindow& m_help;
    MacroPlayer* m_player = nullptr;
    std::unique_ptr<OptionsPickers> m_systemPickers;
    OptionsPickers* m_pickers;
    // What the macro list and the search dialog do to macros; without it the search commands
    // do nothing.
    MacroActions* m_macroActions = nullptr;
    Clipboard& m_clipboard;

    BoxTabsFrame* m_boxTabs;
    ClipboardTextFrame* m_textFrame;
    MacroFrame* m_macroFrame;
    ViewerFrame* m_viewer;
    CalculatorFrame* m_calculatorFrame;
    NotepadsFrame* m_notepadsFrame;
    StatusBar* m_statusBar;
    FileWatch* m_files;
};
