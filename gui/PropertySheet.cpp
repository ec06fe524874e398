#include "gui/PropertySheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/PropertyPage.h"
#include "gui/SheetText.h"

namespace sgry {

PropertySheet::PropertySheet(const QString& title, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(title);
    sheets::PreferJapaneseFace(this);
    tabs_ = new QTabWidget(this);
    buttons_ = new QDialogButtonBox(this);
    ok_ = buttons_->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons_->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    apply_ = buttons_->addButton(tr("&Apply"), QDialogButtonBox::ApplyRole);
    ok_->setDefault(true);
    apply_->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    body_ = new QHBoxLayout();
    body_->addWidget(tabs_);
    layout->addLayout(body_, 1);
    layout->addWidget(buttons_);

    connect(ok_, &QPushButton::clicked, this, &PropertySheet::OnOk);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &PropertySheet::OnApply);
    connect(tabs_, &QTabWidget::currentChanged, this, &PropertySheet::OnCurrentChanged);
}

void PropertySheet::AddPage(PropertyPage* page) {
    pages_.push_back(page);
    tabs_->addTab(page, page->Title());
    connect(page, &PropertyPage::modified, this, &PropertySheet::OnPageModified);
}

// The pages keep their natural width; the widget beside them takes the rest.
void PropertySheet::AddBesidePages(QWidget* widget) {
    tabs_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    body_->addWidget(widget, 1);
}

int PropertySheet::ActivePageIndex() const { return tabs_->currentIndex(); }

void PropertySheet::SetActivePage(int index) { tabs_->setCurrentIndex(index); }

bool PropertySheet::ApplyChanges() {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i]->IsOpened() && !pages_[i]->ValidatePage()) {
            SetActivePage(static_cast<int>(i));
            if (QWidget* culprit = pages_[i]->Culprit()) culprit->setFocus();
            return false;
        }
    }
    for (PropertyPage* page : pages_)
        if (page->IsOpened()) page->StorePage();
    AfterStore();
    apply_->setEnabled(false);
    return true;
}

void PropertySheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (PropertyPage* page = qobject_cast<PropertyPage*>(tabs_->currentWidget())) page->Open();
}

void PropertySheet::OnOk() {
    if (ApplyChanges()) accept();
}

void PropertySheet::OnApply() { ApplyChanges(); }

void PropertySheet::OnCurrentChanged(int index) {
    if (!isVisible() || index < 0) return;
    if (PropertyPage* page = qobject_cast<PropertyPage*>(tabs_->widget(index))) page->Open();
}

void PropertySheet::OnPageModified() { apply_->setEnabled(true); }

}  // namespace sgry
