#include "gui/CPSheetApplicationSetting.h"

#include "gui/CPPageSetting.h"

namespace sgry {

CPSheetApplicationSetting::CPSheetApplicationSetting(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : PropertySheet(tr("Preferences"), prompts, parent) {
    page_ = new CPPageSetting(settings, prompts);
    AddPage(page_);
}

int ShowApplicationSettingSheet(QWidget* parent, AppSettings& settings, UserPrompts& prompts) {
    return RunPropertySheet<CPSheetApplicationSetting>(parent, settings, &prompts);
}

int ShowApplicationSettingSheet(QWidget* parent, AppSettings& settings) {
    return RunPropertySheet<CPSheetApplicationSetting>(parent, settings, nullptr);
}

}  // namespace sgry
