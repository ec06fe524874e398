#pragma once
// One key of the settings file as a user of the command line sees it: its
// section and name, the kind of value it holds, which values it accepts and
// what each choice means. The keys come from the settings file's own key list
// (ListSettingKeys in settings/SettingsFile.h), the one that saving and
// loading walk, so no key can be missing here.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/StampSettings.h"

namespace sgry {

enum class SettingKind {
    Text,     // any text
    Integer,  // a whole number in [minimum, maximum]
    Colour,   // a whole number 0x00BBGGRR, written in decimal
    Bool,     // "True" or "False"
    Decimal,  // a number with an optional fraction in [minimum, maximum]
    Choice,   // a whole number in [minimum, maximum], each with a meaning
    Font,     // a PDF font name: one of `meanings` when the caller filled them in
};

struct SettingKey {
    std::string section;
    std::string name;
    SettingKind kind = SettingKind::Text;
    double minimum = 0.0;
    double maximum = 0.0;
    std::vector<std::string> meanings;  // Choice: meaning of minimum, minimum + 1, ... (UTF-8);
                                        // Font: the font names allowed (the font table is not
                                        // known here: the caller fills them in)
    std::string value;                  // in effect, as the settings file stores it (CP932)
    std::string defaultValue;           // as the settings file stores it (CP932)

    // True when `value` (CP932, blanks at its ends ignored as the file
    // reader ignores them) is one the key allows. Numbers must be written
    // whole: "3x" is refused although the file reader would take the 3.
    bool Accepts(std::string_view value) const;

    // The allowed values with their meaning, e.g. "0-3 (0 none, 1 page
    // number, 2 date and time, 3 text)", "True|False", "text",
    // "Courier|Helvetica|..." (UTF-8).
    std::string AllowedText() const;
};

// Meaning of each value of an enumeration of the stamp settings, in value
// order (English; the settings pages list the same entries in Japanese).
template <class E>
struct ChoiceMeanings;

template <>
struct ChoiceMeanings<StampPosition> {
    static constexpr std::array<const char*, kStampPositionCount> kText = {
        "top left", "top centre", "top right", "middle left", "centre",
        "middle right", "bottom left", "bottom centre", "bottom right"};
};
template <>
struct ChoiceMeanings<HeaderFooterStyle> {
    static constexpr std::array<const char*, kHeaderFooterStyleCount> kText = {
        "none", "page number", "date and time", "text", "file name"};
};
template <>
struct ChoiceMeanings<PageNumberFormat> {
    static constexpr std::array<const char*, kPageNumberFormatCount> kText = {"1", "-1-", "1/n", "-1/n-",
                                                                              "Bates number"};
};
template <>
struct ChoiceMeanings<FileNameFormat> {
    static constexpr std::array<const char*, kFileNameFormatCount> kText = {"with extension", "without extension"};
};
template <>
struct ChoiceMeanings<DateFormat> {
    static constexpr std::array<const char*, kDateFormatCount> kText = {"YYYY/MM/DD", "hh:mm",
                                                                        "YYYY/MM/DD hh:mm"};
};
template <>
struct ChoiceMeanings<BandThickness> {
    static constexpr std::array<const char*, kBandThicknessCount> kText = {"extra thick", "thick", "medium",
                                                                           "thin", "extra thin"};
};
template <>
struct ChoiceMeanings<OutputMode> {
    static constexpr std::array<const char*, kOutputModeCount> kText = {
        "copy named with the prefix _", "copy under a name asked for", "overwrite the source"};
};
template <>
struct ChoiceMeanings<UiLanguage> {
    static constexpr std::array<const char*, kUiLanguageCount> kText = {"the locale's", "English", "Japanese"};
};
template <>
struct ChoiceMeanings<QrEcLevel> {
    static constexpr std::array<const char*, kQrEcLevelCount> kText = {"L", "M", "Q", "H"};
};

// Meaning of each WaterMarkType value 0..26 in Id order: "none" for 0, the
// word drawn (UTF-8) for the others, circled characters marked as such.
std::vector<std::string> WatermarkWordMeanings();

}  // namespace sgry
