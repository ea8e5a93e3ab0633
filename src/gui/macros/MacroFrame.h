#pragma once

#include <QGroupBox>

#include <functional>

class HintFilter;
class MacroActions;
class MacroSource;
class QComboBox;

// The "Macros" frame: the macro list of the box on show with its up-down control, the
// deleted-macro undo entries, the macro search and the macro commands. It tells the main
// window what to show in the status line and the viewer. The commands act on the selected
// macro of the box the list was last loaded with; MacroActions does the work, the frame
// reloads the list after.
class MacroFrame : public QGroupBox
{
    Q_OBJECT
public:
    explicit MacroFrame(QWidget* parent = nullptr);

    // The macros of the boxes and their commands; without a source every box shows as one
    // without macros, and without actions the commands do nothing.
    void setMacros(const MacroSource* macros, MacroActions* actions);

    // Fills the list with the box's macro names and selects the first.
    void loadMacroList(int box);
    // Reads the list's box again after another program changed its macro file. When what the
    // frame shows differs (a name, whether the file can be read, or the body of the selected
    // macro while the viewer shows it), the list is refilled with the same macro selected, the
    // viewer follows only when it showed that macro, and the result is true.
    bool reloadIfChanged();
    int selectedMacro() const;
    // Selects macro number (1..99) in the list, as choosing it there does.
    void selectMacro(int number);

    // What the viewer shows now: hovering the frame shows the selected macro unless it is there.
    void setViewerTitle(const QString& title) { m_viewerTitle = title; }

signals:
    void statusText(const QString& text);
    void viewerShows(const QString& title, const QString& text);
    // Play was released with any mouse button: number 0 when nothing is selected.
    void playRequested(int number, const QString& name);
    void searchMacrosRequested();
    // A line for the status log: the macro file of the box cannot be read.
    void logged(const QString& text);

private:
    // The list row (list, up-down, undo labels, search) and the command row below it.
    void buildList();
    void buildCommands();
    // Hover hints for the status line; a macro hint names the selected macro between the texts.
    std::function<void()> hintText(const QString& text);
    std::function<void()> macroHint(const QString& before, const QString& after);

    // Fills the list; the viewer shows the selected macro when view is set.
    void fillList(int box, int index, bool view = true);
    void editMacro();
    void clearMacro(Qt::MouseButton button);
    void moveMacro(bool down);
    void undoReleased(int level, Qt::MouseButton button);
    void showUndo(int level);
    void viewSelectedMacro();
    void showSelectedMacro(const QString& body);
    void hoverFrame();
    QString selectedTitle() const;
    // The body of a macro, or why it cannot be read.
    QString macroBody(int number) const;
    QString unreadableText() const;

    HintFilter* m_hints;
    const MacroSource* m_macros = nullptr;
    MacroActions* m_actions = nullptr;
    int m_box = 1;
    QString m_viewerTitle;
    // Why the list's macro file cannot be read; empty when it was read.
    QString m_readError;
    // The body the viewer was last given for the selected macro.
    QString m_shownBody;
    QComboBox* m_list;
};
