#pragma once
// "書き出しの設定": the stamp settings sheet with its five pages. When it
// closes, by OK or Cancel, it reports the automatic font changes its pages
// made while it was open.
#include <cstdint>

#include "gui/PropertySheet.h"
#include "settings/StampSettings.h"

namespace sgry {

class CPPageHeader;
class CPPageMargin;
class CPPageQR;
class CPPageWaterMark;

class CPSheetStampSetting : public PropertySheet {
    Q_OBJECT

public:
    // `settings` and `prompts` (not owned) must outlive the sheet.
    CPSheetStampSetting(StampSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    CPPageMargin* MarginPage() const { return margin_; }
    CPPageHeader* HeaderPage() const { return header_; }
    CPPageHeader* FooterPage() const { return footer_; }
    CPPageWaterMark* WaterMarkPage() const { return waterMark_; }
    CPPageQR* QrPage() const { return qr_; }

    // The report the sheet shows when it closes; "" for none.
    std::string ClosingReport() const;

    void done(int result) override;

protected:
    void AfterStore() override;

private:
    CPPageMargin* margin_ = nullptr;
    CPPageHeader* header_ = nullptr;
    CPPageHeader* footer_ = nullptr;
    CPPageWaterMark* waterMark_ = nullptr;
    CPPageQR* qr_ = nullptr;
    // ChangeFlags of every store since the sheet opened, so that an Apply
    // followed by OK still reports what the Apply changed.
    int32_t headerFlags_ = 0;
    int32_t footerFlags_ = 0;
    int32_t waterMarkFlags_ = 0;
    bool reported_ = false;
};

// Opens the stamp settings sheet modally over `parent` and returns after the
// closing report: QDialog::Accepted after OK, Rejected after Cancel.
// Messages go to Qt message boxes, or to `prompts` in the second form.
int ShowStampSettingSheet(QWidget* parent, StampSettings& settings);
int ShowStampSettingSheet(QWidget* parent, StampSettings& settings, UserPrompts& prompts);

}  // namespace sgry
