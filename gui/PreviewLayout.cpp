#include "gui/PreviewLayout.h"

#include "platform/IniFile.h"
#include "settings/SettingsFile.h"

namespace sgry {

namespace {

constexpr const char* kWidthKey = "PreviewSheetWidth";
constexpr const char* kHeightKey = "PreviewSheetHeight";
constexpr const char* kShownKey = "PreviewPaneShown";
constexpr int kLargestSide = 16384;

IniFile AppSectionOf(const std::string& iniPath) {
    IniFile ini(iniPath);
    ini.SetSection(kAppSection);
    return ini;
}

}  // namespace

void LoadPreviewLayout(const std::string& iniPath, PreviewLayout& layout) {
    const IniFile ini = AppSectionOf(iniPath);
    if (ini.HasValue(kWidthKey)) layout.width = ini.GetIntClamped(kWidthKey, 0, kLargestSide);
    if (ini.HasValue(kHeightKey)) layout.height = ini.GetIntClamped(kHeightKey, 0, kLargestSide);
    if (ini.HasValue(kShownKey)) layout.paneShown = ini.GetBool(kShownKey);
}

bool SavePreviewLayout(const std::string& iniPath, const PreviewLayout& layout) {
    if (layout.width <= 0) return true;
    const IniFile ini = AppSectionOf(iniPath);
    return ini.PutInt(kWidthKey, layout.width) && ini.PutInt(kHeightKey, layout.height) &&
           ini.PutBool(kShownKey, layout.paneShown);
}

}  // namespace sgry
