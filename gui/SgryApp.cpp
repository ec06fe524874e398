#include "gui/SgryApp.h"

#include "settings/IniPath.h"
#include "settings/SettingsFile.h"

namespace sgry {

void SgryApp::LoadSettings() {
    sgry::LoadSettings(iniPath_, stamp_);
    sgry::LoadSettings(iniPath_, app_);
    LoadPreviewLayout(iniPath_, layout_);
}

void SgryApp::SaveSettings() {
    if (saved_) return;
    saved_ = true;
    PrepareIniFolder(iniPath_);
    sgry::SaveSettings(iniPath_, stamp_);
    sgry::SaveSettings(iniPath_, app_);
    SavePreviewLayout(iniPath_, layout_);
}

}  // namespace sgry
