#include <gtest/gtest.h>

#include "support/TestPages.h"

#include <string>

#include "render/WatermarkPlacement.h"

namespace sgry {
namespace {

using test::Page;

// The three placement lines: translation, rotation and scale.
std::string Lines(const char* translation, const char* rotation, const char* scale) {
    return std::string("1 0 0 1 ") + translation + " cm\r\n" + rotation + " 0 0 cm\r\n" + scale +
           " 0 0 cm\r\n";
}

TEST(WatermarkPlacementTest, DiagonalAngleOfAnUnrotatedA4PageIs54Point75Degrees) {
    // atan(842 / 595) = 54.753 degrees.
    EXPECT_NEAR(DiagonalAngle(ViewFrame{595, 842}), 54.753f, 0.001f);
}

TEST(WatermarkPlacementTest, DiagonalOnA4TurnsByWholeDegreesAndCentresTheTurnedBox) {
    // 0.6 x 1031.01 = 618.61 points along the diagonal; the turned box of a
    // 595 x 100 form is 441.9 wide, below 535.5: no shrink.
    const FormPlacement placement = PlaceDiagonal(Page(595, 842), FormSize{595.0f, 100.0f});
    EXPECT_EQ(PlacementLines(placement), Lines("161.45 138.40", "0.59 0.81 -0.81 0.59", "1.04 0 0 1.04"));
    EXPECT_NEAR(placement.scaleX * 595.0f, 618.61f, 0.01f);
}

TEST(WatermarkPlacementTest, DiagonalShrinksATooWideTurnedBoxOnceToNineTenthsOfTheWidth) {
    // A 595 x 400 form turned along 618.6 points would be 696 wide.
    const FormPlacement placement = PlaceDiagonal(Page(595, 842), FormSize{595.0f, 400.0f});
    EXPECT_EQ(PlacementLines(placement), Lines("290.82 134.58", "0.59 0.81 -0.81 0.59", "0.80 0 0 0.80"));
    // The shrunk length is 475.52 points along the diagonal.
    EXPECT_NEAR(placement.scaleX * 595.0f, 475.52f, 0.01f);
}

TEST(WatermarkPlacementTest, DiagonalOnAPageTurnedBy90AddsThePageRotation) {
    // View 842 x 595: the angle is 35.25, the turn -(35 + 90) in the formula branch.
    const FormPlacement placement = PlaceDiagonal(Page(595, 842, 90), FormSize{842.0f, 100.0f});
    EXPECT_EQ(PlacementLines(placement), Lines("506.00 189.60", "-0.57 0.82 -0.82 -0.57", "0.73 0 0 0.73"));
}

// Off the centre the target width is vw / 6 = 99.17 against a form laid out
// at vw / 4 = 148.75: two thirds of its size.
TEST(WatermarkPlacementTest, NinePositionsPlaceTheScaledFormOnAnA4Page) {
    const struct {
        const char* name;
        int position;
        bool followMargins;
        FormSize form;
        const char* translation;
        const char* scale;
    } rows[] = {
        // At the left edge, the form's scaled height touching the top edge.
        {"top left without margins", 0, false, {148.75f, 40.0f}, "0.00 815.33", "0.67 0 0 0.67"},
        {"top centre with margins", 1, true, {148.75f, 40.0f}, "247.92 786.99", "0.67 0 0 0.67"},
        {"middle right with margins", 5, true, {148.75f, 40.0f}, "467.49 407.67", "0.67 0 0 0.67"},
        {"bottom right with margins", 8, true, {148.75f, 40.0f}, "467.49 28.35", "0.67 0 0 0.67"},
        // The centre fills the smaller of the two inner sizes.
        {"centre with margins", 4, true, {538.31f, 200.0f}, "28.35 321.00", "1.00 0 0 1.00"},
        {"outside the nine lands at the origin", 9, true, {148.75f, 40.0f}, "0.00 0.00", "0.67 0 0 0.67"},
    };
    for (const auto& row : rows) {
        const MarginsPt margins = MarginsToPoints(MarginsMm{10.0f, 10.0f, 10.0f, 10.0f}, row.followMargins);
        EXPECT_EQ(PlacementLines(PlaceTextWatermark(row.position, Page(595, 842), row.form, margins)),
                  Lines(row.translation, "1.00 0.00 0.00 1.00", row.scale))
            << row.name;
    }
}

TEST(WatermarkPlacementTest, TopLeftOnAPageTurnedBy180IsCarriedToTheOppositeCorner) {
    const FormPlacement placement =
        PlaceTextWatermark(0, Page(595, 842, 180), FormSize{148.75f, 40.0f}, MarginsPt{});
    EXPECT_EQ(PlacementLines(placement), Lines("595.00 26.67", "-1.00 0.00 0.00 -1.00", "0.67 0 0 0.67"));
}

TEST(WatermarkPlacementTest, BandIsCentredAtItsHeightAndKeptOnThePage) {
    const struct {
        const char* name;
        int verticalPosition;
        int32_t rotation;
        float barHeight;
        const char* translation;
    } rows[] = {
        {"middle at 50", 50, 0, 84.2f, "0.00 378.90"},
        {"bottom edge at 100 is raised to zero", 100, 0, 84.2f, "0.00 0.00"},
        {"top edge at 0 is half off the page", 0, 0, 84.2f, "0.00 799.90"},
        {"above the page is pulled below the top edge", -60, 0, 84.2f, "0.00 757.80"},
        {"page turned by 90 runs along its height", 50, 90, 59.5f, "327.25 0.00"},
    };
    for (const auto& row : rows) {
        const std::string lines =
            PlacementLines(PlaceBand(row.verticalPosition, Page(595, 842, row.rotation), row.barHeight));
        EXPECT_EQ(lines.substr(0, lines.find("\r\n") + 2),
                  std::string("1 0 0 1 ") + row.translation + " cm\r\n")
            << row.name;
        EXPECT_EQ(lines.substr(lines.rfind("cm\r\n", lines.size() - 5) + 4), "1.00 0 0 1.00 0 0 cm\r\n")
            << row.name;
    }
}

}  // namespace
}  // namespace sgry
