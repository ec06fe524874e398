// Measuring with the fonts: text widths, line heights, the inverse sizes,
// Shift-JIS to CID, and choosing a font by name.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pdf/CidFont.h"
#include "pdf/FontTable.h"
#include "pdf/PdfFont.h"
#include "pdf/SjisCidMap.h"
#include "pdf/Type1Font.h"
#include "platform/Format.h"

namespace sgry {
namespace {

// One character's share, in the order the fonts compute it.
float Share(int32_t width, float size) {
    return static_cast<float>(width) * size * 0.001f;
}

TEST(FontMeasureTest, TextWidthSumsTheSharesOfTheCharactersInOrder) {
    struct Row {
        const char* name;
        const char* font;
        std::string text;
        float size;
        std::vector<int32_t> widths;
    } rows[] = {
        {"Helvetica", "Helvetica", "AB", 10.0f, {667, 667}},
        {"Courier", "Courier", "AB", 10.0f, {600, 600}},
        {"Times", "Times-Roman", "\"@", 10.0f, {408, 921}},
        {"empty text", "Helvetica", "", 10.0f, {}},
        // A signed byte from 0x80 never matches a table code: the default width.
        {"Helvetica 0xE9", "Helvetica", "\xE9", 10.0f, {260}},
        {"Times 0xE9", "Times-Roman", "\xE9", 10.0f, {250}},
        {"Symbol 0xFF", "Symbol", "\xFF", 10.0f, {250}},
        {"ZapfDingbats 0x80", "ZapfDingbats", "\x80", 10.0f, {278}},
        // CID fonts measure the full-width form: "A" is 0x8260, CID 790.
        {"KozMin A", "KozMinPro-Regular", "A", 10.0f, {1000}},
        {"proportional gothic A", "HeiseiKakuPGo-W5", "A", 10.0f, {715}},
        {"proportional mincho A", "HeiseiPMin-W3", "A", 10.0f, {805}},
        {"full-width A written directly", "HeiseiKakuPGo-W5", "\x82\x60", 10.0f, {715}},
        // Half-width katakana 0xB1 becomes 0x8341 (CID 926), never the half-width CID 327.
        {"half-width katakana", "HeiseiKakuPGo-W5", "\xB1", 10.0f, {898}},
        {"kanji 0x8ED0", "HeiseiPMin-W3", "\x8E\xD0", 10.0f, {1000}},
        // "1" is 0x8250, CID 781.
        {"gothic A1", "HeiseiKakuPGo-W5", "A1", 12.0f, {715, 684}},
        {"mincho A1", "HeiseiPMin-W3", "A1", 12.0f, {805, 621}},
        {"fixed-pitch A1", "HeiseiMin-W3", "A1", 12.0f, {1000, 1000}},
        // A lead byte at the end is one character; nothing beyond the text is read.
        {"lone lead byte", "HeiseiKakuPGo-W5", "A\x82", 10.0f, {715, 1000}},
    };
    for (const Row& row : rows) {
        float expected = 0.0f;
        for (int32_t width : row.widths) expected += Share(width, row.size);
        EXPECT_EQ(MakePdfFont(row.font)->TextWidth(row.text, row.size), expected) << row.name;
    }
    EXPECT_EQ(Fixed2(HelveticaFont().TextWidth("AB", 10.0f)), "13.34");
    EXPECT_EQ(Fixed2(CourierFont().TextWidth("AB", 10.0f)), "12.00");
    EXPECT_EQ(Fixed2(KozMinProRegularFont().TextWidth("A", 10.0f)), "10.00");
}

TEST(FontMeasureTest, LineHeights) {
    EXPECT_EQ(Fixed2(HelveticaFont().LineHeight(10.0f)), "9.25");
    EXPECT_EQ(HelveticaFont().LineHeight(10.0f), 925.0f * 10.0f * 0.001f);
    EXPECT_EQ(Fixed2(KozMinProRegularFont().LineHeight(10.0f)), "10.00");
    EXPECT_EQ(KozMinProRegularFont().LineHeight(10.0f), 1000.0f * 10.0f * 0.001f);
    EXPECT_EQ(SymbolFont().LineHeight(1.0f), 1303.0f * 1.0f * 0.001f);
    EXPECT_EQ(HeiseiMinW3Font().LineHeight(2.0f), 1000.0f * 2.0f * 0.001f);
}

TEST(FontMeasureTest, SizeForWidthAndHeight) {
    HelveticaFont helvetica;
    EXPECT_EQ(helvetica.SizeForWidth("AB", 13.34f),
              13.34f / helvetica.TextWidth("AB", 100.0f) * 100.0f);
    EXPECT_EQ(Fixed2(helvetica.SizeForWidth("AB", 13.34f)), "10.00");
    EXPECT_EQ(helvetica.SizeForHeight(9.25f), 9.25f / helvetica.LineHeight(100.0f) * 100.0f);
    EXPECT_EQ(Fixed2(KozMinProRegularFont().SizeForHeight(20.0f)), "20.00");
    EXPECT_EQ(HelveticaFont().SizeForWidth("", 100.0f), 0.0f);
    EXPECT_EQ(HeiseiMinW3Font().SizeForWidth("", 100.0f), 0.0f);
}

TEST(FontMeasureTest, ToCidOnTheMapRows) {
    const SjisCidMap map;
    struct Row {
        const char* name;
        uint16_t code, cid;
    } rows[] = {
        {"space", 0x20, 231},         {"A", 0x41, 264},
        {"brace close", 0x7D, 324},   {"tilde", 0x7E, 631},
        {"ideographic space", 0x8140, 633}, {"end of 8140 row", 0x817E, 695},
        {"8180", 0x8180, 696},        {"81AC", 0x81AC, 740},
        {"half-width A0", 0xA0, 326}, {"half-width DF", 0xDF, 389},
        {"hiragana", 0x829F, 842},    {"katakana", 0x8340, 925},
        {"kanji 889F", 0x889F, 1125}, {"circled 8740", 0x8740, 7555},
        {"9F80", 0x9F80, 5375},       {"E040", 0xE040, 5500},
        {"FA40", 0xFA40, 8092},       {"FB80", 0xFB80, 8581},
        {"FBFC", 0xFBFC, 8705},       {"FC40", 0xFC40, 8706},
        {"FC4B", 0xFC4B, 8717},       {"full-width A", 0x8260, 790},
        {"control byte", 0x1F, 0},    {"NUL", 0x00, 0},
        {"0x80", 0x80, 0},            {"gap after 81AC", 0x81AD, 0},
        {"after the last range", 0xFC4C, 0}, {"FFFF", 0xFFFF, 0},
    };
    for (const Row& row : rows) EXPECT_EQ(map.ToCid(row.code), row.cid) << row.name;
}

TEST(FontMeasureTest, ToCidTakesTheFirstRangeThatHoldsTheCode) {
    const CidRange ranges[] = {{0x10, 0x20, 100}, {0x15, 0x30, 500}};
    const SjisCidMap map(ranges);
    EXPECT_EQ(map.ToCid(0x16), 106);
    EXPECT_EQ(map.ToCid(0x21), 512);
    EXPECT_EQ(map.ToCid(0x31), 0);
}

TEST(FontMeasureTest, MakePdfFontByName) {
    struct Row {
        const char* name;
        const char* baseFont;
        bool hexText;
    } rows[] = {
        {"Courier", "Courier", false},
        {"Helvetica", "Helvetica", false},
        {"Times-Roman", "Times-Roman", false},
        {"Symbol", "Symbol", false},
        {"ZapfDingbats", "ZapfDingbats", false},
        {"HeiseiMin-W3", "HeiseiMin-W3-UniJIS-UCS2-H", true},
        {"HeiseiPMin-W3", "HeiseiMin-W3-UniJIS-UCS2-H", true},
        {"HeiseiKakuGo-W5", "HeiseiKakuGo-W5-UniJIS-UCS2-H", true},
        {"HeiseiKakuPGo-W5", "HeiseiKakuGo-W5-UniJIS-UCS2-H", true},
        {"KozMinPro-Regular", "KozMinPro-Regular-UniJIS-UCS2-H", true},
        {"", "Courier", false},
        {"helvetica", "Courier", false},
        {"Arial", "Courier", false},
    };
    for (const Row& row : rows) {
        const std::unique_ptr<PdfFont> font = MakePdfFont(row.name);
        ASSERT_TRUE(font) << row.name;
        EXPECT_EQ(font->BaseFontName(), row.baseFont) << row.name;
        EXPECT_EQ(font->IsHexText(), row.hexText) << row.name;
        EXPECT_EQ(font->ObjectNumber(), 0) << row.name;
    }
    // The proportional fonts differ from their fixed-pitch names by the table.
    EXPECT_FALSE(MakePdfFont("HeiseiPMin-W3")->IsFixedPitch());
    EXPECT_TRUE(MakePdfFont("HeiseiMin-W3")->IsFixedPitch());
    auto plainGothic = MakePdfFont("HeiseiKakuGo-W5");
    EXPECT_EQ(dynamic_cast<CidFont&>(*plainGothic).Flags(), 4);
}

TEST(FontMeasureTest, FindFontGivesTheTableIndexOfItsRows) {
    for (std::size_t i = 0; i < FontTable.size(); ++i)
        EXPECT_EQ(FindFont(FontTable[i].pdfName), static_cast<int>(i)) << FontTable[i].pdfName;
    EXPECT_EQ(FindFont("HeiseiKakuPGo-W5"), 8);
    EXPECT_EQ(FindFont("KozMinPro-Regular"), 9);
    EXPECT_EQ(FindFont(""), 0);
    EXPECT_EQ(FindFont("Helvetica "), 0);
    EXPECT_EQ(FindFont("HELVETICA"), 0);
    EXPECT_EQ(FontTable[0].displayName, "[英]Courier");
    EXPECT_EQ(FontTable[3].displayName, "[記号]Symbol");
    EXPECT_EQ(FontTable[6].displayName, "[日]平成Ｐ明朝体");
    EXPECT_EQ(FontTable[9].displayName, "[日]小塚明朝Pro");
    for (std::size_t i = 0; i < FontTable.size(); ++i)
        EXPECT_EQ(FontTable[i].kind, i < 5 ? FontKind::Latin : FontKind::Japanese) << i;
}

}  // namespace
}  // namespace sgry
