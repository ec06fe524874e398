#pragma once
// How the settings sheets, pages and their dialogs run a modal dialog (the
// font and colour dialog, the colour picker, the file dialog, the QR preview,
// the sheets themselves). The program runs them with QDialog::exec(); a test
// installs a runner that works the dialog without a nested event loop.
#include <functional>

class QDialog;

namespace sgry::sheets {

// Receives the dialog, returns its result code (QDialog::Accepted or Rejected).
using DialogRunner = std::function<int(QDialog&)>;

// Runs the dialog modally with the installed runner, or exec() without one.
int RunDialog(QDialog& dialog);

// Installs a runner (empty: back to exec()) and returns the previous one.
DialogRunner SetDialogRunner(DialogRunner runner);

}  // namespace sgry::sheets
