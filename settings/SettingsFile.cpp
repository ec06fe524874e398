#include "settings/SettingsFile.h"

#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Format.h"
#include "platform/IniFile.h"
#include "settings/SettingKey.h"
#include "settings/ValueEscape.h"

namespace sgry {

namespace {

// Both directions walk the same list of keys (below), so a key can be neither
// saved without being loaded nor loaded under a different name or range.

class KeyLoader {
public:
    explicit KeyLoader(const IniFile& ini) : ini_(ini) {}

    void Text(const std::string& key, std::string& field) {
        if (ini_.HasValue(key)) field = UnescapeValue(ini_.GetString(key));
    }
    void Font(const std::string& key, std::string& field) { Text(key, field); }
    void Int(const std::string& key, int32_t& field) {
        if (ini_.HasValue(key)) field = ini_.GetInt(key);
    }
    void Int(const std::string& key, int32_t& field, int32_t minimum, int32_t maximum) {
        if (ini_.HasValue(key)) field = ini_.GetIntClamped(key, minimum, maximum);
    }
    // The page range is read as stored; the range only limits what is offered.
    void Unclamped(const std::string& key, int32_t& field, int32_t, int32_t) { Int(key, field); }
    void Word(const std::string& key, int32_t& field) { Int(key, field, 0, kWatermarkWordCount - 1); }
    template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
    void Int(const std::string& key, E& field, int32_t count) {
        if (ini_.HasValue(key)) field = static_cast<E>(ini_.GetIntClamped(key, 0, count - 1));
    }
    // A value added after the first settings files is taken as it is; any
    // other value beyond the first ones falls back as it always did.
    template <class E>
    void Grown(const std::string& key, E& field, int32_t count, int32_t firstCount) {
        if (!ini_.HasValue(key)) return;
        const int32_t value = ini_.GetInt(key);
        field = static_cast<E>(value >= firstCount && value < count ? value
                                                                    : ini_.GetIntClamped(key, 0, firstCount - 1));
    }
    void Int64(const std::string& key, int64_t& field, int64_t minimum, int64_t maximum) {
        if (!ini_.HasValue(key)) return;
        const int64_t value = LeadingInt64(ini_.GetString(key), maximum);
        field = value < minimum ? minimum : value;
    }
    void Colour(const std::string& key, int32_t& field) {
        if (ini_.HasValue(key)) field = ini_.GetLong(key);
    }
    void Bool(const std::string& key, bool& field) {
        if (ini_.HasValue(key)) field = ini_.GetBool(key);
    }
    void Float(const std::string& key, float& field, float minimum, float maximum) {
        if (!ini_.HasValue(key)) return;
        const float value = ini_.GetFloat(key);
        field = value < minimum ? minimum : (value > maximum ? maximum : value);
    }

private:
    const IniFile& ini_;
};

class KeySaver {
public:
    explicit KeySaver(const IniFile& ini) : ini_(ini) {}

    bool AllWritten() const { return allWritten_; }

    void Text(const std::string& key, const std::string& field) { Note(ini_.PutString(key, EscapeValue(field))); }
    void Font(const std::string& key, const std::string& field) { Text(key, field); }
    void Int(const std::string& key, int32_t field) { Note(ini_.PutInt(key, field)); }
    void Int(const std::string& key, int32_t field, int32_t, int32_t) { Note(ini_.PutInt(key, field)); }
    void Unclamped(const std::string& key, int32_t field, int32_t, int32_t) { Int(key, field); }
    void Word(const std::string& key, int32_t field) { Int(key, field); }
    template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
    void Int(const std::string& key, E field, int32_t) {
        Note(ini_.PutInt(key, static_cast<int32_t>(field)));
    }
    template <class E>
    void Grown(const std::string& key, E field, int32_t count, int32_t) {
        Int(key, field, count);
    }
    void Int64(const std::string& key, int64_t field, int64_t, int64_t) {
        Note(ini_.PutString(key, Format("%lld", field)));
    }
    void Colour(const std::string& key, int32_t field) { Note(ini_.PutLong(key, field)); }
    void Bool(const std::string& key, bool field) { Note(ini_.PutBool(key, field)); }
    void Float(const std::string& key, float field, float, float) { Note(ini_.PutFloat(key, field)); }

private:
    void Note(bool written) { allWritten_ = allWritten_ && written; }

    const IniFile& ini_;
    bool allWritten_ = true;
};

// Collects every key with its kind, allowed values and the value as the
// saver writes it.
class KeyDescriber {
public:
    KeyDescriber(std::string section, std::vector<SettingKey>& keys) : section_(std::move(section)), keys_(keys) {}

    void Text(const std::string& key, const std::string& field) { Add(key, SettingKind::Text, EscapeValue(field)); }
    void Font(const std::string& key, const std::string& field) { Add(key, SettingKind::Font, EscapeValue(field)); }
    void Int(const std::string& key, int32_t field) {
        Int(key, field, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    }
    void Int(const std::string& key, int32_t field, int32_t minimum, int32_t maximum) {
        Add(key, SettingKind::Integer, Format("%d", field), minimum, maximum);
    }
    void Unclamped(const std::string& key, int32_t field, int32_t minimum, int32_t maximum) {
        Int(key, field, minimum, maximum);
    }
    void Word(const std::string& key, int32_t field) {
        Add(key, SettingKind::Choice, Format("%d", field), 0, kWatermarkWordCount - 1).meanings =
            WatermarkWordMeanings();
    }
    template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
    void Int(const std::string& key, E field, int32_t count) {
        const auto& text = ChoiceMeanings<E>::kText;
        Add(key, SettingKind::Choice, Format("%d", static_cast<int32_t>(field)), 0, count - 1)
            .meanings.assign(text.begin(), text.end());
    }
    template <class E>
    void Grown(const std::string& key, E field, int32_t count, int32_t) {
        Int(key, field, count);
    }
    void Int64(const std::string& key, int64_t field, int64_t minimum, int64_t maximum) {
        Add(key, SettingKind::Integer, Format("%lld", field), static_cast<double>(minimum),
            static_cast<double>(maximum));
    }
    void Colour(const std::string& key, int32_t field) {
        Add(key, SettingKind::Colour, Format("%ld", field), 0, 0xFFFFFF);
    }
    void Bool(const std::string& key, bool field) { Add(key, SettingKind::Bool, field ? "True" : "False"); }
    void Float(const std::string& key, float field, float minimum, float maximum) {
        Add(key, SettingKind::Decimal, Format("%f", field), minimum, maximum);
    }

private:
    SettingKey& Add(const std::string& name, SettingKind kind, std::string value, double minimum = 0.0,
                    double maximum = 0.0) {
        keys_.push_back({section_, name, kind, minimum, maximum, {}, value, value});
        return keys_.back();
    }

    std::string section_;
    std::vector<SettingKey>& keys_;
};

// Settings is StampSettings or const StampSettings; keys in the order of saving.
template <class Slot, class Visitor>
void VisitSlotKeys(Slot& slot, int32_t index, Visitor& v) {
    const std::string prefix = Format("HF%d_", index);
    v.Colour(prefix + "StyleColor", slot.StyleColor);
    v.Int(prefix + "StylePointSize", slot.StylePointSize, 0, 9999);
    v.Text(prefix + "CustomText", slot.CustomText);
    v.Int(prefix + "StyleDateType", slot.StyleDateType, kDateFormatCount);
    v.Grown(prefix + "StylePageType", slot.StylePageType, kPageNumberFormatCount, kFirstPageNumberFormatCount);
    v.Grown(prefix + "StyleType", slot.StyleType, kHeaderFooterStyleCount, kFirstHeaderFooterStyleCount);
    v.Int(prefix + "StyleNameType", slot.StyleNameType, kFileNameFormatCount);
    v.Font(prefix + "FontName", slot.FontName);
    v.Bool(prefix + "FontIsBold", slot.FontIsBold);
    v.Bool(prefix + "FontIsItalic", slot.FontIsItalic);
}

template <class Settings, class Visitor>
void VisitHeaderFooterKeys(Settings& s, Visitor& v) {
    for (int32_t group = 0; group < 2; ++group) {
        v.Bool(Format("HF%d_EdgeBorder", group), s.Groups[static_cast<size_t>(group)].EdgeBorder);
        for (int32_t slot = group * 3; slot < group * 3 + 3; ++slot)
            VisitSlotKeys(s.Slots[static_cast<size_t>(slot)], slot, v);
    }
}

template <class Settings, class Visitor>
void VisitStampKeys(Settings& s, Visitor& v) {
    v.Word("WaterMarkType", s.WaterMarkType);
    v.Int("WaterMarkPosition", s.WaterMarkPosition, kStampPositionCount);
    v.Colour("WaterMarkColor", s.WaterMarkColor);
    v.Int("WaterMarkDensity", s.WaterMarkDensity, 0, 100);
    v.Bool("WaterMarkMargin", s.WaterMarkMargin);
    v.Font("WaterMarkFont", s.WaterMarkFont);
    v.Bool("WawterMarkDiagonal", s.WawterMarkDiagonal);
    v.Text("ImageFileName", s.ImageFileName);
    v.Int("ImagePosition", s.ImagePosition, kStampPositionCount);
    v.Int("ImageDensity", s.ImageDensity, 0, 100);
    v.Bool("ImageMargin", s.ImageMargin);
    v.Bool("QRIsValid", s.QRIsValid);
    v.Text("QRString", s.QRString);
    v.Int("QRPosition", s.QRPosition, kStampPositionCount);
    v.Bool("QRIsVersionAuto", s.QRIsVersionAuto);
    v.Int("QRVersion", s.QRVersion, 1, 40);
    v.Int("QRECLevel", s.QRECLevel, kQrEcLevelCount);
    v.Bool("QRPhone", s.QRPhone);
    v.Bool("QRMarginValid", s.QRMarginValid);
    v.Int("bWmYPos", s.bWmYPos, 0, 100);
    v.Int("bWmThick", s.bWmThick, kBandThicknessCount);
    v.Colour("bWmTextColor", s.bWmTextColor);
    v.Colour("bWmBarColor", s.bWmBarColor);
    v.Int("bWmDensity", s.bWmDensity, 0, 100);
    v.Text("bWmText", s.bWmText);
    v.Bool("bWmIsRepeat", s.bWmIsRepeat);
    v.Font("bWmFont", s.bWmFont);
    v.Bool("bWmNeed", s.bWmNeed);
    for (int32_t i = 0; i < kMarginCount; ++i)
        v.Float(Format("%s%d", "Margin", i), s.Margin[static_cast<size_t>(i)], 0.0f, 100.0f);
    for (int32_t i = 0; i < 2; ++i) v.Bool(Format("%s%d", "OddFlag", i), s.OddFlag[static_cast<size_t>(i)]);
    v.Unclamped("StartWith", s.StartWith, -65535, 65535);
    v.Unclamped("EndPage", s.EndPage, 0, 999999);
    v.Unclamped("StartPage", s.StartPage, 0, 99999);
    v.Bool("IsAllPage", s.IsAllPage);
    v.Int64("BatesStart", s.BatesStart, 0, kBatesMaxNumber);
    v.Int("BatesDigits", s.BatesDigits, kBatesMinDigits, kBatesMaxDigits);
    v.Text("BatesPrefix", s.BatesPrefix);
    v.Text("BatesSuffix", s.BatesSuffix);
    VisitHeaderFooterKeys(s, v);
}

template <class Settings, class Visitor>
void VisitAppKeys(Settings& s, Visitor& v) {
    v.Bool("Undo", s.Undo);
    v.Int("Output", s.Output, kOutputModeCount);
    v.Bool("Repair", s.Repair);
    v.Bool("AllowCertified", s.AllowCertified);
    v.Int("Language", s.Language, kUiLanguageCount);
}

IniFile OpenSection(const std::string& iniPath, const std::string& section) {
    IniFile ini(iniPath);
    ini.SetSection(section);
    return ini;
}

template <class Settings, class Visit>
bool LoadSection(const std::string& iniPath, const std::string& section, Settings& settings, Visit visit) {
    IniFile ini = OpenSection(iniPath, section);
    if (!ini.HoldReads()) return false;
    KeyLoader loader(ini);
    visit(settings, loader);
    return true;
}

}  // namespace

bool LoadSettings(const std::string& iniPath, StampSettings& settings) {
    return LoadSection(iniPath, settings.Section, settings, VisitStampKeys<StampSettings, KeyLoader>);
}

bool LoadSettings(const std::string& iniPath, AppSettings& settings) {
    return LoadSection(iniPath, kAppSection, settings, VisitAppKeys<AppSettings, KeyLoader>);
}

bool SaveSettings(const std::string& iniPath, const StampSettings& settings) {
    const IniFile ini = OpenSection(iniPath, settings.Section);
    ini.HoldWrites();
    KeySaver saver(ini);
    VisitStampKeys(settings, saver);
    return ini.CommitWrites() && saver.AllWritten();
}

bool SaveSettings(const std::string& iniPath, const AppSettings& settings) {
    const IniFile ini = OpenSection(iniPath, kAppSection);
    ini.HoldWrites();
    KeySaver saver(ini);
    VisitAppKeys(settings, saver);
    return ini.CommitWrites() && saver.AllWritten();
}

std::vector<SettingKey> ListSettingKeys(const StampSettings& stamp, const AppSettings& app) {
    std::vector<SettingKey> keys;
    KeyDescriber current(stamp.Section, keys);
    VisitStampKeys(stamp, current);
    KeyDescriber currentApp(kAppSection, keys);
    VisitAppKeys(app, currentApp);

    std::vector<SettingKey> defaults;
    const StampSettings stampDefaults;
    KeyDescriber fresh(stamp.Section, defaults);
    VisitStampKeys(stampDefaults, fresh);
    const AppSettings appDefaults;
    KeyDescriber freshApp(kAppSection, defaults);
    VisitAppKeys(appDefaults, freshApp);
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i].defaultValue = defaults.at(i).value;
    return keys;
}

}  // namespace sgry
