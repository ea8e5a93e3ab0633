#include "gui/notepads/SystemNotepadDialogs.h"

#include "gui/notepads/NotepadPrinter.h"
#include "gui/widgets/ModalHook.h"

#include <QFileDialog>
#include <QPrintDialog>

namespace {

QString askFileName(QWidget* parent, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, QString(), QString(), QStringLiteral("Text files(*.txt)"));
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptSave) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        // The notepads ask their own question about an existing file.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    ModalHook::opened(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString SystemNotepadDialogs::openFileName(QWidget* parent)
{
    return askFileName(parent, QFileDialog::AcceptOpen);
}

QString SystemNotepadDialogs::saveFileName(QWidget* parent)
{
    return askFileName(parent, QFileDialog::AcceptSave);
}

int SystemNotepadDialogs::printCopies(QWidget* parent)
{
    m_printer.setCopyCount(1);
    QPrintDialog dialog(&m_printer, parent);
    // Page ranges do not apply: a copy is always the whole text.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    ModalHook::opened(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const int copies = std::max(1, m_printer.copyCount());
    // Each copy is a job of its own, so the printer must not repeat a job.
    m_printer.setCopyCount(1);
    return copies;
}

bool SystemNotepadDialogs::printJob(const QString& text)
{
    return NotepadPrinter::print(m_printer, text);
}
