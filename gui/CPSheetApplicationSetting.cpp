#include "gui/CPSheetApplicationSetting.h"

#include "gui/CPPageSetting.h"
#include "gui/QtSheetPrompts.h"
#include "gui/SheetDialogRunner.h"

namespace sgry {

CPSheetApplicationSetting::CPSheetApplicationSetting(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : PropertySheet(QStringLiteral("環境設定"), prompts, parent) {
    page_ = new CPPageSetting(settings, prompts);
    AddPage(page_);
}

int ShowApplicationSettingSheet(QWidget* parent, AppSettings& settings, UserPrompts& prompts) {
    CPSheetApplicationSetting sheet(settings, prompts, parent);
    return sheets::RunDialog(sheet);
}

int ShowApplicationSettingSheet(QWidget* parent, AppSettings& settings) {
    sheets::QtSheetPrompts prompts;
    CPSheetApplicationSetting sheet(settings, prompts, parent);
    prompts.SetParent(&sheet);
    return sheets::RunDialog(sheet);
}

}  // namespace sgry
