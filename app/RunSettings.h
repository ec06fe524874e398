#pragma once
// The settings of one run without a window: read from a settings file (never
// written back) with some keys replaced for this run only, each replacement
// read exactly as the same value would be read from the file.
#include <optional>
#include <string>
#include <vector>

#include "settings/SettingKey.h"
#include "settings/StampSettings.h"

namespace sgry {

// One key of section "OptionList1" or "App" and its value as CP932 bytes.
struct SettingOverride {
    std::string key;
    std::string value;
};

// Every key of the settings file (settings/SettingsFile.h ListSettingKeys)
// with the font names of the font table filled in for the font keys.
std::vector<SettingKey> ListRunSettingKeys(const StampSettings& stamp, const AppSettings& app);

// The key of the settings file named `key` (compared without regard to ASCII
// case), described with the default settings; nullopt for any other key.
std::optional<SettingKey> FindSettingKey(const std::string& key);

// "OptionList1" or "App" for a key the settings file holds (compared without
// regard to ASCII case), "" for any other key.
std::string SectionOfKey(const std::string& key);

// Splits "KEY=VALUE" whose value is UTF-8 into an override with the value in
// CP932. False with a reason (UTF-8) for a missing "=", an unknown key, a
// value CP932 cannot hold or a value the key does not allow (the reason then
// names the key and its allowed values).
bool ParseOverride(const std::string& argument, SettingOverride& out, std::string& reason);

// Loads both settings from iniPath (a missing file gives the defaults), with
// the overrides applied in order (a later one for the same key wins). The
// file itself is only read. False with a reason when the overrides could not
// be applied (no temporary file could be written).
bool LoadRunSettings(const std::string& iniPath, const std::vector<SettingOverride>& overrides,
                     StampSettings& stamp, AppSettings& app, std::string& reason);

// The automatic font and text changes that the stamp settings sheet makes
// when it stores (app/AutoFontChange.h), made on settings that no sheet has
// seen (a file edited by hand, --set overrides): both header/footer groups
// with the styles and texts of their slots, then the text watermark with the
// row of WaterMarkType. Only `stamp` changes. Returns the report the sheet
// shows when it closes (UTF-8, CR LF line breaks), "" when nothing it names
// changed.
std::string ApplyAutoFontChanges(StampSettings& stamp);

}  // namespace sgry
