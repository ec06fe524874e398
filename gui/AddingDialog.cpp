#include "gui/AddingDialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace sgry {

QPoint CentredOn(const QRect& owner, const QSize& size) {
    const QPoint centre(owner.left() + owner.width() / 2, owner.top() + owner.height() / 2);
    return QPoint(centre.x() - size.width() / 2, centre.y() - size.height() / 2);
}

AddingDialog::AddingDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QString::fromUtf8(kAddingTitle));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(tr(kAddingText), this);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    layout->setContentsMargins(24, 16, 24, 16);
}

void AddingDialog::ShowNow() {
    show();
    // Placed once shown, when the window knows its final size.
    if (QWidget* owner = parentWidget()) move(CentredOn(owner->frameGeometry(), frameGeometry().size()));
    // Let the window system map the notice; no user input is taken meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    if (QWidget* owner = parentWidget()) owner->repaint();
}

void AddingDialogNotice::Show() {
    QWidget* owner = owner_ ? owner_->window() : nullptr;
    dialog_ = std::make_unique<AddingDialog>(owner);
    ++shownCount_;
    dialog_->ShowNow();
}

void AddingDialogNotice::Hide() { dialog_.reset(); }

}  // namespace sgry
