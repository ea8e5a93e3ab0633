#include "gui/notepads/SystemNotepadDialogs.h"

#include "gui/notepads/NotepadPrinter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>

QString SystemNotepadDialogs::askFileName(QWidget* parent, QFileDialog::AcceptMode mode)
{
    // The folder of the last file opened or saved, else the home folder: the working folder
    // of a program started from a desktop menu means nothing to the user.
    QFileDialog dialog(parent, QString(), m_folder.isEmpty() ? QDir::homePath() : m_folder,
        QStringLiteral("Text files(*.txt)"));
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptSave) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        // The notepads ask their own question about an existing file.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString file = dialog.selectedFiles().constFirst();
    m_folder = QFileInfo(file).absolutePath();
    return file;
}

QString SystemNotepadDialogs::openFileName(QWidget* parent)
{
    return askFileName(parent, QFileDialog::AcceptOpen);
}

QString SystemNotepadDialogs::saveFileName(QWidget* parent)
{
    return askFileName(parent, QFileDialog::AcceptSave);
}

QPrinter& SystemNotepadDialogs::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

int SystemNotepadDialogs::printCopies(QWidget* parent)
{
    printer().setCopyCount(1);
    QPrintDialog dialog(&printer(), parent);
    // Page ranges do not apply: a copy is always the whole text.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const int copies = std::max(1, printer().copyCount());
    // Each copy is a job of its own, so the printer must not repeat a job.
    printer().setCopyCount(1);
    return copies;
}

bool SystemNotepadDialogs::printJob(const QString& text)
{
    return NotepadPrinter::print(printer(), text);
}
