#pragma once

#include <functional>

class QDialog;

// Every modal dialog the program opens reports here once it is on screen. The program never
// sets a handler; a widget test sets one to answer the real dialog (or to fail on a dialog it
// did not expect) instead of leaving the test waiting on a modal window nobody closes.
namespace ModalHook {

using Handler = std::function<void(QDialog& dialog)>;

void setHandler(Handler handler);
bool hasHandler();

// Runs the handler from the dialog's own event loop, right after it has started.
void opened(QDialog& dialog);

} // namespace ModalHook
