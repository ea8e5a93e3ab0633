#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The small window shown while a macro plays: which macro plays, and the button that cancels
// it. A click on the button sets the abort flag and hides the window; the player sees the flag
// at its next pace step.
class MacroProgressWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MacroProgressWindow(const QString& macroName, QWidget* parent = nullptr);

    bool abortRequested() const { return m_abort; }

protected:
    // Closing the window cancels like the button, and never ends the program.
    void closeEvent(QCloseEvent* event) override;

private:
    void cancel();

    bool m_abort = false;
    QLabel* m_label;
    QPushButton* m_cancel;
};
