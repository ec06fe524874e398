#include "gui/ProgramSettings.h"

#include "settings/IniPath.h"
#include "settings/SettingsFile.h"

namespace sgry {

void ProgramSettings::LoadSettings() {
    sgry::LoadSettings(iniPath_, stamp_);
    sgry::LoadSettings(iniPath_, app_);
    LoadPreviewLayout(iniPath_, layout_);
}

void ProgramSettings::SaveSettings() {
    if (saved_) return;
    saved_ = true;
    PrepareIniFolder(iniPath_);
    sgry::SaveSettings(iniPath_, stamp_);
    sgry::SaveSettings(iniPath_, app_);
    SavePreviewLayout(iniPath_, layout_);
}

}  // namespace sgry
