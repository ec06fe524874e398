#include "gui/StampSettingsDialog.h"

#include "app/AutoFontChange.h"
#include "gui/HeaderFooterPage.h"
#include "gui/MarginPage.h"
#include "gui/QrPage.h"
#include "gui/WatermarkPage.h"
#include "gui/PreviewPane.h"

#include <QDialogButtonBox>

namespace sgry {

StampSettingsDialog::StampSettingsDialog(StampSettings& settings, UserPrompts& prompts, QWidget* parent)
    : SettingsDialog(tr("Stamp Settings"), prompts, parent), settings_(settings) {
    margin_ = new MarginPage(settings, prompts);
    header_ = new HeaderFooterPage(tr("Header"), 0, settings, prompts);
    footer_ = new HeaderFooterPage(tr("Footer"), 1, settings, prompts);
    waterMark_ = new WatermarkPage(settings, prompts);
    qr_ = new QrPage(settings, prompts);
    for (SettingsPage* page : {static_cast<SettingsPage*>(margin_), static_cast<SettingsPage*>(header_),
                               static_cast<SettingsPage*>(footer_), static_cast<SettingsPage*>(waterMark_),
                               static_cast<SettingsPage*>(qr_)})
        AddPage(page);
}

void StampSettingsDialog::EnablePreview(PreviewSetup setup) {
    if (preview_) return;
    layout_ = setup.layout;
    preview_ = new PreviewPane([this] { return PendingSettings(); }, setup.app, std::move(setup.sourcePath),
                               setup.tempParent);
    AddBesidePages(preview_);
    for (int i = 0; i < PageCount(); ++i)
        connect(Page(i), &SettingsPage::modified, preview_, &PreviewPane::ScheduleRender);

    previewButton_ = Buttons()->addButton(tr("Pre&view"), QDialogButtonBox::ActionRole);
    previewButton_->setObjectName(QStringLiteral("previewButton"));
    previewButton_->setCheckable(true);
    previewButton_->setAutoDefault(false);
    connect(previewButton_, &QPushButton::toggled, preview_, &QWidget::setVisible);
    const bool shown = !layout_ || layout_->paneShown;
    previewButton_->setChecked(shown);
    preview_->setVisible(shown);
    if (layout_ && layout_->width > 0)
        resize(layout_->width, layout_->height);
    else
        resize(sizeHint() + QSize(240, 120));
}

StampSettings StampSettingsDialog::PendingSettings() const {
    StampSettings pending = settings_;
    if (margin_->IsOpened()) margin_->StoreInto(pending);
    if (header_->IsOpened()) header_->StoreInto(pending);
    if (footer_->IsOpened()) footer_->StoreInto(pending);
    if (waterMark_->IsOpened()) waterMark_->StoreInto(pending);
    if (qr_->IsOpened()) qr_->StoreInto(pending);
    return pending;
}

void StampSettingsDialog::AfterStore() {
    if (header_->IsOpened()) headerFlags_ |= header_->ChangeFlags();
    if (footer_->IsOpened()) footerFlags_ |= footer_->ChangeFlags();
    if (waterMark_->IsOpened()) waterMarkFlags_ |= waterMark_->ChangeFlags();
}

std::string StampSettingsDialog::ClosingReport() const {
    return AutoChangeReport(headerFlags_, footerFlags_, waterMarkFlags_);
}

void StampSettingsDialog::done(int result) {
    if (layout_) {
        layout_->width = width();
        layout_->height = height();
        layout_->paneShown = previewButton_->isChecked();
    }
    if (!reported_) {
        reported_ = true;
        const std::string report = ClosingReport();
        if (!report.empty()) Prompts().ShowMessage(report, MessageIcon::Information);
    }
    SettingsDialog::done(result);
}

int ShowStampSettingsDialog(QWidget* parent, StampSettings& settings, UserPrompts& prompts) {
    return RunSettingsDialog<StampSettingsDialog>(parent, settings, &prompts);
}

int ShowStampSettingsDialog(QWidget* parent, StampSettings& settings, UserPrompts& prompts, PreviewSetup preview) {
    StampSettingsDialog sheet(settings, prompts, parent);
    sheet.EnablePreview(std::move(preview));
    return sheets::RunDialog(sheet);
}

int ShowStampSettingsDialog(QWidget* parent, StampSettings& settings) {
    return RunSettingsDialog<StampSettingsDialog>(parent, settings, nullptr);
}

}  // namespace sgry
