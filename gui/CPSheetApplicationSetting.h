#pragma once
// "環境設定": the preferences sheet with its one page "全般".
#include "gui/PropertySheet.h"
#include "settings/StampSettings.h"

namespace sgry {

class CPPageSetting;

class CPSheetApplicationSetting : public PropertySheet {
    Q_OBJECT

public:
    // `settings` and `prompts` (not owned) must outlive the sheet.
    CPSheetApplicationSetting(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    CPPageSetting* SettingPage() const { return page_; }

private:
    CPPageSetting* page_ = nullptr;
};

// Opens the preferences sheet modally over `parent` and returns when it
// closes: QDialog::Accepted after OK, Rejected after Cancel. Messages go to
// Qt message boxes, or to `prompts` in the second form.
int ShowApplicationSettingSheet(QWidget* parent, AppSettings& settings);
int ShowApplicationSettingSheet(QWidget* parent, AppSettings& settings, UserPrompts& prompts);

}  // namespace sgry
