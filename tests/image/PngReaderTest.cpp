#include <gtest/gtest.h>

#include "ImageFixtures.h"
#include "image/PngReader.h"

namespace sgry {
namespace {

using test::Bytes;
using test::MakePng;
using test::PngLayout;
using test::TempFolder;

std::vector<uint8_t> Decode(const TempFolder& dir, const PngLayout& layout) {
    PngReader reader;
    EXPECT_TRUE(reader.Open(dir.Write("t.png", MakePng(layout)))) << reader.ErrorText(reader.Error());
    EXPECT_EQ(reader.Width(), static_cast<int>(layout.width));
    EXPECT_EQ(reader.Height(), static_cast<int>(layout.height));
    EXPECT_EQ(reader.PixelBytes(), static_cast<std::size_t>(layout.width * layout.height * 3));
    return reader.Pixels();
}

std::vector<uint8_t> V(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

TEST(PngReaderTest, EightBitRgbIsUnchanged) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.rows = {Bytes({1, 2, 3, 4, 5, 6}), Bytes({7, 8, 9, 250, 251, 252})};
    EXPECT_EQ(Decode(dir, layout), V({1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252}));
}

TEST(PngReaderTest, SixteenBitRgbKeepsTheHighBytes) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 2;
    layout.bitDepth = 16;
    layout.rows = {Bytes({0x12, 0xFF, 0x34, 0x01, 0x56, 0x80, 0xAB, 0x7F, 0xCD, 0x00, 0xEF, 0xFF})};
    EXPECT_EQ(Decode(dir, layout), V({0x12, 0x34, 0x56, 0xAB, 0xCD, 0xEF}));
}

TEST(PngReaderTest, PaletteImagesBecomeRgb) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 3;
    layout.colourType = 3;
    layout.plte = Bytes({10, 20, 30, 40, 50, 60, 70, 80, 90});
    layout.rows = {Bytes({2, 0, 1})};
    EXPECT_EQ(Decode(dir, layout), V({70, 80, 90, 10, 20, 30, 40, 50, 60}));
}

TEST(PngReaderTest, OneBitGreyBecomesBlackAndWhiteRgb) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.bitDepth = 1;
    layout.colourType = 0;
    layout.rows = {Bytes({0b10100000}), Bytes({0b01000000})};
    EXPECT_EQ(Decode(dir, layout), V({255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0}));
}

TEST(PngReaderTest, GreyWithAlphaBecomesRgbWithAlphaDropped) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 2;
    layout.colourType = 4;
    layout.rows = {Bytes({90, 0, 200, 255})};
    EXPECT_EQ(Decode(dir, layout), V({90, 90, 90, 200, 200, 200}));
}

TEST(PngReaderTest, RgbaWithoutBackgroundDropsAlpha) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 2;
    layout.colourType = 6;
    layout.rows = {Bytes({200, 100, 50, 0, 10, 20, 30, 128})};
    PngReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("rgba.png", MakePng(layout))));
    EXPECT_FALSE(reader.HasBackground());
    EXPECT_EQ(reader.Pixels(), V({200, 100, 50, 10, 20, 30}));
}

TEST(PngReaderTest, RgbaWithBackgroundIsComposedOntoIt) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 3;
    layout.colourType = 6;
    layout.bkgd = Bytes({0, 0, 0, 255, 0, 0});  // 16-bit red 0, green 255, blue 0
    layout.rows = {Bytes({200, 100, 50, 0, 10, 20, 30, 255, 200, 0, 100, 128})};
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

TEST(PngReaderTest, PaletteTransparencyWithBackgroundIsComposed) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 2;
    layout.colourType = 3;
    layout.plte = Bytes({10, 20, 30, 40, 50, 60});
    layout.trns = Bytes({0});        // entry 0 fully transparent
    layout.bkgd = Bytes({1});        // background: entry 1
    layout.rows = {Bytes({0, 1})};
    EXPECT_EQ(Decode(dir, layout), V({40, 50, 60, 40, 50, 60}));
}

TEST(PngReaderTest, RefusedFilesReportTheirCodesAndLibpngsMessage) {
    TempFolder dir;
    PngReader missing;
    EXPECT_FALSE(missing.Open(dir.PathOf("none.png")));
    EXPECT_EQ(missing.Error(), PngReader::kCannotOpen);

    PngReader jpeg;
    EXPECT_FALSE(jpeg.Open(dir.Write("photo.png", test::MakeJpeg(4, 4, 3, false))));
    EXPECT_EQ(jpeg.Error(), PngReader::kNotPng);
    EXPECT_EQ(jpeg.ErrorText(3), "PNGファイルではありません");

    PngLayout big;
    big.width = 64;
    big.height = 64;
    for (uint32_t y = 0; y < big.height; ++y) {
        std::string row;
        for (uint32_t x = 0; x < big.width * 3; ++x) row += static_cast<char>((x * 7 + y * 13) & 0xFF);
        big.rows.push_back(row);
    }
    const std::string whole = MakePng(big);
    struct Row {
        const char* name;
        std::string bytes;
    };
    std::string badCrc = whole;
    badCrc[29] ^= 0x01;  // last byte of the IHDR CRC
    const Row rows[] = {
        {"cut inside the image data", whole.substr(0, whole.size() / 2)},
        {"cut inside the header chunk", whole.substr(0, 20)},
        {"header CRC wrong", badCrc},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PngReader reader;
        EXPECT_FALSE(reader.Open(dir.Write("cut.png", row.bytes)));
        EXPECT_EQ(reader.Error(), PngReader::kLibraryError);
        const std::string text = reader.ErrorText(6);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find("未定義"), std::string::npos);
        EXPECT_EQ(reader.Width(), 0);
        EXPECT_TRUE(reader.Pixels().empty());
    }
}

TEST(PngReaderTest, TruncatedFileGivesLibpngsReadErrorText) {
    TempFolder dir;
    PngLayout layout;
    layout.width = 16;
    layout.height = 16;
    layout.rows.assign(16, std::string(48, 'x'));
    const std::string whole = MakePng(layout);
    PngReader reader;
    EXPECT_FALSE(reader.Open(dir.Write("cut.png", whole.substr(0, whole.size() - 30))));
    EXPECT_EQ(reader.Error(), 6);
    EXPECT_EQ(reader.ErrorText(6), "Read Error");
}

TEST(PngReaderTest, ErrorTexts) {
    PngReader reader;
    EXPECT_EQ(reader.ErrorText(0), "エラーは発生していません");
    EXPECT_EQ(reader.ErrorText(1), "ファイルが開けません");
    EXPECT_EQ(reader.ErrorText(2), "ファイルポインタエラー");
    EXPECT_EQ(reader.ErrorText(4), "PNG情報格納域の生成エラー");
    EXPECT_EQ(reader.ErrorText(5), "メモリ不足");
    EXPECT_EQ(reader.ErrorText(7), "内部エラー(7)");
    EXPECT_EQ(reader.ErrorText(8), "未定義のエラー(8)");
}

// ImageMagick's PNG (with its own chunks, such as gAMA and cHRM) decodes to
// the PPM it was made from.
TEST(PngReaderTest, ReadsWhatImageMagickWrites) {
    if (!test::HaveConvert()) GTEST_SKIP() << "convert is not installed";
    TempFolder dir;
    std::string ppm = "P6\n4 2\n255\n";
    std::vector<uint8_t> expected;
    for (int i = 0; i < 24; ++i) expected.push_back(static_cast<uint8_t>(i * 10));
    ppm.append(expected.begin(), expected.end());
    const std::string source = dir.Write("src.ppm", ppm);
    const std::string out = dir.PathOf("im.png");
    ASSERT_EQ(std::system(("convert " + source + " PNG24:" + out).c_str()), 0);
    PngReader reader;
    ASSERT_TRUE(reader.Open(out)) << reader.ErrorText(reader.Error());
    EXPECT_EQ(reader.Pixels(), expected);
}

}  // namespace
}  // namespace sgry
