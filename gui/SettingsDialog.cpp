#include "gui/SettingsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/SettingsPage.h"
#include "gui/SheetText.h"

namespace sgry {

SettingsDialog::SettingsDialog(const QString& title, UserPrompts& prompts, QWidget* parent)
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

    connect(ok_, &QPushButton::clicked, this, &SettingsDialog::OnOk);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &SettingsDialog::OnApply);
    connect(tabs_, &QTabWidget::currentChanged, this, &SettingsDialog::OnCurrentChanged);
}

void SettingsDialog::AddPage(SettingsPage* page) {
    pages_.push_back(page);
    tabs_->addTab(page, page->Title());
    connect(page, &SettingsPage::modified, this, &SettingsDialog::OnPageModified);
}

// The pages keep their natural width; the widget beside them takes the rest.
void SettingsDialog::AddBesidePages(QWidget* widget) {
    tabs_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    body_->addWidget(widget, 1);
}

int SettingsDialog::ActivePageIndex() const { return tabs_->currentIndex(); }

void SettingsDialog::SetActivePage(int index) { tabs_->setCurrentIndex(index); }

bool SettingsDialog::ApplyChanges() {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i]->IsOpened() && !pages_[i]->ValidatePage()) {
            SetActivePage(static_cast<int>(i));
            if (QWidget* culprit = pages_[i]->Culprit()) culprit->setFocus();
            return false;
        }
    }
    for (SettingsPage* page : pages_)
        if (page->IsOpened()) page->StorePage();
    AfterStore();
    apply_->setEnabled(false);
    return true;
}

void SettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (SettingsPage* page = qobject_cast<SettingsPage*>(tabs_->currentWidget())) page->Open();
}

void SettingsDialog::OnOk() {
    if (ApplyChanges()) accept();
}

void SettingsDialog::OnApply() { ApplyChanges(); }

void SettingsDialog::OnCurrentChanged(int index) {
    if (!isVisible() || index < 0) return;
    if (SettingsPage* page = qobject_cast<SettingsPage*>(tabs_->widget(index))) page->Open();
}

void SettingsDialog::OnPageModified() { apply_->setEnabled(true); }

}  // namespace sgry
