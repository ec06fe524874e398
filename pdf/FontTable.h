#pragma once
// The ten fonts a user can choose, in the order of the font lists; the row
// index is what the settings pages select.
#include <array>
#include <cstdint>
#include <string_view>

namespace sgry {

enum class FontKind : int32_t {
    Latin = 0,
    Japanese = 1,
};

struct FontTableRow {
    std::string_view pdfName;      // the PDF base font name, as the settings store it
    std::string_view displayName;  // the font lists' label (UTF-8)
    FontKind kind;
};

inline constexpr std::array<FontTableRow, 10> FontTable{{
    {"Courier", "[英]Courier", FontKind::Latin},
    {"Helvetica", "[英]Helvetica", FontKind::Latin},
    {"Times-Roman", "[英]Times-Roman", FontKind::Latin},
    {"Symbol", "[記号]Symbol", FontKind::Latin},
    {"ZapfDingbats", "[記号]ZapfDingbats", FontKind::Latin},
    {"HeiseiMin-W3", "[日]平成明朝体", FontKind::Japanese},
    {"HeiseiPMin-W3", "[日]平成Ｐ明朝体", FontKind::Japanese},
    {"HeiseiKakuGo-W5", "[日]平成角ゴシック", FontKind::Japanese},
    {"HeiseiKakuPGo-W5", "[日]平成Ｐ角ゴシック", FontKind::Japanese},
    {"KozMinPro-Regular", "[日]小塚明朝Pro", FontKind::Japanese},
}};

// Index of the first row whose PDF name equals the name byte for byte; 0
// (Courier) when none does.
int FindFont(std::string_view pdfFontName);

}  // namespace sgry
