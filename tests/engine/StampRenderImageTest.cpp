// The image watermark on pages drawn by Ghostscript and Cairo, judged by
// pdftoppm: a PNG, a JPEG and an 8-bit bitmap at the bottom-right position
// without margins, fully opaque, must appear one point per pixel in the
// page's bottom-right corner, multiplied onto what the page shows there,
// and nowhere beside it.
//
// The corner is rendered at 360 dpi, five device pixels per point: at one
// device pixel per image pixel pdftoppm smooths images bilinearly (a
// 33-pixel-wide palette gradient comes out up to 200 levels off, drawn by a
// PDF written by hand just the same), while from more than four device
// pixels per image pixel on it samples the nearest pixel, so every device
// pixel must carry its image pixel exactly.
#include <gtest/gtest.h>

#include <functional>

#include "tests/engine/StampRenderSupport.h"
#include "tests/image/ImageFixtures.h"

namespace sgry {
namespace {

using test::Pixel;
using test::Producer;
using test::ScratchDir;

constexpr int kPageWidth = 595;
constexpr int kPageHeight = 842;
constexpr int kBorder = 6;  // points beside the image that must stay as they were
constexpr int kDpi = 360;
constexpr int kScale = kDpi / 72;  // device pixels per point

// An image file the test writes, and the colour each of its pixels must have.
struct ImageCase {
    const char* name;
    const char* fileName;
    int width;
    int height;
    int tolerance;  // levels a pixel may differ from the multiplied colour
    std::function<std::string()> bytes;
    std::function<Pixel(int x, int y)> colour;  // x, y from the image's top left
};

Pixel PngColour(int x, int y) {
    return {static_cast<uint8_t>(60 + 4 * x), static_cast<uint8_t>(40 + 6 * y),
            static_cast<uint8_t>(200 - 3 * x - 2 * y)};
}

std::string PngFile() {
    test::PngLayout png;
    png.width = 40;
    png.height = 30;
    for (int y = 0; y < 30; ++y) {
        std::string row;
        for (int x = 0; x < 40; ++x)
            for (uint8_t c : PngColour(x, y)) row += static_cast<char>(c);
        png.rows.push_back(row);
    }
    return test::MakePng(png);
}

Pixel PaletteColour(int index) {
    return {static_cast<uint8_t>(index), static_cast<uint8_t>(255 - index),
            static_cast<uint8_t>((index * 7) & 0xFF)};
}
int BmpIndex(int x, int y) { return (x * 5 + y * 11) % 256; }

// 33 pixels wide, so every stored row carries padding.
std::string BmpFile() {
    test::BmpLayout bmp;
    bmp.width = 33;
    bmp.height = 21;
    bmp.bitsPerPixel = 8;
    for (int i = 0; i < 256; ++i) bmp.palette.push_back(PaletteColour(i));
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 33; ++x) bmp.pixels.push_back(static_cast<uint8_t>(BmpIndex(x, y)));
    return test::MakeBmp(bmp);
}

// MakeJpeg fills every pixel with red 40, green 90, blue 140.
const ImageCase kCases[] = {
    {"Png", "mark.png", 40, 30, 1, PngFile, PngColour},
    {"Jpeg", "mark.jpg", 24, 16, 2, [] { return test::MakeJpeg(24, 16, 3, false); },
     [](int, int) {
         return Pixel{40, 90, 140};
     }},
    {"Bmp8", "mark.bmp", 33, 21, 1, BmpFile, [](int x, int y) { return PaletteColour(BmpIndex(x, y)); }},
};

class StampRenderImageTest : public ::testing::TestWithParam<std::tuple<Producer, ImageCase>> {
protected:
    void SetUp() override {
        for (const char* tool : {"pdftoppm", "qpdf"})
            if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
        // A light grey box under the lower part of the corner, so that the
        // image is multiplied onto white above and onto grey below.
        const test::SourcePage page{kPageWidth, kPageHeight, test::GreyBox{kPageWidth - 60, 0, 60, 10, 80}};
        const Producer producer = std::get<0>(GetParam());
        if (!test::ProducerAvailable(producer)) GTEST_SKIP() << test::ProducerName(producer) << " missing";
        source = test::WriteSource(producer, dir.File("page.pdf"), {page});
        ASSERT_FALSE(source.empty()) << test::ProducerName(producer) << " wrote no file";
    }

    ScratchDir dir{"e2e-image"};
    std::string source;
};

TEST_P(StampRenderImageTest, ImageIsMultipliedOntoTheBottomRightCornerPointForPixel) {
    const ImageCase& image = std::get<1>(GetParam());
    StampSettings stamp;
    stamp.ImageFileName = dir.File(image.fileName);
    ScratchDir::Write(stamp.ImageFileName, image.bytes());
    stamp.ImagePosition = StampPosition::BottomRight;
    stamp.ImageMargin = false;
    stamp.ImageDensity = 100;
    stamp.Margin = {12.0f, 8.0f, 15.0f, 5.0f};  // ignored: the image does not keep the margins

    const test::StampRun run = test::StampCopy(source, stamp);
    ASSERT_TRUE(run.ok) << (run.messages.empty() ? "" : run.messages[0]);
    EXPECT_TRUE(run.messages.empty()) << run.messages[0];
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(run.output, &report)) << report;

    // The corner of the page, with room for kBorder points left of and above the image.
    const int windowWidth = (image.width + kBorder) * kScale;
    const int windowHeight = (image.height + kBorder) * kScale;
    const test::PixelBox corner{kPageWidth * kScale - windowWidth, kPageHeight * kScale - windowHeight,
                                kPageWidth * kScale, kPageHeight * kScale};
    const test::Raster before = test::RenderPage(dir, source, 1, kDpi, corner);
    const test::Raster after = test::RenderPage(dir, run.output, 1, kDpi, corner);
    ASSERT_EQ(before.width, windowWidth);
    ASSERT_EQ(before.height, windowHeight);
    ASSERT_EQ(after.width, windowWidth);
    ASSERT_EQ(after.height, windowHeight);
    // The grey box really is under part of the image.
    ASSERT_LT(before.At(windowWidth - 1, windowHeight - 1)[0], 230);
    ASSERT_EQ(before.At(kBorder * kScale, kBorder * kScale)[0], 255);

    int wrong = 0;
    for (int y = 0; y < windowHeight; ++y)
        for (int x = 0; x < windowWidth; ++x) {
            const int imageX = x / kScale - kBorder;  // the image pixel under this device pixel
            const int imageY = y / kScale - kBorder;
            const Pixel page = before.At(x, y);
            Pixel expected = page;
            int tolerance = 0;
            if (imageX >= 0 && imageY >= 0) {
                const Pixel ink = image.colour(imageX, imageY);
                for (std::size_t c = 0; c < 3; ++c)
                    expected[c] = static_cast<uint8_t>((page[c] * ink[c] + 127) / 255);
                tolerance = image.tolerance;
            }
            const Pixel seen = after.At(x, y);
            if (test::Difference(seen, expected) > tolerance && ++wrong <= 5)
                ADD_FAILURE() << "device pixel " << x << "," << y << " (image pixel " << imageX << ","
                              << imageY << "): " << int(seen[0]) << " " << int(seen[1]) << " " << int(seen[2])
                              << ", expected " << int(expected[0]) << " " << int(expected[1]) << " "
                              << int(expected[2]);
        }
    EXPECT_EQ(wrong, 0);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Producer, ImageCase>>& info) {
    return std::string(test::ProducerName(std::get<0>(info.param))) + "_" + std::get<1>(info.param).name;
}

void PrintTo(const ImageCase& image, std::ostream* out) { *out << image.fileName; }

INSTANTIATE_TEST_SUITE_P(StampRender, StampRenderImageTest,
                         ::testing::Combine(::testing::Values(Producer::Ghostscript, Producer::Cairo),
                                            ::testing::ValuesIn(kCases)),
                         CaseName);

}  // namespace
}  // namespace sgry
