#pragma once

#include "core/Prompter.h"

#include <QDialog>

class CommandLabel;
class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class Settings;

// Asks before a stored text or macro is replaced or deleted. Shows the stored text, and for a
// replacement the new one; any way of closing it other than Yes answers No.
class OverwriteDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OverwriteDialog(Settings& settings, QWidget* parent = nullptr);

    // Shows the request modally and returns the answer; the dialog then stores its position.
    OverwriteAnswer ask(const OverwriteRequest& request);

    void setRequest(const OverwriteRequest& request);
    bool answeredYes() const { return m_answeredYes; }
    bool dontAskTicked() const;

    static constexpr int kClientWidth = 9660;
    static constexpr int kClientHeight = 6930;
    static constexpr int kFrameTop = 6480;
    static constexpr int kShortFrameTop = 3210;
    // The deletion question is 4215 twips high, title bar included; that leaves the frame's
    // own height below the shortened frame top.
    static constexpr int kShortClientHeight = kShortFrameTop + (kClientHeight - kFrameTop);

private:
    void answer(bool yes);
    void storePosition();

    Settings& m_settings;
    bool m_answeredYes = false;
    QLabel* m_question;
    QPlainTextEdit* m_storedText;
    QLabel* m_withLabel;
    QPlainTextEdit* m_newText;
    QFrame* m_answerFrame;
    QCheckBox* m_dontAsk;
    CommandLabel* m_yes;
    CommandLabel* m_no;
};
