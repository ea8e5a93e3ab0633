#pragma once

#include <QMessageBox>

// Every message box of the program opens here: modal over the parent (over the whole program
// when there is none), with the buttons given and Yes as the default where it is offered.
// Returns the button chosen; closing the box with Escape answers No or Cancel where offered.
QMessageBox::StandardButton showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok);
