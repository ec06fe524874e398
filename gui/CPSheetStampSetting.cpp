#include "gui/CPSheetStampSetting.h"

#include "app/AutoFontChange.h"
#include "gui/CPPageHeader.h"
#include "gui/CPPageMargin.h"
#include "gui/CPPageQR.h"
#include "gui/CPPageWaterMark.h"

namespace sgry {

CPSheetStampSetting::CPSheetStampSetting(StampSettings& settings, UserPrompts& prompts, QWidget* parent)
    : PropertySheet(QStringLiteral("書き出しの設定"), prompts, parent) {
    margin_ = new CPPageMargin(settings, prompts);
    header_ = new CPPageHeader(QStringLiteral("ヘッダー"), 0, settings, prompts);
    footer_ = new CPPageHeader(QStringLiteral("フッター"), 1, settings, prompts);
    waterMark_ = new CPPageWaterMark(settings, prompts);
    qr_ = new CPPageQR(settings, prompts);
    for (PropertyPage* page : {static_cast<PropertyPage*>(margin_), static_cast<PropertyPage*>(header_),
                               static_cast<PropertyPage*>(footer_), static_cast<PropertyPage*>(waterMark_),
                               static_cast<PropertyPage*>(qr_)})
        AddPage(page);
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

int ShowStampSettingSheet(QWidget* parent, StampSettings& settings) {
    return RunPropertySheet<CPSheetStampSetting>(parent, settings, nullptr);
}

}  // namespace sgry
