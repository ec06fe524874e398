#include "settings/SettingsFile.h"

#include <type_traits>

#include "platform/Format.h"
#include "platform/IniFile.h"
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
    void Int(const std::string& key, int32_t& field) {
        if (ini_.HasValue(key)) field = ini_.GetInt(key);
    }
    void Int(const std::string& key, int32_t& field, int32_t minimum, int32_t maximum) {
        if (ini_.HasValue(key)) field = ini_.GetIntClamped(key, minimum, maximum);
    }
    template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
    void Int(const std::string& key, E& field, int32_t count) {
        if (ini_.HasValue(key)) field = static_cast<E>(ini_.GetIntClamped(key, 0, count - 1));
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
    void Int(const std::string& key, int32_t field) { Note(ini_.PutInt(key, field)); }
    void Int(const std::string& key, int32_t field, int32_t, int32_t) { Note(ini_.PutInt(key, field)); }
    template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
    void Int(const std::string& key, E field, int32_t) {
        Note(ini_.PutInt(key, static_cast<int32_t>(field)));
    }
    void Colour(const std::string& key, int32_t field) { Note(ini_.PutLong(key, field)); }
    void Bool(const std::string& key, bool field) { Note(ini_.PutBool(key, field)); }
    void Float(const std::string& key, float field, float, float) { Note(ini_.PutFloat(key, field)); }

private:
    void Note(bool written) { allWritten_ = allWritten_ && written; }

    const IniFile& ini_;
    bool allWritten_ = true;
};

// Settings is StampSettings or const StampSettings; keys in the order of saving.
template <class Slot, class Visitor>
void VisitSlotKeys(Slot& slot, int32_t index, Visitor& v) {
    const std::string prefix = Format("HF%d_", index);
    v.Colour(prefix + "StyleColor", slot.StyleColor);
    v.Int(prefix + "StylePointSize", slot.StylePointSize, 0, 9999);
    v.Text(prefix + "CustomText", slot.CustomText);
    v.Int(prefix + "StyleDateType", slot.StyleDateType, kDateFormatCount);
    v.Int(prefix + "StylePageType", slot.StylePageType, kPageNumberFormatCount);
    v.Int(prefix + "StyleType", slot.StyleType, kHeaderFooterStyleCount);
    v.Text(prefix + "FontName", slot.FontName);
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
    v.Int("WaterMarkType", s.WaterMarkType, 0, kWatermarkWordCount - 1);
    v.Int("WaterMarkPosition", s.WaterMarkPosition, kStampPositionCount);
    v.Colour("WaterMarkColor", s.WaterMarkColor);
    v.Int("WaterMarkDensity", s.WaterMarkDensity, 0, 100);
    v.Bool("WaterMarkMargin", s.WaterMarkMargin);
    v.Text("WaterMarkFont", s.WaterMarkFont);
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
    v.Text("bWmFont", s.bWmFont);
    v.Bool("bWmNeed", s.bWmNeed);
    for (int32_t i = 0; i < kMarginCount; ++i)
        v.Float(Format("%s%d", "Margin", i), s.Margin[static_cast<size_t>(i)], 0.0f, 100.0f);
    for (int32_t i = 0; i < 2; ++i) v.Bool(Format("%s%d", "OddFlag", i), s.OddFlag[static_cast<size_t>(i)]);
    v.Int("StartWith", s.StartWith);
    v.Int("EndPage", s.EndPage);
    v.Int("StartPage", s.StartPage);
    v.Bool("IsAllPage", s.IsAllPage);
    VisitHeaderFooterKeys(s, v);
}

template <class Settings, class Visitor>
void VisitAppKeys(Settings& s, Visitor& v) {
    v.Bool("Undo", s.Undo);
    v.Int("Output", s.Output, kOutputModeCount);
}

IniFile OpenSection(const std::string& iniPath, const std::string& section) {
    IniFile ini(iniPath);
    ini.SetSection(section);
    return ini;
}

}  // namespace

void LoadSettings(const std::string& iniPath, StampSettings& settings) {
    const IniFile ini = OpenSection(iniPath, settings.Section);
    KeyLoader loader(ini);
    VisitStampKeys(settings, loader);
}

void LoadSettings(const std::string& iniPath, AppSettings& settings) {
    const IniFile ini = OpenSection(iniPath, kAppSection);
    KeyLoader loader(ini);
    VisitAppKeys(settings, loader);
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

}  // namespace sgry
