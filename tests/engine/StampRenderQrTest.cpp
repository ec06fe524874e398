// The QR code at each corner of pages drawn by Ghostscript and Cairo (a
// portrait, a landscape and a portrait page): pdftoppm renders at 300 dpi
// only the square where the code belongs, inside page margins that differ on
// every side, and zbarimg must read the message there on every page.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/StampRenderSupport.h"
#include "tests/support/SymbolImages.h"

namespace sgry {
namespace {

using test::Producer;
using test::ScratchDir;
using test::SourcePage;

constexpr int kDpi = 300;
constexpr double kSlack = 4;  // points around the code's box that the rendered square also takes in
const std::vector<SourcePage> kPages = {{595, 842, {}}, {842, 595, {}}, {595, 842, {}}};
const std::array<float, kMarginCount> kMarginsMm = {12.0f, 8.0f, 15.0f, 5.0f};  // top, bottom, left, right

double Points(float millimetres) { return millimetres * 72.0 / 25.4; }

// Modules per side (quiet zone included) of the QR form in the update: its
// box is ten units per module.
int ModulesPerSide(const std::string& update) {
    const std::string key = "/BBox[0 0 ";
    const std::size_t at = update.find(key);
    return at == std::string::npos
               ? 0
               : static_cast<int>(std::lround(std::stod(update.substr(at + key.size())) / 10));
}

class StampRenderQrTest : public ::testing::TestWithParam<std::tuple<Producer, StampPosition>> {
protected:
    void SetUp() override {
        for (const char* tool : {"pdftoppm", "zbarimg", "qpdf"})
            if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
        const Producer producer = std::get<0>(GetParam());
        if (!test::ProducerAvailable(producer)) GTEST_SKIP() << test::ProducerName(producer) << " missing";
        source = test::WriteSource(producer, dir.File("doc.pdf"), kPages);
        ASSERT_FALSE(source.empty()) << test::ProducerName(producer) << " wrote no file";
    }

    ScratchDir dir{"e2e-qr"};
    std::string source;
};

TEST_P(StampRenderQrTest, EveryPageCarriesAReadableCodeInItsCorner) {
    const StampPosition position = std::get<1>(GetParam());
    StampSettings stamp;
    stamp.QRIsValid = true;
    stamp.QRString = "Sigilry corner " + std::to_string(static_cast<int>(position)) + " / 2024-000123";
    stamp.QRPosition = position;
    stamp.QRMarginValid = true;
    stamp.Margin = kMarginsMm;
    const test::StampRun run = test::StampCopy(source, stamp);
    ASSERT_TRUE(run.ok) << (run.messages.empty() ? "" : run.messages[0]);
    EXPECT_TRUE(run.messages.empty()) << run.messages[0];
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(run.output, &report)) << report;

    const int modules = ModulesPerSide(run.update);
    ASSERT_GE(modules, 21 + 8);
    const double side = modules * 0.79387;
    const bool left = position == StampPosition::TopLeft || position == StampPosition::BottomLeft;
    const bool top = position == StampPosition::TopLeft || position == StampPosition::TopRight;
    std::vector<std::filesystem::path> squares;
    for (std::size_t page = 0; page < kPages.size(); ++page) {
        const double width = kPages[page].width;
        const double height = kPages[page].height;
        const double x =
            left ? Points(kMarginsMm[kMarginLeft]) : width - Points(kMarginsMm[kMarginRight]) - side;
        const double y =
            top ? height - Points(kMarginsMm[kMarginTop]) - side : Points(kMarginsMm[kMarginBottom]);
        const test::PixelBox square =
            test::PointsToPixels(x - kSlack, y - kSlack, side + 2 * kSlack, side + 2 * kSlack, height, kDpi);
        const std::string file =
            test::RenderPageFile(dir, run.output, static_cast<int>(page) + 1, kDpi, square, /*grey=*/true);
        ASSERT_FALSE(file.empty()) << "page " << page + 1;
        squares.push_back(file);
    }
    const std::vector<std::string> decoded = test::ZbarDecodeEach(squares);
    ASSERT_EQ(decoded.size(), kPages.size());
    for (std::size_t page = 0; page < decoded.size(); ++page)
        EXPECT_EQ(decoded[page], stamp.QRString) << "page " << page + 1;
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Producer, StampPosition>>& info) {
    static const char* const kNames[] = {"TopLeft", "",           "TopRight", "",           "",
                                         "",        "BottomLeft", "",         "BottomRight"};
    return std::string(test::ProducerName(std::get<0>(info.param))) + "_" +
           kNames[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(StampRender, StampRenderQrTest,
                         ::testing::Combine(::testing::Values(Producer::Ghostscript, Producer::Cairo),
                                            ::testing::Values(StampPosition::TopLeft, StampPosition::TopRight,
                                                              StampPosition::BottomLeft,
                                                              StampPosition::BottomRight)),
                         CaseName);

}  // namespace
}  // namespace sgry
