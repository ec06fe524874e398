#include <gtest/gtest.h>

#include <clocale>
#include <set>
#include <string>
#include <vector>

#include "platform/SjisText.h"
#include "settings/StampSettings.h"

namespace sgry {
namespace {

struct WordRow {
    int32_t id;
    WatermarkWordGroup group;
    const char* labelUtf8;
    const char* textUtf8;
    int32_t allowedFonts;
};

TEST(WatermarkWordTableTest, RowsInListOrderWithTheirCp932Texts) {
    using G = WatermarkWordGroup;
    const std::vector<WordRow> expected = {
        {0, G::None, "(なし)", " ", 0},
        {25, G::Circled, "マル秘", "秘", 2},
        {26, G::Circled, "マル案", "案", 2},
        {1, G::Japanese, "社外秘", "社外秘", 2},
        {2, G::Japanese, "秘密", "秘密", 2},
        {3, G::Japanese, "Ｇ外秘", "Ｇ外秘", 2},
        {4, G::Japanese, "取扱注意", "取扱注意", 2},
        {5, G::Japanese, "厳秘", "厳秘", 2},
        {6, G::Japanese, "部外秘", "部外秘", 2},
        {7, G::Japanese, "持出厳禁", "持出厳禁", 2},
        {8, G::Japanese, "オリジナル", "オリジナル", 2},
        {9, G::Japanese, "見本", "見本", 2},
        {10, G::Japanese, "サンプル", "サンプル", 2},
        {11, G::Japanese, "回覧", "回覧", 2},
        {12, G::Japanese, "至急", "至急", 2},
        {13, G::English, "COPY", "COPY", 3},
        {14, G::English, "DO NOT COPY", "DO NOT COPY", 3},
        {15, G::English, "ORIGINAL", "ORIGINAL", 3},
        {16, G::English, "DRAFT", "DRAFT", 3},
        {17, G::English, "ASAP", "ASAP", 3},
        {18, G::English, "CONFIDENTIAL", "CONFIDENTIAL", 3},
        {19, G::English, "PERSONAL", "PERSONAL", 3},
        {20, G::English, "SAMPLE", "SAMPLE", 3},
        {21, G::English, "URGENT", "URGENT", 3},
        {22, G::English, "SECRET", "SECRET", 3},
        {23, G::English, "TOP SECRET", "TOP SECRET", 3},
        {24, G::Japanese, "紙の無駄", "紙の無駄", 2},
    };
    ASSERT_EQ(expected.size(), WatermarkWordTable.size());
    for (size_t row = 0; row < expected.size(); ++row) {
        const WatermarkWord& word = WatermarkWordTable[row];
        SCOPED_TRACE(expected[row].labelUtf8);
        EXPECT_EQ(word.Id, expected[row].id);
        EXPECT_EQ(word.WordGroup, expected[row].group);
        EXPECT_EQ(sjis::ToUtf8(word.Label), expected[row].labelUtf8);
        EXPECT_EQ(sjis::ToUtf8(word.Text), expected[row].textUtf8);
        EXPECT_EQ(sjis::FromUtf8(expected[row].textUtf8), std::string(word.Text)) << "CP932 bytes";
        EXPECT_EQ(word.AllowedFonts, expected[row].allowedFonts);
    }
}

TEST(WatermarkWordTableTest, EveryStorableValueSelectsItsOwnRowAndOthersTheNoneRow) {
    std::set<int32_t> rows;
    for (int32_t id = 0; id < kWatermarkWordCount; ++id) {
        const int32_t row = FindWordRow(id);
        EXPECT_EQ(WatermarkWordTable[static_cast<size_t>(row)].Id, id);
        rows.insert(row);
    }
    EXPECT_EQ(rows.size(), static_cast<size_t>(kWatermarkWordCount)) << "each Id occurs exactly once";
    static_assert(FindWordRow(13) == 15);
    for (int32_t id : {-1, 27, 100, INT32_MIN, INT32_MAX}) EXPECT_EQ(FindWordRow(id), 0) << id;
}

TEST(StampSettingsTest, FontSizeOfTheDefaultSlotIsTenAndAHalf) {
    HeaderFooterSlot slot;
    EXPECT_DOUBLE_EQ(FontSizePoints(slot), 105 * 0.10000000149011612);  // the float 0.1, widened
    slot.StylePointSize = 0;
    EXPECT_EQ(FontSizePoints(slot), 0.0);
}

TEST(StampSettingsTest, ColorTextGivesRedGreenBlueInTwoDecimals) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    // Red is the lowest byte, blue the third; the top byte is ignored.
    const std::pair<int32_t, const char*> rows[] = {
        {0x000000, "0.00 0.00 0.00"}, {0xFFFFFF, "1.00 1.00 1.00"},
        {0x0000FF, "1.00 0.00 0.00"}, {0x00FF00, "0.00 1.00 0.00"},
        {0xFF0000, "0.00 0.00 1.00"}, {0x808080, "0.50 0.50 0.50"},
        {0x336699, "0.60 0.40 0.20"}, {static_cast<int32_t>(0xFF000000u), "0.00 0.00 0.00"},
    };
    for (const auto& [color, expected] : rows) {
        HeaderFooterSlot slot;
        slot.StyleColor = color;
        EXPECT_EQ(ColorText(slot), expected) << color;
        EXPECT_EQ(ColorText(color), expected) << color;
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(StampSettingsTest, MarginsInPoints) {
    StampSettings s;
    EXPECT_EQ(MarginPoints(s, kMarginTop), 10.0f * 2.8346457f);
    s.Margin = {0.0f, 25.4f, 12.5f, 100.0f};
    EXPECT_EQ(MarginPoints(s, kMarginTop), 0.0f);
    EXPECT_NEAR(MarginPoints(s, kMarginBottom), 72.0, 1e-4);
    EXPECT_EQ(MarginPoints(s, kMarginLeft), 12.5f * 2.8346457f);
    EXPECT_EQ(MarginPoints(s, kMarginRight), MmToPoints(100.0f));
    EXPECT_EQ(MarginPoints(s, -1), 0.0f);
    EXPECT_EQ(MarginPoints(s, kMarginCount), 0.0f);
    EXPECT_EQ(static_cast<double>(MmToPoints(1.0f)), 2.8346457481384277);
}

}  // namespace
}  // namespace sgry
