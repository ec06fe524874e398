#include <gtest/gtest.h>

#include <string>

#include "render/WatermarkPlacement.h"

namespace sgry {
namespace {

PageEntry Page(int32_t width, int32_t height, int32_t rotation = 0) {
    PageEntry page;
    page.width = width;
    page.height = height;
    page.rotation = rotation;
    return page;
}

TEST(WatermarkPlacementTest, DiagonalAngleOfAnUnrotatedA4PageIs54Point75Degrees) {
    // atan(842 / 595) = 54.753 degrees.
    EXPECT_NEAR(DiagonalAngle(ViewFrame{595, 842}), 54.753f, 0.001f);
}

TEST(WatermarkPlacementTest, DiagonalOnA4TurnsByWholeDegreesAndCentresTheTurnedBox) {
    // 0.6 x 1031.01 = 618.61 points along the diagonal; the turned box of a
    // 595 x 100 form is 441.9 wide, below 535.5: no shrink.
    const FormPlacement placement = PlaceDiagonal(Page(595, 842), FormSize{595.0f, 100.0f});
    EXPECT_EQ(PlacementLines(placement),
              "1 0 0 1 161.45 138.40 cm\r\n0.59 0.81 -0.81 0.59 0 0 cm\r\n1.04 0 0 1.04 0 0 cm\r\n");
    EXPECT_NEAR(placement.scaleX * 595.0f, 618.61f, 0.01f);
}

TEST(WatermarkPlacementTest, DiagonalShrinksATooWideTurnedBoxOnceToNineTenthsOfTheWidth) {
    // A 595 x 400 form turned along 618.6 points would be 696 wide.
    const FormPlacement placement = PlaceDiagonal(Page(595, 842), FormSize{595.0f, 400.0f});
    EXPECT_EQ(PlacementLines(placement),
              "1 0 0 1 290.82 134.58 cm\r\n0.59 0.81 -0.81 0.59 0 0 cm\r\n0.80 0 0 0.80 0 0 cm\r\n");
    // The shrunk length is 475.52 points along the diagonal.
    EXPECT_NEAR(placement.scaleX * 595.0f, 475.52f, 0.01f);
}

TEST(WatermarkPlacementTest, DiagonalOnAPageTurnedBy90AddsThePageRotation) {
    // View 842 x 595: the angle is 35.25, the turn -(35 + 90) in the formula branch.
    const FormPlacement placement = PlaceDiagonal(Page(595, 842, 90), FormSize{842.0f, 100.0f});
    EXPECT_EQ(PlacementLines(placement),
              "1 0 0 1 506.00 189.60 cm\r\n-0.57 0.82 -0.82 -0.57 0 0 cm\r\n0.73 0 0 0.73 0 0 cm\r\n");
}

struct PositionRow {
    const char* name;
    int position;
    bool followMargins;
    float formWidth;
    float formHeight;
    const char* lines;
};

class NinePositionTest : public testing::TestWithParam<PositionRow> {};

TEST_P(NinePositionTest, PlacesTheScaledFormOnAnA4Page) {
    const PositionRow& row = GetParam();
    const MarginsPt margins = MarginsToPoints(MarginsMm{10.0f, 10.0f, 10.0f, 10.0f}, row.followMargins);
    const FormPlacement placement =
        PlaceTextWatermark(row.position, Page(595, 842), FormSize{row.formWidth, row.formHeight}, margins);
    EXPECT_EQ(PlacementLines(placement), row.lines);
}

// Off the centre the target width is vw / 6 = 99.17 against a form laid out
// at vw / 4 = 148.75: two thirds of its size.
INSTANTIATE_TEST_SUITE_P(
    Positions, NinePositionTest,
    testing::Values(
        // At the left edge, the form's scaled height touching the top edge.
        PositionRow{"TopLeftWithoutMargins", 0, false, 148.75f, 40.0f,
                    "1 0 0 1 0.00 815.33 cm\r\n1.00 0.00 0.00 1.00 0 0 cm\r\n0.67 0 0 0.67 0 0 cm\r\n"},
        PositionRow{"TopCentreWithMargins", 1, true, 148.75f, 40.0f,
                    "1 0 0 1 247.92 786.99 cm\r\n1.00 0.00 0.00 1.00 0 0 cm\r\n0.67 0 0 0.67 0 0 cm\r\n"},
        PositionRow{"MiddleRightWithMargins", 5, true, 148.75f, 40.0f,
                    "1 0 0 1 467.49 407.67 cm\r\n1.00 0.00 0.00 1.00 0 0 cm\r\n0.67 0 0 0.67 0 0 cm\r\n"},
        PositionRow{"BottomRightWithMargins", 8, true, 148.75f, 40.0f,
                    "1 0 0 1 467.49 28.35 cm\r\n1.00 0.00 0.00 1.00 0 0 cm\r\n0.67 0 0 0.67 0 0 cm\r\n"},
        // The centre fills the smaller of the two inner sizes.
        PositionRow{"CentreWithMargins", 4, true, 538.31f, 200.0f,
                    "1 0 0 1 28.35 321.00 cm\r\n1.00 0.00 0.00 1.00 0 0 cm\r\n1.00 0 0 1.00 0 0 cm\r\n"},
        PositionRow{"OutsideTheNineLandsAtTheOrigin", 9, true, 148.75f, 40.0f,
                    "1 0 0 1 0.00 0.00 cm\r\n1.00 0.00 0.00 1.00 0 0 cm\r\n0.67 0 0 0.67 0 0 cm\r\n"}),
    [](const testing::TestParamInfo<PositionRow>& info) { return std::string(info.param.name); });

TEST(WatermarkPlacementTest, TopLeftOnAPageTurnedBy180IsCarriedToTheOppositeCorner) {
    const FormPlacement placement =
        PlaceTextWatermark(0, Page(595, 842, 180), FormSize{148.75f, 40.0f}, MarginsPt{});
    EXPECT_EQ(PlacementLines(placement),
              "1 0 0 1 595.00 26.67 cm\r\n-1.00 0.00 0.00 -1.00 0 0 cm\r\n0.67 0 0 0.67 0 0 cm\r\n");
}

struct BandRow {
    const char* name;
    int verticalPosition;
    int32_t rotation;
    float barHeight;
    const char* translation;
};

class BandPlacementTest : public testing::TestWithParam<BandRow> {};

TEST_P(BandPlacementTest, CentresTheBarAtItsHeightAndKeepsItOnThePage) {
    const BandRow& row = GetParam();
    const FormPlacement placement = PlaceBand(row.verticalPosition, Page(595, 842, row.rotation), row.barHeight);
    const std::string lines = PlacementLines(placement);
    EXPECT_EQ(lines.substr(0, lines.find("\r\n") + 2), row.translation);
    EXPECT_EQ(lines.substr(lines.rfind("cm\r\n", lines.size() - 5) + 4), "1.00 0 0 1.00 0 0 cm\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Heights, BandPlacementTest,
    testing::Values(BandRow{"Middle50", 50, 0, 84.2f, "1 0 0 1 0.00 378.90 cm\r\n"},
                    BandRow{"BottomEdge100IsRaisedToZero", 100, 0, 84.2f, "1 0 0 1 0.00 0.00 cm\r\n"},
                    BandRow{"TopEdge0IsHalfOffThePage", 0, 0, 84.2f, "1 0 0 1 0.00 799.90 cm\r\n"},
                    BandRow{"AboveThePageIsPulledBelowTheTopEdge", -60, 0, 84.2f, "1 0 0 1 0.00 757.80 cm\r\n"},
                    BandRow{"PageTurnedBy90RunsAlongItsHeight", 50, 90, 59.5f, "1 0 0 1 327.25 0.00 cm\r\n"}),
    [](const testing::TestParamInfo<BandRow>& info) { return std::string(info.param.name); });

TEST(WatermarkPlacementTest, PaintFormWrapsTheLinesAndTheFormName) {
    const FormPlacement placement = PlaceBand(50, Page(595, 842), 84.2f);
    EXPECT_EQ(PaintForm(placement, "/UK3"),
              "q\r\n1 0 0 1 0.00 378.90 cm\r\n1.00 0.00 0.00 1.00 0 0 cm\r\n1.00 0 0 1.00 0 0 cm\r\n/UK3 Do\r\nQ\r\n");
}

}  // namespace
}  // namespace sgry
