#pragma once

#include "macros/PlaybackHost.h"

#include <QDialog>

class CommandLabel;
class QLabel;
class QLineEdit;

// The dialog of a playback's message and input steps: a heading, the message or prompt, for
// an input the answer box, and Abort, Miss (input only) and Continue. Enter and the keypad
// Enter, released in the answer box or on the dialog, act as Continue. Closing it any other
// way aborts, so nothing is typed that the user did not confirm.
class MacroStepDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MacroStepDialog(QWidget* parent = nullptr);

    // A message: no answer box, no Miss.
    void setMessage(const QString& text);
    // An input: the prompt with the default answer filled in.
    void setInput(const QString& prompt, const QString& defaultText);

    // Shows the dialog modally and returns how it was left.
    StepAnswer ask();
    QString answerText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void leave(StepAnswer answer);
    void caretToEnd();

    StepAnswer m_answer = StepAnswer::Abort;
    QLabel* m_heading;
    QLabel* m_text;
    QLineEdit* m_answerBox;
    CommandLabel* m_abort;
    CommandLabel* m_miss;
    CommandLabel* m_continue;
};
