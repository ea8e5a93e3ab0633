#pragma once

#include "search/SearchEngine.h"
#include "search/SearchHistory.h"

#include <QDialog>

#include <functional>

class Clipboard;
class CommandLabel;
class DataContext;
class MacroActions;
class PositionActions;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;

// The modal dialog "FormSearch": finds a text in the stored positions and macros of all boxes,
// one hit per Find, and lets the user copy, edit and save, delete, or (for a macro) go to the
// hit. Save and Delete are the main window's own actions on a position or a macro, which ask
// before a stored item is replaced or deleted.
class SearchDialog : public QDialog
{
    Q_OBJECT
public:
    // What the dialog needs of the main window.
    struct Host
    {
        std::function<QString(int box)> boxCaption;
        std::function<int()> currentBox;
        // Makes the box current, as a click on its tab does.
        std::function<void(int box)> selectBox;
        // Selects a macro of the current box in the macro list.
        std::function<void(int number)> selectMacro;
        std::function<void(int box)> reloadMacroList;
    };

    SearchDialog(DataContext& context, PositionActions& positions, MacroActions& macros, Clipboard& clipboard,
        Host host, QWidget* parent = nullptr);

    // Which stores the search starts with ticked.
    void setSearched(bool texts, bool macros);

    const SearchEngine& engine() const { return m_engine; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The parts of the form, top to bottom, each with its commands wired.
    void buildCriteria();
    void buildResults();
    void buildCommands();

    void find();
    void showHit(const SearchHit& hit);
    void tellNotFound(bool ranOut, const QStringList& unreadable);
    void tellUnreadable(const QStringList& unreadable);
    void reset();
    void setResultsEnabled(bool on);
    void copyToClipboard();
    void goTo();
    void deleteHit();
    void saveHit();
    QString boxName(int box) const;
    SearchOptions options() const;

    DataContext& m_context;
    PositionActions& m_positions;
    MacroActions& m_macros;
    Clipboard& m_clipboard;
    Host m_host;
    SearchEngine m_engine;
    SearchHistory m_history;
    // The stored text the results show, so an edit keeps its kind of line breaks.
    QString m_shownText;

    QComboBox* m_findText;
    QCheckBox* m_texts;
    QCheckBox* m_macroCheck;
    QCheckBox* m_caseSensitive;
    QCheckBox* m_onlyInBox;
    QComboBox* m_boxNo;
    CommandLabel* m_find;
    QLabel* m_searching;
    QLabel* m_resultsLabel;
    QLabel* m_where;
    QPlainTextEdit* m_results;
    CommandLabel* m_save;
    CommandLabel* m_delete;
    CommandLabel* m_goTo;
    CommandLabel* m_copy;
    CommandLabel* m_copyAndClose;
    CommandLabel* m_close;
};
