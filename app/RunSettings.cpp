#include "app/RunSettings.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/AutoFontChange.h"
#include "pdf/FontTable.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/SjisText.h"
#include "platform/Translation.h"
#include "settings/SettingsFile.h"
#include "settings/ValueEscape.h"
#include "settings/WatermarkWordTable.h"

namespace sgry {

namespace {

// A settings file of its own in the temporary folder, removed with the object.
class ScratchIni {
public:
    ScratchIni() {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "sigilry-settings-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) return;
        ::close(fd);
        path_ = pattern;
    }
    ~ScratchIni() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    ScratchIni(const ScratchIni&) = delete;
    ScratchIni& operator=(const ScratchIni&) = delete;

    bool Ok() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

std::vector<SettingKey> ListRunSettingKeys(const StampSettings& stamp, const AppSettings& app) {
    std::vector<SettingKey> keys = ListSettingKeys(stamp, app);
    for (SettingKey& key : keys) {
        if (key.kind != SettingKind::Font) continue;
        for (const FontTableRow& font : FontTable) key.meanings.emplace_back(font.pdfName);
    }
    return keys;
}

std::optional<SettingKey> FindSettingKey(const std::string& key) {
    for (SettingKey& candidate : ListRunSettingKeys(StampSettings{}, AppSettings{}))
        if (SameIniName(candidate.name, key)) return candidate;
    return std::nullopt;
}

std::string SectionOfKey(const std::string& key) {
    const std::optional<SettingKey> found = FindSettingKey(key);
    return found ? found->section : std::string();
}

bool ParseOverride(const std::string& argument, SettingOverride& out, std::string& reason) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos) {
        reason = Format(Translate("--set takes KEY=VALUE: %s"), argument);
        return false;
    }
    out.key = argument.substr(0, equals);
    const std::optional<SettingKey> key = FindSettingKey(out.key);
    if (!key) {
        reason = Format(Translate("Unknown settings key: %s (sigilry-cli --keys lists the keys)"), out.key);
        return false;
    }
    const std::optional<std::string> value = sjis::FromUtf8(argument.substr(equals + 1));
    if (!value) {
        reason = Format(Translate("The value cannot be converted to Shift-JIS: %s"), argument);
        return false;
    }
    if (!key->Accepts(*value)) {
        reason = Format(Translate("Value out of range: %s (values allowed for %s: %s)"), argument, key->name,
                        key->AllowedText());
        return false;
    }
    out.value = *value;
    return true;
}

// The file is copied, the copy receives the overrides, and both settings are
// loaded from the copy: a replaced value goes through the same reading
// (trimming, ranges, escapes) as one stored in the file.
namespace {

bool LoadBoth(const std::string& iniPath, StampSettings& stamp, AppSettings& app, std::string& reason) {
    if (LoadSettings(iniPath, stamp) && LoadSettings(iniPath, app)) return true;
    reason = Format(Translate("Cannot read the settings file: %s"), iniPath);
    return false;
}

}  // namespace

bool LoadRunSettings(const std::string& iniPath, const std::vector<SettingOverride>& overrides,
                     StampSettings& stamp, AppSettings& app, std::string& reason) {
    if (overrides.empty()) return LoadBoth(iniPath, stamp, app, reason);
    ScratchIni scratch;
    std::error_code error;
    if (!scratch.Ok() ||
        (std::filesystem::exists(iniPath, error) && !fs::CopyFileReplacing(iniPath, scratch.Path()))) {
        reason = Format(Translate("Cannot create a temporary copy of the settings file: %s"), iniPath);
        return false;
    }
    for (const SettingOverride& setting : overrides) {
        IniFile ini(scratch.Path());
        ini.SetSection(SectionOfKey(setting.key));
        if (!ini.PutString(setting.key, EscapeValue(setting.value))) {
            reason =
                Format(Translate("Cannot write the temporary copy of the settings file: %s"), scratch.Path());
            return false;
        }
    }
    return LoadBoth(scratch.Path(), stamp, app, reason);
}

std::string ApplyAutoFontChanges(StampSettings& stamp) {
    std::array<int32_t, 2> groupFlags{};
    for (int32_t group = 0; group < 2; ++group) {
        const std::size_t first = static_cast<std::size_t>(group) * 3;
        std::array<HeaderFooterColumn, 3> columns;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const HeaderFooterSlot& slot = stamp.Slots[first + c];
            columns[c] = {slot.StyleType, slot.CustomText,
                          slot.StyleType == HeaderFooterStyle::PageNumber && slot.StylePageType == PageNumberFormat::Bates};
        }
        groupFlags[static_cast<std::size_t>(group)] = AutoFontChangeHeaderFooter(stamp, group, columns);
        for (std::size_t c = 0; c < columns.size(); ++c) stamp.Slots[first + c].CustomText = columns[c].text;
    }
    const int32_t watermarkFlags = AutoFontChangeWatermark(FindWordRow(stamp.WaterMarkType), stamp.WaterMarkFont);
    return AutoChangeReport(groupFlags[0], groupFlags[1], watermarkFlags);
}

}  // namespace sgry
