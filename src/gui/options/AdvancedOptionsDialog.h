#pragma once

#include <QDialog>

class DataContext;
class OptionsPickers;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// "Moxeno Trellin - advanced options": the macro playback delay, the questions before and
// after a macro, starting with the desktop session, the data folder, and how texts go into
// other windows (typed or pasted, by window class). Nothing is stored
// before Save; Save stores the options, writes or removes the autostart entry and, when another
// folder was chosen, moves the data files there.
class AdvancedOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    AdvancedOptionsDialog(DataContext& context, OptionsPickers& pickers, QWidget* parent = nullptr);

    // The delay text as Save stores it: no number or 0 gives "0.01", less than 0.001 gives
    // "0.001", more than 10 gives "10"; anything else stays as typed.
    static QString checkedDelay(const QString& typed);

    static QString folderBrowserTitle() { return QStringLiteral("Select a folder ..."); }

    static constexpr int kClientWidth = 6480;
    static constexpr int kClientHeight = 5220;

signals:
    void helpRequested();
    void dataFolderChanged();

private:
    void chooseFolder();
    void resetDefaults();
    void save();
    // The insert rules from top down; returns where the next row may start.
    int buildInsertRules(int top);

    DataContext& m_context;
    OptionsPickers& m_pickers;
    QLineEdit* m_delay;
    QCheckBox* m_promptBefore;
    QCheckBox* m_informAfter;
    QCheckBox* m_startWithSession;
    QLabel* m_dataPath;
    QComboBox* m_insertDefault;
    // The class lists of the insert rules, each with its setting.
    QList<std::pair<QLineEdit*, int>> m_insertLists;
};
