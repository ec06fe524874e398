#include "settings/SettingKey.h"

#include <algorithm>
#include <charconv>

#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/SjisText.h"
#include "settings/WatermarkWordTable.h"

namespace sgry {

namespace {

// The whole text as a number (integers only when `whole`); false for
// anything else, so that a typing error is not read as a nearby number.
bool ParseNumber(std::string_view text, bool whole, double& number) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    if (whole) {
        long long integer = 0;
        const auto [last, error] = std::from_chars(text.data(), end, integer);
        number = static_cast<double>(integer);
        return error == std::errc() && last == end;
    }
    const auto [last, error] = std::from_chars(text.data(), end, number, std::chars_format::fixed);
    return error == std::errc() && last == end;
}

std::string RangeText(const SettingKey& key) {
    if (key.kind == SettingKind::Decimal) return Format("%.0f-%.0f", key.minimum, key.maximum);
    const char* form = key.minimum < 0 ? "%d to %d" : "%d-%d";
    return Format(form, static_cast<long long>(key.minimum), static_cast<long long>(key.maximum));
}

}  // namespace

bool SettingKey::Accepts(std::string_view text) const {
    text = TrimIniBlanks(text);
    switch (kind) {
        case SettingKind::Text:
            return true;
        case SettingKind::Bool:
            return text == "True" || text == "False";
        case SettingKind::Font:
            return meanings.empty() || std::find(meanings.begin(), meanings.end(), text) != meanings.end();
        case SettingKind::Integer:
        case SettingKind::Colour:
        case SettingKind::Choice:
        case SettingKind::Decimal: {
            double number = 0.0;
            return ParseNumber(text, kind != SettingKind::Decimal, number) && number >= minimum &&
                   number <= maximum;
        }
    }
    return false;
}

std::string SettingKey::AllowedText() const {
    switch (kind) {
        case SettingKind::Text:
            return "text";
        case SettingKind::Bool:
            return "True|False";
        case SettingKind::Font: {
            std::string names;
            for (const std::string& name : meanings) names += (names.empty() ? "" : "|") + name;
            return names.empty() ? "PDF font name" : names;
        }
        case SettingKind::Integer:
            return RangeText(*this);
        case SettingKind::Decimal:
            return RangeText(*this) + " (decimal)";
        case SettingKind::Colour:
            return RangeText(*this) + " (0xBBGGRR in decimal: red + 256 * green + 65536 * blue)";
        case SettingKind::Choice:
            break;
    }
    std::string text = RangeText(*this) + " (";
    for (std::size_t i = 0; i < meanings.size(); ++i)
        text += Format("%s%d %s", i == 0 ? "" : ", ", static_cast<long long>(minimum) + static_cast<long long>(i),
                       meanings[i]);
    return text + ")";
}

std::vector<std::string> WatermarkWordMeanings() {
    std::vector<std::string> meanings(kWatermarkWordCount);
    for (const WatermarkWord& word : WatermarkWordTable) {
        std::string meaning = word.Id == 0 ? "none" : sjis::ToUtf8(word.Text);
        if (word.WordGroup == WatermarkWordGroup::Circled) meaning = "circled " + meaning;
        meanings.at(static_cast<std::size_t>(word.Id)) = meaning;
    }
    return meanings;
}

}  // namespace sgry
