#include <gtest/gtest.h>

#include "support/TestPages.h"

#include <array>
#include <string>
#include <vector>

#include "render/StampGeometry.h"

namespace sgry {
namespace {

using test::Page;

constexpr MarginsMm kTenMm{10.0f, 10.0f, 10.0f, 10.0f};
constexpr float kSize105 = 10.5f;

TEST(StampGeometryTest, MarginsConvertWithTheSinglePrecisionFactor) {
    const MarginsPt m = MarginsToPoints(kTenMm);
    EXPECT_EQ(m.top, 10.0f * 2.8346457f);
    const MarginsPt unequal = MarginsToPoints({1.0f, 2.0f, 3.0f, 4.0f});
    EXPECT_EQ((std::array<float, 4>{unequal.top, unequal.bottom, unequal.left, unequal.right}),
              (std::array<float, 4>{2.8346457f, 2.0f * 2.8346457f, 3.0f * 2.8346457f, 4.0f * 2.8346457f}));
    const MarginsPt off = MarginsToPoints(kTenMm, false);
    EXPECT_EQ(off.top + off.bottom + off.left + off.right, 0.0f);
    const float settingsOrder[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    const MarginsMm read = MarginsFromSettingsOrder(settingsOrder);
    EXPECT_EQ((std::array<float, 4>{read.top, read.bottom, read.left, read.right}),
              (std::array<float, 4>{1.0f, 2.0f, 3.0f, 4.0f}));
}

struct RotationRow {
    const char* name;
    int angle;
    RotationPart expected;
};

TEST(StampGeometryTest, RotationTableIsExact) {
    const std::vector<RotationRow> rows = {
        {"zero", 0, {1, 0, 0, 1}},
        {"full turn", 360, {1, 0, 0, 1}},
        {"full back", -360, {1, 0, 0, 1}},
        {"quarter", 90, {0, 1, -1, 0}},
        {"three quarters", 270, {0, -1, 1, 0}},
        {"quarter back", -90, {0, -1, 1, 0}},
        {"half", 180, {-1, 0, 0, -1}},
        {"half back", -180, {-1, 0, 0, -1}},
    };
    for (const RotationRow& row : rows) {
        const RotationPart r = RotationMatrix(row.angle);
        EXPECT_EQ((std::array<float, 4>{r.a, r.b, r.c, r.d}),
                  (std::array<float, 4>{row.expected.a, row.expected.b, row.expected.c, row.expected.d}))
            << row.name;
    }
}

TEST(StampGeometryTest, RotationFormulaTurnsTheOtherWay) {
    // 54 degrees: the diagonal watermark of an A4 page asks for -54.
    EXPECT_EQ(MatrixOperands(MakePlacement(RotationMatrix(-54), {})), "0.59 0.81 -0.81 0.59 0.00 0.00 ");
    const RotationPart r45 = RotationMatrix(45);
    EXPECT_NEAR(r45.a, 0.70710678f, 1e-6f);
    EXPECT_NEAR(r45.b, -0.70710678f, 1e-6f);
    EXPECT_NEAR(r45.c, 0.70710678f, 1e-6f);
    EXPECT_EQ(r45.a, r45.d);
    // -270 is not in the table: the formula gives clockwise -270, i.e. the same
    // as the table's 270 up to rounding of the cosine.
    const RotationPart r = RotationMatrix(-270);
    EXPECT_NEAR(r.a, 0.0f, 1e-6f);
    EXPECT_EQ(r.b, -1.0f);
    EXPECT_EQ(r.c, 1.0f);
    EXPECT_NE(r.a, 0.0f);
}

struct MapRow {
    const char* name;
    int32_t rotation;
    float x;
    float y;
    UserPoint expected;
};

TEST(StampGeometryTest, MapToUserSpaceFollowsTheRotation) {
    // View frame 792 x 612 (a 612 x 792 page turned on its side).
    const std::vector<MapRow> rows = {
        {"upright", 0, 10.0f, 20.0f, {10.0f, 20.0f}},
        {"quarter", 90, 10.0f, 20.0f, {612.0f - 20.0f, 10.0f}},
        {"quarter back", -90, 10.0f, 20.0f, {20.0f, 792.0f - 10.0f}},
        {"half", 180, 10.0f, 20.0f, {792.0f - 10.0f, 612.0f - 20.0f}},
        {"half back", -180, 10.0f, 20.0f, {782.0f, 592.0f}},
        {"270 is not normalised here", 270, 10.0f, 20.0f, {10.0f, 20.0f}},
    };
    for (const MapRow& row : rows) {
        const UserPoint p = MapToUserSpace(row.rotation, 792, 612, row.x, row.y);
        EXPECT_EQ(p.x, row.expected.x) << row.name;
        EXPECT_EQ(p.y, row.expected.y) << row.name;
    }
}

TEST(StampGeometryTest, ViewFrameSwapsByTheCallersRule) {
    EXPECT_EQ(MakeViewFrame(Page(612, 792, 90)).width, 792);
    EXPECT_EQ(MakeViewFrame(Page(612, 792, -90)).height, 612);
    EXPECT_EQ(MakeViewFrame(Page(612, 792, 180)).width, 612);
    EXPECT_EQ(MakeViewFrame(Page(612, 792, 270)).width, 612);
    EXPECT_EQ(MakeViewFrame(Page(612, 792, 270), SideTurnRule::AllQuarterTurns).width, 792);
    EXPECT_EQ(MakeViewFrame(Page(612, 792, -270), SideTurnRule::AllQuarterTurns).height, 612);
}

struct TextRow {
    const char* name;
    int slot;
    PageEntry page;
    float width;
    const char* expected;
};

TEST(StampGeometryTest, HeaderFooterTextAnchors) {
    const PageEntry a4 = Page(595, 842, 0);
    const std::vector<TextRow> rows = {
        {"header left", 0, a4, 40.0f, "1.00 0.00 0.00 1.00 28.35 807.51 "},
        // 595 div 2 is 297: the odd width loses its half point.
        {"header centre", 1, a4, 100.0f, "1.00 0.00 0.00 1.00 247.00 807.51 "},
        {"header right", 2, a4, 100.0f, "1.00 0.00 0.00 1.00 466.65 807.51 "},
        {"footer left", 3, a4, 40.0f, "1.00 0.00 0.00 1.00 28.35 28.35 "},
        {"footer centre", 4, a4, 31.5f, "1.00 0.00 0.00 1.00 281.25 28.35 "},
        {"footer right", 5, a4, 0.0f, "1.00 0.00 0.00 1.00 566.65 28.35 "},
        {"slot out of range", 6, a4, 40.0f, "1.00 0.00 0.00 1.00 0.00 0.00 "},
        {"negative slot", -1, a4, 40.0f, "1.00 0.00 0.00 1.00 0.00 0.00 "},
        // Frame 792 x 612: view (28.35, 577.51) lands at (612 - y, x).
        {"quarter turn header left", 0, Page(612, 792, 90), 40.0f, "0.00 1.00 -1.00 0.00 34.49 28.35 "},
        // View (x, y) lands at (y, vw - x).
        {"quarter back footer left", 3, Page(612, 792, -90), 40.0f, "0.00 -1.00 1.00 0.00 28.35 763.65 "},
        {"half turn footer right", 5, Page(595, 842, 180), 100.0f, "-1.00 0.00 0.00 -1.00 128.35 813.65 "},
        {"half turn header left", 0, Page(595, 842, 180), 100.0f, "-1.00 0.00 0.00 -1.00 566.65 34.49 "},
    };
    for (const TextRow& row : rows) {
        const PlacementMatrix m = PlaceHeaderFooterTextWidth(row.slot, row.page, kTenMm, kSize105, row.width);
        EXPECT_EQ(MatrixOperands(m), row.expected) << row.name;
    }
}

TEST(StampGeometryTest, HeaderBaselineIsFloatArithmetic) {
    const PlacementMatrix m = PlaceHeaderFooterTextWidth(1, Page(595, 842, 0), kTenMm, kSize105, 100.0f);
    EXPECT_EQ(m.e, 247.0f);
    const float t = 10.0f * 2.8346457f;
    EXPECT_EQ(m.f, 842.0f - t - kSize105 * 0.585f);
}

struct BoxRow {
    const char* name;
    int position;
    bool followMargins;
    const char* expected;
};

TEST(StampGeometryTest, PlaceBoxNinePositionsOnA4) {
    const PageEntry a4 = Page(595, 842, 0);
    const std::vector<BoxRow> rows = {
        {"top left", 0, true, "1.00 0.00 0.00 1.00 28.35 763.65 "},
        {"top centre", 1, true, "1.00 0.00 0.00 1.00 247.50 763.65 "},
        {"top right", 2, true, "1.00 0.00 0.00 1.00 466.65 763.65 "},
        {"middle left", 3, true, "1.00 0.00 0.00 1.00 28.35 396.00 "},
        {"centre", 4, true, "1.00 0.00 0.00 1.00 247.50 396.00 "},
        {"middle right", 5, true, "1.00 0.00 0.00 1.00 466.65 396.00 "},
        {"bottom left", 6, true, "1.00 0.00 0.00 1.00 28.35 28.35 "},
        {"bottom centre", 7, true, "1.00 0.00 0.00 1.00 247.50 28.35 "},
        {"bottom right", 8, true, "1.00 0.00 0.00 1.00 466.65 28.35 "},
        {"top left, no margins", 0, false, "1.00 0.00 0.00 1.00 0.00 792.00 "},
        {"top centre, no margins", 1, false, "1.00 0.00 0.00 1.00 247.50 792.00 "},
        {"top right, no margins", 2, false, "1.00 0.00 0.00 1.00 495.00 792.00 "},
        {"middle left, no margins", 3, false, "1.00 0.00 0.00 1.00 0.00 396.00 "},
        {"centre, no margins", 4, false, "1.00 0.00 0.00 1.00 247.50 396.00 "},
        {"middle right, no margins", 5, false, "1.00 0.00 0.00 1.00 495.00 396.00 "},
        {"bottom left, no margins", 6, false, "1.00 0.00 0.00 1.00 0.00 0.00 "},
        {"bottom centre, no margins", 7, false, "1.00 0.00 0.00 1.00 247.50 0.00 "},
        {"bottom right, no margins", 8, false, "1.00 0.00 0.00 1.00 495.00 0.00 "},
        {"position 9 is centred", 9, true, "1.00 0.00 0.00 1.00 247.50 396.00 "},
        {"negative position is centred", -3, false, "1.00 0.00 0.00 1.00 247.50 396.00 "},
    };
    for (const BoxRow& row : rows) {
        const PlacementMatrix m = PlaceBox(row.position, a4, 100.0f, 50.0f, row.followMargins, kTenMm);
        EXPECT_EQ(MatrixOperands(m), row.expected) << row.name;
    }
}

struct RotatedBoxRow {
    const char* name;
    PageEntry page;
    int position;
    const char* expected;
};

TEST(StampGeometryTest, PlaceBoxOnRotatedPages) {
    const std::vector<RotatedBoxRow> rows = {
        // Frame 792 x 612; corner (692, 0) goes to (612 - 0, 692).
        {"quarter turn bottom right", Page(612, 792, 90), 8, "0.00 1.00 -1.00 0.00 612.00 692.00 "},
        {"quarter turn top left", Page(612, 792, 90), 0, "0.00 1.00 -1.00 0.00 50.00 0.00 "},
        // Corner (692, 0) goes to (0, 792 - 692).
        {"quarter back bottom right", Page(612, 792, -90), 8, "0.00 -1.00 1.00 0.00 0.00 100.00 "},
        {"quarter back top left", Page(612, 792, -90), 0, "0.00 -1.00 1.00 0.00 562.00 792.00 "},
        // Corner (495, 0) goes to (595 - 495, 842 - 0).
        {"half turn bottom right", Page(595, 842, 180), 8, "-1.00 0.00 0.00 -1.00 100.00 842.00 "},
        {"half turn top left", Page(595, 842, 180), 0, "-1.00 0.00 0.00 -1.00 595.00 50.00 "},
        {"half turn back centre", Page(595, 842, -180), 4, "-1.00 0.00 0.00 -1.00 347.50 446.00 "},
    };
    for (const RotatedBoxRow& row : rows) {
        const PlacementMatrix m = PlaceBox(row.position, row.page, 100.0f, 50.0f, false, kTenMm);
        EXPECT_EQ(MatrixOperands(m), row.expected) << row.name;
    }
}

}  // namespace
}  // namespace sgry
