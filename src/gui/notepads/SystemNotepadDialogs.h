#pragma once

#include "gui/notepads/NotepadDialogs.h"

#include <QFileDialog>
#include <QPrinter>

#include <memory>

// The notepads' dialogs as Qt's file and print dialogs, modal over the main window.
class SystemNotepadDialogs : public NotepadDialogs
{
public:
    QString openFileName(QWidget* parent) override;
    QString saveFileName(QWidget* parent) override;
    int printCopies(QWidget* parent) override;
    bool printJob(const QString& text) override;

    // The printer the print dialog set up; made at the first use, as it loads the print system.
    QPrinter& printer();

private:
    QString askFileName(QWidget* parent, QFileDialog::AcceptMode mode);

    std::unique_ptr<QPrinter> m_printer;
    QString m_folder; // where the last file was opened or saved
};
