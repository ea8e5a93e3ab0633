#pragma once

#include <QHash>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class AppState;
class BoxManager;
class BoxStore;
class Clipboard;
class ClipboardViewer;
class CommandLabel;
class HelpWindow;
class MacroSource;
class PositionActions;
class PositionButtonsFrame;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QTabBar;
class UpDownControl;

// The main window "Moxeno Trellin": the 99 box tabs with the position buttons of the current
// box, the viewer, the macro list, the status line and log, the menu. Constructing it runs
// the window's load step (placement, "Ready", button colour); closing it stores the current
// box and the window's placement.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    using SendKeys = std::function<void(const QString& keys)>;

    Form1(AppState& state, BoxStore& store, BoxManager& boxes, PositionActions& actions, Clipboard& clipboard,
        HelpWindow& help, QWidget* parent = nullptr);
    ~Form1() override;

    // Keys for the program's own focused widget; without a sender the menu opens the help itself.
    void setSendKeys(SendKeys sendKeys) { m_sendKeys = std::move(sendKeys); }
    // The macros of the boxes; without a source every box shows as one without macros.
    void setMacroSource(const MacroSource* macros) { m_macros = macros; }

    // Box selection as a click on tab "box" does it: the box becomes current, its texts and
    // macros are loaded and the slider follows.
    void selectBox(int box);
    int selectedBox() const;
    void setCaptions(const QStringList& captions);
    QString boxCaption(int box) const;
    void loadMacroList(int box);

    // Settings/ClipColour as 0xBBGGRR; nothing keeps the designed colour.
    void applyClipColour(std::optional<unsigned> colour);
    static QColor colourFromBgr(unsigned bgr);

    void showInViewer(const QString& title, const QString& text);
    void setViewerText(const QString& text);
    void emptyViewer();
    QString viewerTitle() const;
    QString viewerText() const { return m_viewerText; }

    void setStatus(const QString& text);
    QString statusText() const;

    PositionButtonsFrame* positionButtons() const { return m_FrameClipboardButtons; }

    // The designed size of the window's client area, in twips.
    static constexpr int kClientWidth = 11295;
    static constexpr int kClientHeight = 9975;

signals:
    // The window was closed and its settings written: the program ends.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTop();
    void buildClipboardText();
    void buildMacros();
    void buildViewer();
    void buildBottom();
    void installHints();
    void restorePlacement();

    void hint(QWidget* widget, std::function<void()> action);
    void hint(QWidget* widget, const QString& text);
    CommandLabel* commandLabel(
        const QString& name, const QString& caption, QWidget* parent, const QRect& geometry);

    void menuChosen(int index);
    void openHelp();
    void showAbout();
    void viewSelectedMacro();
    void macroFrameHint();
    void undoHint(int level, bool macro);
    void clipboardHint(const QString& status);

    void clearBox();
    void moveBox(int index);
    void renameBox();
    void clearClipboard();
    void editClipboard();

    AppState& m_state;
    BoxStore& m_store;
    BoxManager& m_boxes;
    PositionActions& m_actions;
    Clipboard& m_clipboard;
    HelpWindow& m_help;
    SendKeys m_sendKeys;
    const MacroSource* m_macros = nullptr;
    QHash<QObject*, std::function<void()>> m_hints;
    QString m_viewerText;
    ClipboardViewer* m_clipboardViewer = nullptr;

    QTabBar* m_TabStripMain = nullptr;
    QFrame* m_tabPane = nullptr;
    QSlider* m_Slider1 = nullptr;
    QGroupBox* m_FrameClipboardText = nullptr;
    PositionButtonsFrame* m_FrameClipboardButtons = nullptr;
    std::array<CommandLabel*, 3> m_LabelTextUndo {}; // index 1 and 2
    CommandLabel* m_LabelSearchText = nullptr;
    QGroupBox* m_FrameMacros = nullptr;
    QComboBox* m_ComboMacros = nullptr;
    UpDownControl* m_UpDown3 = nullptr;
    std::array<CommandLabel*, 3> m_LabelMacroUndo {}; // index 1 and 2
    CommandLabel* m_LabelSearchMacros = nullptr;
    CommandLabel* m_LabelPlay = nullptr;
    CommandLabel* m_LabelMacroMoveDown = nullptr;
    CommandLabel* m_LabelMacroMoveUp = nullptr;
    CommandLabel* m_LabelMacroEdit = nullptr;
    CommandLabel* m_LabelClearMacro = nullptr;
    QFrame* m_FrameViewer = nullptr;
    CommandLabel* m_LabelSearchAll = nullptr;
    std::array<CommandLabel*, 2> m_LabelMoveBox {}; // 0 = right, 1 = left
    CommandLabel* m_LabelRenameBox = nullptr;
    CommandLabel* m_LabelClearBox = nullptr;
    QLineEdit* m_TextSeeTitle = nullptr;
    CommandLabel* m_LabelCopyToClip = nullptr;
    CommandLabel* m_LabelEditClipboard = nullptr;
    CommandLabel* m_LabelClearClipboard = nullptr;
    QPlainTextEdit* m_TextSee = nullptr;
    QGroupBox* m_FrameCalculator = nullptr;
    QGroupBox* m_FrameNotepads = nullptr;
    QComboBox* m_ComboMainRes = nullptr;
    QComboBox* m_ComboMain = nullptr;
    QLabel* m_LabelMain = nullptr;
    CommandLabel* m_LabelClose = nullptr;
    CommandLabel* m_picIcon = nullptr;
};
