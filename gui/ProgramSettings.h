#pragma once
// The program's settings for the whole process: the settings file's path,
// fixed at start-up, and the live StampSettings and AppSettings that the
// sheets change in place and the runs read. Loaded once before the main
// window is made and saved once when it closes.
#include <string>

#include "gui/PreviewLayout.h"
#include "settings/StampSettings.h"

namespace sgry {

class ProgramSettings {
public:
    explicit ProgramSettings(std::string iniPath) : iniPath_(std::move(iniPath)) {}

    // StampSettings, then AppSettings, then the preview's layout; missing
    // keys keep the defaults.
    void LoadSettings();
    // StampSettings, then AppSettings, creating the settings folder when it
    // is missing. A refused write is not reported. Saves once: later calls
    // do nothing.
    void SaveSettings();

    const std::string& IniPath() const { return iniPath_; }
    bool Saved() const { return saved_; }
    StampSettings& Stamp() { return stamp_; }
    AppSettings& App() { return app_; }
    PreviewLayout& Layout() { return layout_; }

private:
    std::string iniPath_;
    StampSettings stamp_;
    AppSettings app_;
    PreviewLayout layout_;
    bool saved_ = false;
};

}  // namespace sgry
