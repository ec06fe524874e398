#include <gtest/gtest.h>

#include "ImageFixtures.h"
#include "image/PngReader.h"

namespace sgry {
namespace {

using test::Bytes;
using test::MakePng;
using test::PngLayout;
using test::TempFolder;

std::vector<uint8_t> V(std::initializer_list<int> values) {
    return std::vector<uint8_t>(values.begin(), values.end());
}

PngLayout Layout(uint32_t width, uint8_t bitDepth, uint8_t colourType, std::vector<std::string> rows) {
    PngLayout layout;
    layout.width = width;
    layout.height = static_cast<uint32_t>(rows.size());
    layout.bitDepth = bitDepth;
    layout.colourType = colourType;
    layout.rows = std::move(rows);
    return layout;
}

TEST(PngReaderTest, EveryKindDecodesToRgb) {
    PngLayout palette = Layout(3, 8, 3, {Bytes({2, 0, 1})});
    palette.plte = Bytes({10, 20, 30, 40, 50, 60, 70, 80, 90});
    PngLayout transparentPalette = Layout(2, 8, 3, {Bytes({0, 1})});
    transparentPalette.plte = Bytes({10, 20, 30, 40, 50, 60});
    transparentPalette.trns = Bytes({0});  // entry 0 fully transparent
    transparentPalette.bkgd = Bytes({1});  // on the background entry 1
    const struct {
        const char* name;
        PngLayout layout;
        std::vector<uint8_t> pixels;
    } rows[] = {
        {"8-bit rgb unchanged", Layout(2, 8, 2, {Bytes({1, 2, 3, 4, 5, 6}), Bytes({7, 8, 9, 250, 251, 252})}),
         V({1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252})},
        {"16-bit rgb keeps the high bytes",
         Layout(2, 16, 2, {Bytes({0x12, 0xFF, 0x34, 0x01, 0x56, 0x80, 0xAB, 0x7F, 0xCD, 0x00, 0xEF, 0xFF})}),
         V({0x12, 0x34, 0x56, 0xAB, 0xCD, 0xEF})},
        {"palette", palette, V({70, 80, 90, 10, 20, 30, 40, 50, 60})},
        {"1-bit grey", Layout(3, 1, 0, {Bytes({0b10100000}), Bytes({0b01000000})}),
         V({255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0})},
        {"grey with alpha dropped", Layout(2, 8, 4, {Bytes({90, 0, 200, 255})}),
         V({90, 90, 90, 200, 200, 200})},
        {"rgba without background drops alpha", Layout(2, 8, 6, {Bytes({200, 100, 50, 0, 10, 20, 30, 128})}),
         V({200, 100, 50, 10, 20, 30})},
        {"palette transparency on its background", transparentPalette, V({40, 50, 60, 40, 50, 60})},
    };
    TempFolder dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PngReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("t.png", MakePng(row.layout)))) << reader.ErrorText(reader.Error());
        EXPECT_EQ(reader.Width(), static_cast<int>(row.layout.width));
        EXPECT_EQ(reader.Height(), static_cast<int>(row.layout.height));
        EXPECT_EQ(reader.PixelBytes(), row.pixels.size());
        EXPECT_EQ(reader.Pixels(), row.pixels);
        EXPECT_EQ(reader.HasBackground(), !row.layout.bkgd.empty());
    }
}

TEST(PngReaderTest, RgbaWithBackgroundIsComposedOntoIt) {
    TempFolder dir;
    PngLayout layout = Layout(3, 8, 6, {Bytes({200, 100, 50, 0, 10, 20, 30, 255, 200, 0, 100, 128})});
    layout.bkgd = Bytes({0, 0, 0, 255, 0, 0});  // 16-bit red 0, green 255, blue 0
    PngReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("bkgd.png", MakePng(layout)))) << reader.ErrorText(reader.Error());
    ASSERT_TRUE(reader.HasBackground());
    EXPECT_EQ(reader.Background().green, 255);
    const std::vector<uint8_t>& p = reader.Pixels();
    ASSERT_EQ(p.size(), 9u);
    // Transparent: the background. Opaque: the pixel. Half: in between.
    EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 6), V({0, 255, 0, 10, 20, 30}));
    EXPECT_NEAR(p[6], 100, 2);
    EXPECT_NEAR(p[7], 127, 2);
    EXPECT_NEAR(p[8], 50, 2);
}

TEST(PngReaderTest, RefusedFilesReportTheirCodesAndLibpngsMessage) {
    TempFolder dir;
    PngReader missing;
    EXPECT_FALSE(missing.Open(dir.File("none.png")));
    EXPECT_EQ(missing.Error(), PngReader::kCannotOpen);
    PngReader jpeg;
    EXPECT_FALSE(jpeg.Open(dir.Write("photo.png", test::MakeJpeg(4, 4, 3, false))));
    EXPECT_EQ(jpeg.Error(), PngReader::kNotPng);
    EXPECT_EQ(jpeg.ErrorText(3), "PNGファイルではありません");

    PngLayout big = Layout(64, 8, 2, {});
    big.height = 64;
    for (uint32_t y = 0; y < big.height; ++y) {
        std::string row;
        for (uint32_t x = 0; x < big.width * 3; ++x) row += static_cast<char>((x * 7 + y * 13) & 0xFF);
        big.rows.push_back(row);
    }
    const std::string whole = MakePng(big);
    std::string badCrc = whole;
    badCrc[29] ^= 0x01;  // last byte of the IHDR CRC
    for (const std::string& bytes : {whole.substr(0, whole.size() / 2), whole.substr(0, 20), badCrc}) {
        SCOPED_TRACE(bytes.size());
        PngReader reader;
        EXPECT_FALSE(reader.Open(dir.Write("cut.png", bytes)));
        EXPECT_EQ(reader.Error(), PngReader::kLibraryError);
        const std::string text = reader.ErrorText(6);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find("未定義"), std::string::npos);
        EXPECT_EQ(reader.Width(), 0);
        EXPECT_TRUE(reader.Pixels().empty());
    }
    const std::string flat = MakePng(Layout(16, 8, 2, std::vector<std::string>(16, std::string(48, 'x'))));
    PngReader truncated;
    EXPECT_FALSE(truncated.Open(dir.Write("cut.png", flat.substr(0, flat.size() - 30))));
    EXPECT_EQ(truncated.Error(), 6);
    EXPECT_EQ(truncated.ErrorText(6), "Read Error");
}

// ImageMagick's PNG (with its own chunks, such as gAMA and cHRM) decodes to the PPM it was made from.
TEST(PngReaderTest, ReadsWhatImageMagickWrites) {
    if (!test::ToolExists("convert")) GTEST_SKIP() << "convert is not installed";
    TempFolder dir;
    std::vector<uint8_t> expected;
    for (int i = 0; i < 24; ++i) expected.push_back(static_cast<uint8_t>(i * 10));
    const std::string source =
        dir.Write("src.ppm", "P6\n4 2\n255\n" + std::string(expected.begin(), expected.end()));
    const std::string out = dir.File("im.png");
    ASSERT_EQ(std::system(("convert " + source + " PNG24:" + out).c_str()), 0);
    PngReader reader;
    ASSERT_TRUE(reader.Open(out)) << reader.ErrorText(reader.Error());
    EXPECT_EQ(reader.Pixels(), expected);
}

}  // namespace
}  // namespace sgry
