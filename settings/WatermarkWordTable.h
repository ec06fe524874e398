#pragma once
// The preset words of the text watermark. There is no free text: the setting
// WaterMarkType holds the Id of one row. Label and Text are CP932 bytes
// (the UTF-8 form of each Japanese text is in the comment beside it).
#include <array>
#include <cstddef>
#include <cstdint>

namespace sgry {

// Drawing style of a word; the stamping pass picks the watermark kind by it.
enum class WatermarkWordGroup : int32_t {
    None = 0,      // the "(なし)" row: no text watermark
    English = 1,   // plain text
    Japanese = 2,  // text in a frame
    Circled = 3,   // one character in a circle
};

// Bits of WatermarkWord::AllowedFonts.
inline constexpr int32_t kAllowLatinFonts = 1;
inline constexpr int32_t kAllowJapaneseFonts = 2;

struct WatermarkWord {
    int32_t Id;  // value stored in StampSettings::WaterMarkType
    WatermarkWordGroup WordGroup;
    const char* Label;  // what the settings page lists (CP932)
    const char* Text;   // what is drawn (CP932)
    int32_t AllowedFonts;  // kAllowLatinFonts | kAllowJapaneseFonts
};

inline constexpr int32_t kWatermarkWordCount = 27;

// Rows in the order of the list on the settings page; every Id 0-26 occurs once.
inline constexpr std::array<WatermarkWord, kWatermarkWordCount> WatermarkWordTable = {{
    {0, WatermarkWordGroup::None, "(\x82\xC8\x82\xB5)", " ", 0},                                // (なし)
    {25, WatermarkWordGroup::Circled, "\x83\x7D\x83\x8B\x94\xE9", "\x94\xE9", 2},              // マル秘 / 秘
    {26, WatermarkWordGroup::Circled, "\x83\x7D\x83\x8B\x88\xC4", "\x88\xC4", 2},              // マル案 / 案
    {1, WatermarkWordGroup::Japanese, "\x8E\xD0\x8A\x4F\x94\xE9", "\x8E\xD0\x8A\x4F\x94\xE9", 2},  // 社外秘
    {2, WatermarkWordGroup::Japanese, "\x94\xE9\x96\xA7", "\x94\xE9\x96\xA7", 2},              // 秘密
    {3, WatermarkWordGroup::Japanese, "\x82\x66\x8A\x4F\x94\xE9", "\x82\x66\x8A\x4F\x94\xE9", 2},  // Ｇ外秘
    {4, WatermarkWordGroup::Japanese, "\x8E\xE6\x88\xB5\x92\x8D\x88\xD3",
     "\x8E\xE6\x88\xB5\x92\x8D\x88\xD3", 2},  // 取扱注意
    {5, WatermarkWordGroup::Japanese, "\x8C\xB5\x94\xE9", "\x8C\xB5\x94\xE9", 2},              // 厳秘
    {6, WatermarkWordGroup::Japanese, "\x95\x94\x8A\x4F\x94\xE9", "\x95\x94\x8A\x4F\x94\xE9", 2},  // 部外秘
    {7, WatermarkWordGroup::Japanese, "\x8E\x9D\x8F\x6F\x8C\xB5\x8B\xD6",
     "\x8E\x9D\x8F\x6F\x8C\xB5\x8B\xD6", 2},  // 持出厳禁
    {8, WatermarkWordGroup::Japanese, "\x83\x49\x83\x8A\x83\x57\x83\x69\x83\x8B",
     "\x83\x49\x83\x8A\x83\x57\x83\x69\x83\x8B", 2},  // オリジナル
    {9, WatermarkWordGroup::Japanese, "\x8C\xA9\x96\x7B", "\x8C\xA9\x96\x7B", 2},              // 見本
    {10, WatermarkWordGroup::Japanese, "\x83\x54\x83\x93\x83\x76\x83\x8B",
     "\x83\x54\x83\x93\x83\x76\x83\x8B", 2},  // サンプル
    {11, WatermarkWordGroup::Japanese, "\x89\xF1\x97\x97", "\x89\xF1\x97\x97", 2},             // 回覧
    {12, WatermarkWordGroup::Japanese, "\x8E\x8A\x8B\x7D", "\x8E\x8A\x8B\x7D", 2},             // 至急
    {13, WatermarkWordGroup::English, "COPY", "COPY", 3},
    {14, WatermarkWordGroup::English, "DO NOT COPY", "DO NOT COPY", 3},
    {15, WatermarkWordGroup::English, "ORIGINAL", "ORIGINAL", 3},
    {16, WatermarkWordGroup::English, "DRAFT", "DRAFT", 3},
    {17, WatermarkWordGroup::English, "ASAP", "ASAP", 3},
    {18, WatermarkWordGroup::English, "CONFIDENTIAL", "CONFIDENTIAL", 3},
    {19, WatermarkWordGroup::English, "PERSONAL", "PERSONAL", 3},
    {20, WatermarkWordGroup::English, "SAMPLE", "SAMPLE", 3},
    {21, WatermarkWordGroup::English, "URGENT", "URGENT", 3},
    {22, WatermarkWordGroup::English, "SECRET", "SECRET", 3},
    {23, WatermarkWordGroup::English, "TOP SECRET", "TOP SECRET", 3},
    {24, WatermarkWordGroup::Japanese, "\x8E\x86\x82\xCC\x96\xB3\x91\xCA",
     "\x8E\x86\x82\xCC\x96\xB3\x91\xCA", 2},  // 紙の無駄
}};

// Row index of the first row whose Id equals `id`; 0 (the "(なし)" row) when none does.
constexpr int32_t FindWordRow(int32_t id) {
    for (int32_t row = 0; row < kWatermarkWordCount; ++row)
        if (WatermarkWordTable[static_cast<size_t>(row)].Id == id) return row;
    return 0;
}

}  // namespace sgry
