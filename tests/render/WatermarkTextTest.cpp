#include <gtest/gtest.h>

#include <string>

#include "render/TextWatermark.h"
#include "support/MemoryObjectWriter.h"

namespace sgry {
namespace {

using test::MemoryObjectWriter;

PageEntry A4(int32_t rotation = 0) {
    PageEntry page;
    page.width = 595;
    page.height = 842;
    page.rotation = rotation;
    return page;
}

StampSettings WatermarkSettings(int32_t type, const char* font, StampPosition position, bool margins) {
    StampSettings settings;
    settings.WaterMarkType = type;
    settings.WaterMarkFont = font;
    settings.WaterMarkPosition = position;
    settings.WaterMarkMargin = margins;
    return settings;
}

constexpr int32_t kNone = 0;
constexpr int32_t kShagaihi = 1;  // 社外秘, framed
constexpr int32_t kDraft = 16;    // plain
constexpr int32_t kMaruhi = 25;   // 秘 in a circle

TEST(TextWatermarkTest, TheNoneRowAndUnknownIdsCreateNoElement) {
    EXPECT_EQ(MakeTextWatermark(WatermarkSettings(kNone, "Courier", StampPosition::Center, true), A4()),
              nullptr);
    EXPECT_EQ(MakeTextWatermark(WatermarkSettings(99, "Courier", StampPosition::Center, true), A4()),
              nullptr);
}

TEST(TextWatermarkTest, TheWordGroupChoosesTheStyle) {
    const auto plain =
        MakeTextWatermark(WatermarkSettings(kDraft, "Courier", StampPosition::Center, true), A4());
    const auto framed =
        MakeTextWatermark(WatermarkSettings(kShagaihi, "HeiseiMin-W3", StampPosition::Center, true), A4());
    const auto circled =
        MakeTextWatermark(WatermarkSettings(kMaruhi, "HeiseiMin-W3", StampPosition::Center, true), A4());
    EXPECT_NE(dynamic_cast<PlainTextWatermark*>(plain.get()), nullptr);
    EXPECT_NE(dynamic_cast<FramedTextWatermark*>(framed.get()), nullptr);
    EXPECT_NE(dynamic_cast<CircledTextWatermark*>(circled.get()), nullptr);
    EXPECT_EQ(circled->Text(), "\x94\xE9");  // only the character 秘
}

TEST(TextWatermarkTest, ALatinPresetInAJapaneseFontIsDrawnInFullWidthLetters) {
    const auto element =
        MakeTextWatermark(WatermarkSettings(kDraft, "KozMinPro-Regular", StampPosition::Center, false), A4());
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->Text(), "\x82\x63\x82\x71\x82\x60\x82\x65\x82\x73");  // ＤＲＡＦＴ
    EXPECT_NE(element->FormContent(0, 0, -1).find("<FF24FF32FF21FF26FF34> Tj\r\n"), std::string::npos);

    const auto latin =
        MakeTextWatermark(WatermarkSettings(kDraft, "Courier", StampPosition::Center, false), A4());
    EXPECT_EQ(latin->Text(), "DRAFT");
}

TEST(TextWatermarkTest, FormWidthFollowsTheViewWidth) {
    const struct {
        const char* name;
        StampPosition position;
        bool margins;
        int32_t rotation;
        float width;
    } rows[] = {
        {"off centre is a quarter", StampPosition::TopLeft, true, 0, 148.75f},
        {"centre less side margins", StampPosition::Center, true, 0, 538.30709f},
        {"centre without margins", StampPosition::Center, false, 0, 595.0f},
        {"turned page uses its height", StampPosition::TopLeft, false, 90, 210.5f},
        {"turned by -90 too", StampPosition::Center, false, -90, 842.0f},
    };
    for (const auto& row : rows) {
        const auto element = MakeTextWatermark(
            WatermarkSettings(kDraft, "Courier", row.position, row.margins), A4(row.rotation));
        EXPECT_NEAR(element->FormWidth(), row.width, 0.001f) << row.name;
    }
}

TEST(TextWatermarkTest, PlainContentIsTheTextAtTheOriginRaisedByTheDescent) {
    const auto element =
        MakeTextWatermark(WatermarkSettings(kDraft, "Courier", StampPosition::Center, false), A4());
    EXPECT_EQ(element->FormContent(0, 0, -1),
              "BT\r\n/WM1 198.333313 Tf\r\n/WMI gs\r\n0.00 0.00 0.00 rg\r\n1 0 0 1 0.00 31.14 Tm\r\n(DRAFT) "
              "Tj\r\nET\r\n");
    EXPECT_NEAR(element->FormHeight(), 155.89f, 0.01f);  // (629 + 157) x 198.33 / 1000
}

TEST(TextWatermarkTest, FramedContentCentresTheTextInsideTheFrame) {
    StampSettings settings = WatermarkSettings(kShagaihi, "KozMinPro-Regular", StampPosition::TopLeft, false);
    settings.WaterMarkColor = 0x0000FF;
    const auto element = MakeTextWatermark(settings, A4());
    EXPECT_EQ(element->FormContent(0, 0, -1),
              "BT\r\n/WM1 42.889576 Tf\r\n/WMI gs\r\n1.00 0.00 0.00 rg\r\n1 0 0 1 10.04 15.19 Tm\r\n"
              "<793E591679D8> Tj\r\nET\r\n"
              "1 g\r\n0 G\r\n1.00 0.00 0.00 RG\r\n1 J 1 j 3.72 w 10 M []0 d\r\n1 i\r\n"
              "1.86 1.86 145.03 59.25 re\r\ns\r\n");
    EXPECT_NEAR(element->FormHeight(), 62.97f, 0.01f);
}

TEST(TextWatermarkTest, CircledContentDrawsASquareFormWithFourArcs) {
    const auto element = MakeTextWatermark(
        WatermarkSettings(kMaruhi, "KozMinPro-Regular", StampPosition::Center, false), A4());
    EXPECT_EQ(element->FormHeight(), element->FormWidth());
    EXPECT_EQ(element->FormContent(0, 0, -1),
              "BT\r\n/WM1 378.655670 Tf\r\n/WMI gs\r\n0.00 0.00 0.00 rg\r\n1 0 0 1 108.17 153.61 Tm\r\n"
              "<79D8> Tj\r\nET\r\n"
              "1 g\r\n0 G\r\n0.00 0.00 0.00 RG\r\n1 J 1 j 29.75 w 10 M []0 d\r\n1 i\r\n"
              "580.12 297.50 m\r\n"
              "580.12 453.61 453.61 580.12 297.50 580.12 c\r\n"
              "141.39 580.12 14.88 453.61 14.88 297.50 c\r\n"
              "14.88 141.39 141.39 14.88 297.50 14.88 c\r\n"
              "453.61 14.88 580.12 141.39 580.12 297.50 c\r\n"
              "s\r\n");
}

TEST(TextWatermarkTest, DiagonalAppliesOnlyAtTheCentre) {
    StampSettings settings = WatermarkSettings(kDraft, "Courier", StampPosition::Center, false);
    settings.WawterMarkDiagonal = true;
    auto centre = MakeTextWatermark(settings, A4());
    centre->SetFormResourceName("/UK1");
    const std::string diagonal = centre->PlacementContent();
    EXPECT_EQ(diagonal.rfind("q\r\n1 0 0 1 ", 0), 0u);
    EXPECT_NE(diagonal.find("\r\n0.59 0.81 -0.81 0.59 0 0 cm\r\n"), std::string::npos);
    EXPECT_EQ(diagonal.substr(diagonal.size() - 12), "/UK1 Do\r\nQ\r\n");

    settings.WaterMarkPosition = StampPosition::TopRight;
    auto corner = MakeTextWatermark(settings, A4());
    corner->SetFormResourceName("/UK1");
    const FormSize size{corner->FormWidth(), corner->FormHeight()};
    EXPECT_EQ(corner->PlacementContent(), PaintForm(PlaceTextWatermark(2, A4(), size, MarginsPt{}), "/UK1"));
}

TEST(TextWatermarkTest, BuildWritesGraphicsStateFontAndFormInThatOrder) {
    StampSettings settings = WatermarkSettings(kShagaihi, "HeiseiKakuGo-W5", StampPosition::Center, true);
    settings.WaterMarkDensity = 55;
    auto element = MakeTextWatermark(settings, A4());
    MemoryObjectWriter writer(100);
    EXPECT_EQ(element->Build(writer), 1);
    ASSERT_EQ(writer.entries().size(), 5u);
    EXPECT_EQ(element->GraphicsStateRef().number, 100);
    EXPECT_EQ(element->Font()->ObjectNumber(), 103);
    EXPECT_EQ(element->FormRef().number, 104);
    EXPECT_NE(writer.bytes().find("/ca 0.55\r\n"), std::string::npos) << writer.bytes().substr(0, 200);
    // The bounding box doubles the form's size.
    EXPECT_NE(writer.bytes().find("/BBox [-100 -100 1076.61 "), std::string::npos);
}

TEST(TextWatermarkTest, ShowTextKeepsTheContentStreamIntact) {
    EXPECT_EQ(ShowText("TOP SECRET", false), "(TOP SECRET) Tj\r\n");
    EXPECT_EQ(ShowText("a(b)c\\", false), "(a\\(b\\)c\\\\) Tj\r\n");
    EXPECT_EQ(ShowText("\x94\xE9", true), "<79D8> Tj\r\n");  // a CID font shows hexadecimal
}

}  // namespace
}  // namespace sgry
