#include "gui/CPSheetStampSetting.h"

#include "app/AutoFontChange.h"
#include "gui/CPPageHeader.h"
#include "gui/CPPageMargin.h"
#include "gui/CPPageQR.h"
#include "gui/CPPageWaterMark.h"
#include "gui/PreviewPane.h"

#include <QDialogButtonBox>

namespace sgry {

CPSheetStampSetting::CPSheetStampSetting(StampSettings& settings, UserPrompts& prompts, QWidget* parent)
    : PropertySheet(tr("Stamp Settings"), prompts, parent), settings_(settings) {
    margin_ = new CPPageMargin(settings, prompts);
    header_ = new CPPageHeader(tr("Header"), 0, settings, prompts);
    footer_ = new CPPageHeader(tr("Footer"), 1, settings, prompts);
    waterMark_ = new CPPageWaterMark(settings, prompts);
    qr_ = new CPPageQR(settings, prompts);
    for (PropertyPage* page : {static_cast<PropertyPage*>(margin_), static_cast<PropertyPage*>(header_),
                               static_cast<PropertyPage*>(footer_), static_cast<PropertyPage*>(waterMark_),
                               static_cast<PropertyPage*>(qr_)})
        AddPage(page);
}

void CPSheetStampSetting::EnablePreview(PreviewSetup setup) {
    if (preview_) return;
    layout_ = setup.layout;
    preview_ = new PreviewPane([this] { return PendingSettings(); }, setup.app, std::move(setup.sourcePath),
                               setup.tempParent);
    AddBesidePages(preview_);
    for (int i = 0; i < PageCount(); ++i)
        connect(Page(i), &PropertyPage::modified, preview_, &PreviewPane::ScheduleRender);

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

StampSettings CPSheetStampSetting::PendingSettings() const {
    StampSettings pending = settings_;
    if (margin_->IsOpened()) margin_->StoreInto(pending);
    if (header_->IsOpened()) header_->StoreInto(pending);
    if (footer_->IsOpened()) footer_->StoreInto(pending);
    if (waterMark_->IsOpened()) waterMark_->StoreInto(pending);
    if (qr_->IsOpened()) qr_->StoreInto(pending);
    return pending;
}

void CPSheetStampSetting::AfterStore() {
    if (header_->IsOpened()) headerFlags_ |= header_->ChangeFlags();
    if (footer_->IsOpened()) footerFlags_ |= footer_->ChangeFlags();
    if (waterMark_->IsOpened()) waterMarkFlags_ |= waterMark_->ChangeFlags();
}

std::string CPSheetStampSetting::ClosingReport() const {
    return AutoChangeReport(headerFlags_, footerFlags_, waterMarkFlags_);
}

void CPSheetStampSetting::done(int result) {
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
    PropertySheet::done(result);
}

int ShowStampSettingSheet(QWidget* parent, StampSettings& settings, UserPrompts& prompts) {
    return RunPropertySheet<CPSheetStampSetting>(parent, settings, &prompts);
}

int ShowStampSettingSheet(QWidget* parent, StampSettings& settings, UserPrompts& prompts, PreviewSetup preview) {
    CPSheetStampSetting sheet(settings, prompts, parent);
    sheet.EnablePreview(std::move(preview));
    return sheets::RunDialog(sheet);
}

int ShowStampSettingSheet(QWidget* parent, StampSettings& settings) {
    return RunPropertySheet<CPSheetStampSetting>(parent, settings, nullptr);
}

}  // namespace sgry
