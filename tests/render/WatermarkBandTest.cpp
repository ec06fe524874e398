#include <gtest/gtest.h>

#include <string>

#include "platform/Format.h"
#include "render/BandWatermark.h"
#include "support/MemoryObjectWriter.h"

namespace sgry {
namespace {

using test::MemoryObjectWriter;

PageEntry A4() {
    PageEntry page;
    page.width = 595;
    page.height = 842;
    return page;
}

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

TEST(BandWatermarkTest, DefaultSettingsDrawABlackBarWithWhiteRepeatedText) {
    const auto band = MakeBandWatermark(StampSettings{}, A4());
    EXPECT_EQ(band->FormWidth(), 595.0f);
    EXPECT_EQ(band->FormHeight(), 0.1f * 842.0f);
    // "Sample" fits 1.93 times: two more copies, joined by plain spaces.
    EXPECT_EQ(band->FormContent(0, 0, -1),
              "/WMI gs\r\n0.00 0.00 0.00 RG\r\n0.00 0.00 0.00 rg\r\n1 J 1 j 1 w 10 M []0 d\r\n1 i\r\n"
              "0.00 0.00 595.00 84.20 re\r\nB\r\n"
              "BT\r\n/WM1 85.699738 Tf\r\n/WMI gs\r\n1.00 1.00 1.00 rg\r\n1 0 0 1 -216.70 21.87 Tm\r\n"
              "(Sample Sample Sample) Tj\r\nET\r\n");
}

TEST(BandWatermarkTest, PlacementPaintsTheFormCentredAtPosition50) {
    auto band = MakeBandWatermark(StampSettings{}, A4());
    band->SetFormResourceName("/UK2");
    EXPECT_EQ(band->PlacementContent(),
              "q\r\n1 0 0 1 0.00 378.90 cm\r\n1.00 0.00 0.00 1.00 0 0 cm\r\n1.00 0 0 1.00 0 0 cm\r\n/UK2 "
              "Do\r\nQ\r\n");
}

TEST(BandWatermarkTest, WithoutRepeatTheTextIsDrawnOnceCentred) {
    StampSettings settings;
    settings.bWmIsRepeat = false;
    const auto band = MakeBandWatermark(settings, A4());
    const std::string content = band->FormContent(0, 0, -1);
    EXPECT_NE(content.find("(Sample) Tj\r\n"), std::string::npos);
    // (595 - 6 x 0.6 x 85.70) / 2
    EXPECT_NE(content.find("1 0 0 1 143.24 21.87 Tm\r\n"), std::string::npos);
}

TEST(BandWatermarkTest, AJapaneseTextIsRepeatedWithFullWidthSpaces) {
    StampSettings settings;
    settings.bWmFont = "KozMinPro-Regular";
    settings.bWmText = "\x83\x54\x83\x93\x83\x76\x83\x8B";  // サンプル
    const auto band = MakeBandWatermark(settings, A4());
    // Four characters at 67.36 points fit 2.2 times: three more copies.
    const std::string unit = settings.bWmText;
    const std::string space = "\x81\x40";
    EXPECT_EQ(band->TextToDraw(band->FitFontSize()), unit + space + unit + space + unit + space + unit);
}

TEST(BandWatermarkTest, AnAsciiTextInAJapaneseFontIsRepeatedWithPlainSpaces) {
    StampSettings settings;
    settings.bWmFont = "HeiseiMin-W3";
    const auto band = MakeBandWatermark(settings, A4());
    const std::string drawn = band->TextToDraw(band->FitFontSize());
    EXPECT_EQ(drawn.rfind("Sample Sample", 0), 0u);
    EXPECT_EQ(drawn.find('\x81'), std::string::npos);
}

TEST(BandWatermarkTest, ATextThatFits2Point5TimesGetsThreeMoreCopies) {
    StampSettings settings;
    settings.bWmText = "ABCD";
    const auto band = MakeBandWatermark(settings, A4());
    // Courier "ABCD" is 2.4 points per point of size: 238 points wide at 99.17.
    EXPECT_EQ(CountOf(band->TextToDraw(595.0f / 2.5f / 2.4f), "ABCD"), 4);
}

TEST(BandWatermarkTest, ThicknessScalesTheBarAgainstTheViewHeight) {
    const std::pair<BandThickness, const char*> rows[] = {
        {BandThickness::ExtraThick, "168.40"}, {BandThickness::Thick, "126.30"},
        {BandThickness::Medium, "84.20"},      {BandThickness::Thin, "50.52"},
        {BandThickness::ExtraThin, "25.26"},   {static_cast<BandThickness>(7), "84.20"},  // unknown: medium
    };
    for (const auto& [thickness, height] : rows) {
        StampSettings settings;
        settings.bWmThick = thickness;
        EXPECT_EQ(Format("%.2f", MakeBandWatermark(settings, A4())->FormHeight()), height)
            << static_cast<int>(thickness);
    }
}

TEST(BandWatermarkTest, AThickerBarCarriesALargerTextAndMovesItsMiddle) {
    StampSettings settings;
    settings.bWmThick = BandThickness::ExtraThick;
    const auto thick = MakeBandWatermark(settings, A4());
    settings.bWmThick = BandThickness::ExtraThin;
    const auto thin = MakeBandWatermark(settings, A4());
    EXPECT_GT(thick->FitFontSize(), thin->FitFontSize());
    // Middle of the page either way: y = 421 - H / 2.
    EXPECT_NE(thick->PlacementContent().find("1 0 0 1 0.00 336.80 cm\r\n"), std::string::npos);
    EXPECT_NE(thin->PlacementContent().find("1 0 0 1 0.00 408.37 cm\r\n"), std::string::npos);
}

TEST(BandWatermarkTest, AnEmptyTextDrawsTheBarAlone) {
    StampSettings settings;
    settings.bWmText.clear();
    auto band = MakeBandWatermark(settings, A4());
    EXPECT_EQ(band->FitFontSize(), 0.0f);
    EXPECT_EQ(band->TextToDraw(10.0f), "");
    EXPECT_EQ(band->FormContent(0, 0, -1),
              "/WMI gs\r\n0.00 0.00 0.00 RG\r\n0.00 0.00 0.00 rg\r\n1 J 1 j 1 w 10 M []0 d\r\n1 i\r\n"
              "0.00 0.00 595.00 84.20 re\r\nB\r\n");
    MemoryObjectWriter writer(1);
    EXPECT_EQ(band->Build(writer), 1);
    EXPECT_EQ(writer.entries().size(), 3u);  // graphics state, Courier, form
}

TEST(BandWatermarkTest, BuildNumbersGraphicsStateFontObjectsAndFormConsecutively) {
    StampSettings settings;
    settings.bWmFont = "HeiseiKakuPGo-W5";
    settings.bWmDensity = 100;
    auto band = MakeBandWatermark(settings, A4());
    MemoryObjectWriter writer(60);
    band->Build(writer);
    ASSERT_EQ(writer.entries().size(), 5u);
    EXPECT_EQ(band->GraphicsStateRef().number, 60);
    EXPECT_EQ(band->Font()->ObjectNumber(), 63);
    EXPECT_EQ(band->FormRef().number, 64);
    EXPECT_NE(writer.bytes().find("/ca 1.00\r\n"), std::string::npos);
    EXPECT_NE(writer.bytes().find("/BBox [-100 -100 1190.00 168.40 ]"), std::string::npos);
}

}  // namespace
}  // namespace sgry
