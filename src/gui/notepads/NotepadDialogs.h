#pragma once

#include <QString>

class QWidget;

// The standard dialogs the notepads use and the printer behind the print dialog. The window
// shows the system's dialogs; tests script the answers and count the print jobs.
class NotepadDialogs
{
public:
    virtual ~NotepadDialogs() = default;

    // A text file to open or to save to; "" when the dialog is cancelled.
    virtual QString openFileName(QWidget* parent) = 0;
    virtual QString saveFileName(QWidget* parent) = 0;
    // Shows the print dialog: the number of copies asked for, 0 when it is cancelled.
    virtual int printCopies(QWidget* parent) = 0;
    // Prints the text as one print job on the printer chosen last; false when it failed.
    virtual bool printJob(const QString& text) = 0;
};
