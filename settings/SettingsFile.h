#pragma once
// Reading and writing StampSettings and AppSettings in the settings file
// (CP932 text of the private-profile kind; see platform/IniFile.h).
//
// Loading replaces a field only when its key holds a non-empty value, so keys
// that are missing or empty keep what the field holds (the default at start-up).
// Integers of a limited kind are pulled into their range; texts that are no
// number read as 0 (and are then pulled into range).
//
// Text values that would not survive a plain private-profile line (line
// breaks, surrounding blanks) are written in an escaped form that only this
// reader decodes; see settings/ValueEscape.h.
#include <string>
#include <vector>

#include "settings/SettingKey.h"
#include "settings/StampSettings.h"

namespace sgry {

// Section of AppSettings in the settings file.
inline constexpr const char* kAppSection = "App";

// Fill the fields from the file at `iniPath` (section settings.Section). A
// missing file or section is not an error: every field keeps its value.
// False when the file is there but could not be read (the fields then keep
// their values too).
bool LoadSettings(const std::string& iniPath, StampSettings& settings);
bool LoadSettings(const std::string& iniPath, AppSettings& settings);

// Write every field. Returns true when every key was written; the caller may
// ignore a refused write (read-only file, missing folder).
bool SaveSettings(const std::string& iniPath, const StampSettings& settings);
bool SaveSettings(const std::string& iniPath, const AppSettings& settings);

// Every key that SaveSettings writes, in the order it writes them (section
// stamp.Section first, then kAppSection), with the value it would write for
// `stamp` and `app` and the value it writes for the defaults.
std::vector<SettingKey> ListSettingKeys(const StampSettings& stamp, const AppSettings& app);

}  // namespace sgry
