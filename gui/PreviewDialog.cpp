#include "gui/PreviewDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/PreviewPane.h"
#include "gui/SheetText.h"

namespace sgry {

namespace {
constexpr QSize kStartSize(520, 720);
}

PreviewDialog::PreviewDialog(const StampSettings& stamp, const AppSettings& app, std::string sourcePath,
                             const QString& tempParent, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Preview"));
    sheets::PreferJapaneseFace(this);
    pane_ = new PreviewPane([stamp] { return stamp; }, app, std::move(sourcePath), tempParent, this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pane_, 1);
    layout->addWidget(buttons);
    resize(kStartSize);
}

}  // namespace sgry
