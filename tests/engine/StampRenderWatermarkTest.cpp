// The text watermark in its three styles and layouts, and the band, on
// pages drawn by Ghostscript and Cairo: pdftoppm renders the source and the
// stamped copy at 36 dpi and the pixels that changed must lie where the
// stamp belongs and nowhere else; pdftotext must find the words; qpdf must
// find no fault.
#include <gtest/gtest.h>

#include <regex>

#include "platform/SjisText.h"
#include "tests/engine/StampRenderSupport.h"

namespace sgry {
namespace {

using test::PixelBox;
using test::Producer;
using test::Raster;
using test::ScratchDir;
using test::SourcePage;

constexpr int kDpi = 36;
constexpr int kSlack = 2;  // pixels an edge may stray (anti-aliasing, rounding to the grid)
const SourcePage kPortrait{595, 842, {}};
const SourcePage kLandscape{842, 595, {}};

constexpr int32_t kRed = 0x0000FF;  // 0x00BBGGRR
constexpr int32_t kBlue = 0xFF0000;

int WordId(const char* utf8Label) {
    const std::string label = sjis::FromUtf8(utf8Label).value();
    for (const WatermarkWord& word : WatermarkWordTable)
        if (label == word.Label) return word.Id;
    ADD_FAILURE() << "no preset " << utf8Label;
    return 0;
}

// Pixels of a square of `side` points centred on (x, y) points from the bottom left of a page `height` high.
PixelBox Around(double x, double y, double side, double height) {
    return test::PointsToPixels(x - side / 2, y - side / 2, side, side, height, kDpi);
}

class StampRenderWatermarkTest : public ::testing::TestWithParam<Producer> {
protected:
    void SetUp() override {
        for (const char* tool : {"pdftoppm", "pdftotext", "qpdf"})
            if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
        if (!test::ProducerAvailable(GetParam()))
            GTEST_SKIP() << test::ProducerName(GetParam()) << " missing";
    }

    // Writes the pages with the parameter's producer and stamps them; false when either did not work.
    bool Stamp(const std::vector<SourcePage>& pages) {
        source = test::WriteSource(GetParam(), dir.File("doc.pdf"), pages);
        EXPECT_FALSE(source.empty()) << test::ProducerName(GetParam()) << " wrote no file";
        if (source.empty()) return false;
        run = test::StampCopy(source, stamp);
        EXPECT_TRUE(run.ok) << (run.messages.empty() ? "" : run.messages[0]);
        EXPECT_TRUE(run.messages.empty()) << run.messages[0];
        std::string report;
        EXPECT_TRUE(test::QpdfCheckClean(run.output, &report)) << report;
        return run.ok;
    }
    // Page `page` (1-based) of the source and of the stamped copy.
    std::pair<Raster, Raster> Render(int page) {
        std::pair<Raster, Raster> both{test::RenderPage(dir, source, page, kDpi),
                                       test::RenderPage(dir, run.output, page, kDpi)};
        EXPECT_FALSE(both.first.Empty());
        EXPECT_EQ(both.first.width, both.second.width);
        EXPECT_EQ(both.first.height, both.second.height);
        return both;
    }
    // The page's text in the order the content draws it, without white
    // space: pdftotext puts every letter of a word along the diagonal on a
    // line of its own.
    std::string Text(int page) const {
        std::string text;
        test::RunShell("pdftotext -q -raw -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                           test::Quoted(run.output) + " - 2>/dev/null",
                       &text);
        std::erase_if(text, [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\f'; });
        return text;
    }

    ScratchDir dir{"e2e-watermark"};
    StampSettings stamp;
    std::string source;
    test::StampRun run;
};

// The rotated word covers the rising diagonal (lower left to upper right)
// around the centre and leaves the other diagonal and the corners alone.
void ExpectDiagonalOnly(const Raster& before, const Raster& after, double width, double height) {
    for (double along : {0.3, 0.5, 0.7}) {
        SCOPED_TRACE("rising diagonal at " + std::to_string(along));
        EXPECT_GT(test::ChangedCount(before, after, Around(width * along, height * along, 40, height)), 5);
    }
    for (double along : {0.2, 0.8}) {
        SCOPED_TRACE("falling diagonal at " + std::to_string(along));
        EXPECT_EQ(test::ChangedCount(before, after, Around(width * along, height * (1 - along), 40, height)),
                  0);
    }
    for (double x : {30.0, width - 30}) {
        for (double y : {30.0, height - 30}) {
            SCOPED_TRACE("corner " + std::to_string(x) + "," + std::to_string(y));
            EXPECT_EQ(test::ChangedCount(before, after, Around(x, y, 60, height)), 0);
        }
    }
}

TEST_P(StampRenderWatermarkTest, DiagonalPlainWordTintsTheMiddleAndLeavesTheCornersAlone) {
    stamp.WaterMarkType = WordId("CONFIDENTIAL");
    stamp.WaterMarkPosition = StampPosition::Center;
    stamp.WawterMarkDiagonal = true;
    stamp.WaterMarkDensity = 30;
    stamp.WaterMarkColor = kRed;
    stamp.WaterMarkFont = "Helvetica";
    ASSERT_TRUE(Stamp({kPortrait, kPortrait}));
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const auto [before, after] = Render(page);
        ExpectDiagonalOnly(before, after, 595, 842);
        // Red at 30 % over white: the red channel stays, green and blue fall to about 70 %.
        const PixelBox middle = Around(297.5, 421, 120, 842);
        int tinted = 0;
        for (int y = middle.top; y < middle.bottom; ++y)
            for (int x = middle.left; x < middle.right; ++x) {
                const test::Pixel p = after.At(x, y);
                if (p[0] > 240 && p[1] < 200 && p[2] < 200 && std::abs(p[1] - p[2]) < 8) ++tinted;
            }
        EXPECT_GT(tinted, 20);
        EXPECT_NE(Text(page).find("CONFIDENTIAL"), std::string::npos) << Text(page);
    }
}

// Top-left position, keeping margins of 12 mm (top) and 15 mm (left): the
// word is laid out a sixth of the page wide, its frame touching the margins.
TEST_P(StampRenderWatermarkTest, FramedJapaneseWordSitsInTheTopLeftCornerOfTheMargins) {
    stamp.WaterMarkType = WordId("社外秘");
    stamp.WaterMarkFont = "HeiseiKakuGo-W5";
    stamp.WaterMarkPosition = StampPosition::TopLeft;
    stamp.WaterMarkMargin = true;
    stamp.Margin = {12.0f, 8.0f, 15.0f, 5.0f};
    stamp.WaterMarkDensity = 60;
    stamp.WaterMarkColor = kBlue;
    ASSERT_TRUE(Stamp({kPortrait}));
    const auto [before, after] = Render(1);
    const PixelBox changed = test::ChangedBox(before, after);
    const double top = 12 * 72 / 25.4;
    const double left = 15 * 72 / 25.4;
    const double width = 595.0 / 6;
    const double height = (changed.bottom - changed.top) * 72.0 / kDpi;
    EXPECT_GT(height, width * 0.3);
    EXPECT_LT(height, width * 0.7);
    test::ExpectBoxNear(changed, test::PointsToPixels(left, 842 - top - height, width, height, 842, kDpi),
                        kSlack);
    // The frame runs along all four sides: the middle of each side is drawn,
    // and so is the word inside, while the band between frame and word is not.
    const double midX = left + width / 2;
    const double midY = 842 - top - height / 2;
    EXPECT_GT(test::ChangedCount(before, after, Around(left + 1, midY, 3, 842)), 0);
    EXPECT_GT(test::ChangedCount(before, after, Around(left + width - 1, midY, 3, 842)), 0);
    EXPECT_GT(test::ChangedCount(before, after, Around(midX, 842 - top - 1, 3, 842)), 0);
    EXPECT_GT(test::ChangedCount(before, after, Around(midX, 842 - top - height + 1, 3, 842)), 0);
    EXPECT_GT(test::ChangedCount(before, after, Around(midX, midY, 14, 842)), 0);
    EXPECT_NE(Text(1).find("社外秘"), std::string::npos) << Text(1);
}

// Bottom-right position without margins: the circle's square is a sixth of
// the page wide and ends on the page corner.
TEST_P(StampRenderWatermarkTest, CircledCharacterFillsTheBottomRightSquareWithoutMargins) {
    stamp.WaterMarkType = WordId("マル秘");
    stamp.WaterMarkFont = "HeiseiMin-W3";
    stamp.WaterMarkPosition = StampPosition::BottomRight;
    stamp.WaterMarkMargin = false;
    stamp.WaterMarkDensity = 50;
    stamp.WaterMarkColor = kRed;
    ASSERT_TRUE(Stamp({kPortrait}));
    const auto [before, after] = Render(1);
    const double side = 595.0 / 6;
    test::ExpectBoxNear(test::ChangedBox(before, after),
                        test::PointsToPixels(595 - side, 0, side, side, 842, kDpi), kSlack);
    // A circle: its four extreme points and the character in its centre are
    // drawn, the corners of its square are not.
    const double cx = 595 - side / 2;
    const double cy = side / 2;
    for (const auto& [x, y] : {std::pair{cx - side / 2 + 1, cy},
                               {cx + side / 2 - 1, cy},
                               {cx, cy + side / 2 - 1},
                               {cx, cy - side / 2 + 1}}) {
        SCOPED_TRACE("ring at " + std::to_string(x) + "," + std::to_string(y));
        EXPECT_GT(test::ChangedCount(before, after, Around(x, y, 3, 842)), 0);
    }
    EXPECT_GT(test::ChangedCount(before, after, Around(cx, cy, 20, 842)), 5);
    for (const auto& [x, y] : {std::pair{cx - side / 2 + 6, cy - side / 2 + 6},
                               {cx + side / 2 - 6, cy - side / 2 + 6},
                               {cx - side / 2 + 6, cy + side / 2 - 6},
                               {cx + side / 2 - 6, cy + side / 2 - 6}}) {
        SCOPED_TRACE("square corner at " + std::to_string(x) + "," + std::to_string(y));
        EXPECT_EQ(test::ChangedCount(before, after, Around(x, y, 8, 842)), 0);
    }
    EXPECT_NE(Text(1).find("秘"), std::string::npos) << Text(1);
}

// The band at height 50 is a tenth of the page high, centred, and spans
// the page from edge to edge.
void ExpectBandAcross(const Raster& before, const Raster& after, double width, double height) {
    const double bar = height * 0.1;
    const PixelBox expected = test::PointsToPixels(0, height / 2 - bar / 2, width, bar, height, kDpi);
    const PixelBox row{0, (expected.top + expected.bottom) / 2, after.width,
                       (expected.top + expected.bottom) / 2 + 1};
    EXPECT_EQ(test::ChangedCount(before, after, row), after.width);
    // The edge strips hold nothing but the bar.
    const int strip = after.width / 25;
    for (const PixelBox& edge :
         {PixelBox{0, 0, strip, after.height}, PixelBox{after.width - strip, 0, after.width, after.height}}) {
        const PixelBox changed = test::ChangedBox(before, after, 8, edge);
        EXPECT_NEAR(changed.top, expected.top, kSlack) << test::Describe(changed);
        EXPECT_NEAR(changed.bottom, expected.bottom, kSlack) << test::Describe(changed);
    }
}

TEST_P(StampRenderWatermarkTest, BandAtHalfHeightCrossesTheWholeWidth) {
    stamp.bWmNeed = true;
    stamp.bWmYPos = 50;
    stamp.bWmText = "SIGILRY BAND";
    stamp.bWmIsRepeat = true;
    stamp.bWmDensity = 40;
    ASSERT_TRUE(Stamp({kPortrait, kPortrait}));
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const auto [before, after] = Render(page);
        ExpectBandAcross(before, after, 595, 842);
        test::ExpectBoxNear(test::ChangedBox(before, after),
                            test::PointsToPixels(0, 421 - 42.1, 595, 84.2, 842, kDpi), kSlack);
        EXPECT_NE(Text(page).find("SIGILRYBAND"), std::string::npos) << Text(page);
    }
}

// Portrait, landscape, portrait: the watermark and the band each get one
// form per size (their /BBox is twice the page width wide), and every page
// draws the forms of its own size where its own layout puts them.
TEST_P(StampRenderWatermarkTest, PagesOfTwoSizesGetAFormEachAndDrawTheirOwn) {
    stamp.WaterMarkType = WordId("CONFIDENTIAL");
    stamp.WaterMarkPosition = StampPosition::Center;
    stamp.WawterMarkDiagonal = true;
    stamp.WaterMarkMargin = false;
    stamp.WaterMarkColor = kRed;
    stamp.bWmNeed = true;
    stamp.bWmText = "SIGILRY BAND";
    ASSERT_TRUE(Stamp({kPortrait, kLandscape, kPortrait}));

    std::vector<std::string> widths;
    const std::regex bbox(R"(/BBox\s*\[\s*-100\s+-100\s+([0-9.]+)\s)");
    for (std::sregex_iterator it(run.update.begin(), run.update.end(), bbox), end; it != end; ++it)
        widths.push_back(std::to_string(std::lround(std::stod((*it)[1].str()))));
    std::sort(widths.begin(), widths.end());
    EXPECT_EQ(widths, (std::vector<std::string>{"1190", "1190", "1684", "1684"}));

    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const double width = page == 2 ? 842 : 595;
        const double height = page == 2 ? 595 : 842;
        const auto [before, after] = Render(page);
        ASSERT_EQ(after.width, static_cast<int>(std::lround(width * kDpi / 72)));
        ExpectBandAcross(before, after, width, height);
        ExpectDiagonalOnly(before, after, width, height);
        EXPECT_NE(Text(page).find("CONFIDENTIAL"), std::string::npos) << Text(page);
        EXPECT_NE(Text(page).find("SIGILRYBAND"), std::string::npos) << Text(page);
    }
}

INSTANTIATE_TEST_SUITE_P(StampRender, StampRenderWatermarkTest,
                         ::testing::Values(Producer::Ghostscript, Producer::Cairo), test::ProducerParamName);

}  // namespace
}  // namespace sgry
