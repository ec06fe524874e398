// The generated metric tables: counts, sample values and shape, and that the
// committed files are what the generator makes from the font data.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "pdf/FontMetricsTables.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

using namespace font_tables;

int32_t WidthOf(std::span<const WidthPair> table, int32_t code) {
    for (const WidthPair& pair : table)
        if (pair.code == code) return pair.width;
    return -1;
}

TEST(FontTablesTest, CountsOfEncodedCharactersRangesAndPairs) {
    EXPECT_EQ(HelveticaWidths().size(), 149u);
    EXPECT_EQ(TimesRomanWidths().size(), 149u);
    EXPECT_EQ(SymbolWidths().size(), 189u);
    EXPECT_EQ(ZapfDingbatsWidths().size(), 202u);
    EXPECT_EQ(HeiseiPMinW3Widths().size(), 460u);  // the gothic's 460 are judged in FontObjectsTest
}

// Proportional widths of CIDs 1-8 also open the "/W" arrays judged in FontObjectsTest.
TEST(FontTablesTest, WidthsOfThePublishedMetrics) {
    struct Row {
        const char* name;
        std::span<const WidthPair> table;
        int32_t code, width;
    } rows[] = {
        {"Helvetica space", HelveticaWidths(), 32, 278},
        {"Helvetica quotedbl", HelveticaWidths(), 34, 355},
        {"Helvetica at", HelveticaWidths(), 64, 1015},
        {"Helvetica A", HelveticaWidths(), 65, 667},
        {"Times quotedbl", TimesRomanWidths(), 34, 408},
        {"Times at", TimesRomanWidths(), 64, 921},
        {"gothic 33", HeiseiKakuPGoW5Widths(), 33, 668},
        {"mincho 7", HeiseiPMinW3Widths(), 7, 613},
        {"mincho 33", HeiseiPMinW3Widths(), 33, 727},
    };
    for (const Row& row : rows) EXPECT_EQ(WidthOf(row.table, row.code), row.width) << row.name;
}

TEST(FontTablesTest, Type1TablesAreInCodeOrderWithinTheirRange) {
    struct Row {
        const char* name;
        std::span<const WidthPair> table;
        int32_t highest;
    } rows[] = {{"Helvetica", HelveticaWidths(), 251},
                {"Times-Roman", TimesRomanWidths(), 251},
                {"Symbol", SymbolWidths(), 254},
                {"ZapfDingbats", ZapfDingbatsWidths(), 254}};
    for (const Row& row : rows) {
        int32_t previous = 31;
        for (const WidthPair& pair : row.table) {
            EXPECT_GT(pair.code, previous) << row.name;
            EXPECT_LE(pair.code, row.highest) << row.name;
            EXPECT_GT(pair.width, 0) << row.name;
            previous = pair.code;
        }
    }
}

TEST(FontTablesTest, ProportionalTablesRunInFiveBlocks) {
    const std::vector<std::pair<int32_t, int32_t>> expected{
        {1, 94}, {326, 389}, {633, 695}, {771, 778}, {780, 1010}};
    for (auto table : {HeiseiKakuPGoW5Widths(), HeiseiPMinW3Widths()}) {
        std::vector<std::pair<int32_t, int32_t>> runs;
        for (const WidthPair& pair : table) {
            if (!runs.empty() && pair.code == runs.back().second + 1)
                runs.back().second = pair.code;
            else
                runs.push_back({pair.code, pair.code});
        }
        EXPECT_EQ(runs, expected);
    }
}

TEST(FontTablesTest, RangesKeepTheCMapOrderAndNeverOverlap) {
    const auto ranges = SjisCidRanges();
    ASSERT_EQ(ranges.size(), 171u);
    auto same = [](const CidRange& r, uint16_t f, uint16_t l, uint16_t c) {
        return r.first == f && r.last == l && r.firstCid == c;
    };
    // Values of single ranges are judged through SjisCidMap in FontMeasureTest;
    // here the order: the one-byte katakana sit between the lead bytes 0x9F and 0xE0.
    EXPECT_TRUE(same(ranges[0], 0x20, 0x7D, 231));
    EXPECT_TRUE(same(ranges[170], 0xFC40, 0xFC4B, 8706));
    std::size_t katakana = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i)
        if (same(ranges[i], 0xA0, 0xDF, 326)) katakana = i;
    ASSERT_GT(katakana, 0u);
    EXPECT_TRUE(same(ranges[katakana - 1], 0x9F80, 0x9FFC, 5375));
    EXPECT_TRUE(same(ranges[katakana + 1], 0xE040, 0xE07E, 5500));

    auto firstByte = [](uint16_t code) { return code > 0xFF ? code >> 8 : code; };
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        EXPECT_LE(ranges[i].first, ranges[i].last);
        if (i > 0) {
            EXPECT_LE(firstByte(ranges[i - 1].first), firstByte(ranges[i].first)) << i;
        }
        for (std::size_t j = i + 1; j < ranges.size(); ++j)
            EXPECT_TRUE(ranges[i].last < ranges[j].first || ranges[j].last < ranges[i].first)
                << i << " overlaps " << j;
    }
}

// The committed tables must be what the generator makes from the data; the
// data folder exists on developer machines and in CI, not everywhere.
TEST(FontTablesTest, CommittedTablesMatchTheGenerator) {
    const std::filesystem::path source = SIGILRY_SOURCE_DIR;
    const std::filesystem::path data = source.parent_path() / "shared" / "data";
    if (!std::filesystem::is_directory(data)) GTEST_SKIP() << "no font data at " << data;
    if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";
    const test::ScratchDir scratch("font-tables");
    const std::filesystem::path& out = scratch.Path();
    const std::string command = "/usr/bin/python3 '" + (source / "tools/gen_font_tables.py").string() +
                                "' '" + data.string() + "' --out '" + out.string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"Type1WidthTables.cpp", "SjisCidRanges.cpp", "ProportionalWidthTables.cpp"}) {
        const std::string generated = test::ScratchDir::Read((out / name).string());
        ASSERT_FALSE(generated.empty()) << name;
        EXPECT_EQ(generated, test::ScratchDir::Read((source / "pdf/generated" / name).string())) << name;
    }
}

}  // namespace
}  // namespace sgry
