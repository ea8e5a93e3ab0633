#pragma once

#include "gui/notepads/NotepadDialogs.h"

#include <QFileDialog>
#include <QPrinter>

// The notepads' dialogs as Qt's file and print dialogs, modal over the main window.
class SystemNotepadDialogs : public NotepadDialogs
{
public:
    QString openFileName(QWidget* parent) override;
    QString saveFileName(QWidget* parent) override;
    int printCopies(QWidget* parent) override;
    bool printJob(const QString& text) override;

    // The printer the print dialog set up.
    const QPrinter& printer() const { return m_printer; }

private:
    QString askFileName(QWidget* parent, QFileDialog::AcceptMode mode);

    QPrinter m_printer;
    QString m_folder; // where the last file was opened or saved
};
