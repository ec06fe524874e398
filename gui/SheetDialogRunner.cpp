#include "gui/SheetDialogRunner.h"

#include <QDialog>
#include <utility>

namespace sgry::sheets {
namespace {
DialogRunner& InstalledRunner() {
    static DialogRunner runner;
    return runner;
}
}  // namespace

int RunDialog(QDialog& dialog) {
    if (const DialogRunner& runner = InstalledRunner()) return runner(dialog);
    return dialog.exec();
}

DialogRunner SetDialogRunner(DialogRunner runner) {
    return std::exchange(InstalledRunner(), std::move(runner));
}

}  // namespace sgry::sheets
