#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class StatusLog;

// The bottom of the main window: the status log list, the menu, the status line, the Close
// label and the maker's icon.
class StatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit StatusBar(StatusLog& log, QWidget* parent = nullptr);

    void setStatus(const QString& text);
    QString status() const;

signals:
    void helpRequested();
    void aboutRequested();
    void closeRequested();

private:
    void menuChosen(int index);

    QComboBox* m_log;
    QComboBox* m_menu;
    QLabel* m_status;
};
