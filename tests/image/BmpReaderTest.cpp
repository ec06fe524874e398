#include <gtest/gtest.h>

#include "ImageFixtures.h"
#include "image/BmpReader.h"

namespace sgry {
namespace {

using test::BmpLayout;
using test::MakeBmp;
using test::TempFolder;

std::vector<uint8_t> Sequence(std::size_t count, uint8_t first = 1) {
    std::vector<uint8_t> v(count);
    for (std::size_t i = 0; i < count; ++i) v[i] = static_cast<uint8_t>(first + i);
    return v;
}

std::vector<uint8_t> ReadAll(BmpReader& reader) {
    std::vector<uint8_t> pixels;
    EXPECT_TRUE(reader.ReadPixels(pixels));
    return pixels;
}

TEST(BmpReaderTest, TwentyFourBitRowsComeTopFirstInRedGreenBlueWithoutPadding) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 3;  // 9 bytes per row, 3 bytes of padding
    layout.height = 2;
    layout.pixels = Sequence(18);
    BmpReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("a.bmp", MakeBmp(layout))));
    EXPECT_EQ(reader.Width(), 3);
    EXPECT_EQ(reader.Height(), 2);
    EXPECT_EQ(reader.BitsPerPixel(), 24);
    EXPECT_EQ(reader.PixelBytes(), 18u);
    EXPECT_EQ(ReadAll(reader), layout.pixels);
}

TEST(BmpReaderTest, EightBitRowsOfFivePixelsSkipTheirThreePaddingBytes) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 5;
    layout.height = 3;
    layout.bitsPerPixel = 8;
    layout.palette.assign(256, test::Rgb{0, 0, 0});
    layout.pixels = Sequence(15, 10);
    BmpReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("b.bmp", MakeBmp(layout))));
    EXPECT_EQ(reader.PixelBytes(), 15u);
    EXPECT_EQ(ReadAll(reader), layout.pixels);
}

TEST(BmpReaderTest, WidthsOfEveryRemainderAreUnpadded) {
    TempFolder dir;
    for (int bits : {8, 24}) {
        for (int width = 1; width <= 8; ++width) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
            BmpLayout layout;
            layout.width = width;
            layout.height = 2;
            layout.bitsPerPixel = static_cast<uint16_t>(bits);
            if (bits == 8) layout.palette.assign(256, test::Rgb{});
            layout.pixels = Sequence(static_cast<std::size_t>(width * 2 * bits / 8), 3);
            BmpReader reader;
            ASSERT_TRUE(reader.Open(dir.Write("w.bmp", MakeBmp(layout))));
            EXPECT_EQ(ReadAll(reader), layout.pixels);
        }
    }
}

TEST(BmpReaderTest, AllTwoHundredFiftySixEntriesAreReadWhateverTheHeaderDeclares) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.bitsPerPixel = 8;
    layout.coloursUsed = 16;
    for (int i = 0; i < 16; ++i) layout.palette.push_back({uint8_t(i), uint8_t(i * 2), uint8_t(i * 3)});
    // What follows the real table is read as entry 16 (blue, green, red, reserved).
    layout.afterPalette = test::Bytes({0x30, 0x20, 0x10, 0x00});
    layout.pixels = {0, 15};
    BmpReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("p.bmp", MakeBmp(layout))));
    uint8_t r = 0, g = 0, b = 0;
    ASSERT_TRUE(reader.PaletteEntry(15, r, g, b));
    EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{15, 30, 45}));
    ASSERT_TRUE(reader.PaletteEntry(16, r, g, b));
    EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{0x10, 0x20, 0x30}));
    EXPECT_TRUE(reader.PaletteEntry(255, r, g, b));
    EXPECT_FALSE(reader.PaletteEntry(256, r, g, b));
    EXPECT_FALSE(reader.PaletteEntry(-1, r, g, b));
    EXPECT_EQ(ReadAll(reader), layout.pixels);
}

TEST(BmpReaderTest, Os2FilesHaveThreeByteColourEntriesAndSixteenBitSizes) {
    TempFolder dir;
    BmpLayout layout;
    layout.os2 = true;
    layout.width = 3;
    layout.height = 2;
    layout.bitsPerPixel = 8;
    for (int i = 0; i < 256; ++i) layout.palette.push_back({uint8_t(255 - i), uint8_t(i), 7});
    layout.pixels = {0, 1, 2, 253, 254, 255};
    BmpReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("os2.bmp", MakeBmp(layout))));
    EXPECT_EQ(reader.Width(), 3);
    EXPECT_EQ(reader.Height(), 2);
    uint8_t r = 0, g = 0, b = 0;
    ASSERT_TRUE(reader.PaletteEntry(200, r, g, b));
    EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{55, 200, 7}));
    EXPECT_EQ(ReadAll(reader), layout.pixels);
}

TEST(BmpReaderTest, TopDownFilesAreReadTheRightWayUp) {
    TempFolder dir;
    BmpLayout layout;
    layout.topDown = true;
    layout.width = 2;
    layout.height = 3;
    layout.pixels = Sequence(18);
    BmpReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("td.bmp", MakeBmp(layout))));
    EXPECT_EQ(reader.Height(), 3);
    EXPECT_EQ(reader.PixelBytes(), 18u);
    EXPECT_EQ(ReadAll(reader), layout.pixels);
}

struct RefusalRow {
    const char* name;
    std::string bytes;
    int code;
};

TEST(BmpReaderTest, RefusedFilesReportTheirCodes) {
    TempFolder dir;
    auto withBits = [](uint16_t bits, uint32_t compression = 0) {
        BmpLayout layout;
        layout.width = 4;
        layout.height = 2;
        layout.bitsPerPixel = bits;
        layout.compression = compression;
        layout.pixels.assign(static_cast<std::size_t>(4 * 2 * bits / 8), 0x55);
        return MakeBmp(layout);
    };
    std::string v5Header = withBits(24);
    v5Header[14] = 124;  // BITMAPV5-sized info header
    BmpLayout fine;
    fine.width = 4;
    fine.height = 4;
    fine.pixels.assign(48, 1);
    const std::string good = MakeBmp(fine);
    std::string zeroWidth = good;
    zeroWidth[18] = 0;
    const std::vector<RefusalRow> rows = {
        {"png named bmp", "\x89PNG\r\n\x1a\n0000000000000000000000", BmpReader::kNotBitmap},
        {"empty", "", BmpReader::kNotBitmap},
        {"unknown header size", v5Header, BmpReader::kBadInfoHeader},
        {"rle8", withBits(8, 1), BmpReader::kCompressed},
        {"bit fields", withBits(32, 3), BmpReader::kCompressed},
        {"4 bits", withBits(4), BmpReader::kUnsupportedDepth},
        {"32 bits", withBits(32), BmpReader::kUnsupportedDepth},
        {"1 bit", withBits(1), BmpReader::kUnsupportedDepth},
        {"truncated rows", good.substr(0, good.size() - 5), BmpReader::kDamaged},
        {"truncated header", good.substr(0, 30), BmpReader::kDamaged},
        {"zero width", zeroWidth, BmpReader::kDamaged},
    };
    for (const RefusalRow& row : rows) {
        SCOPED_TRACE(row.name);
        BmpReader reader;
        EXPECT_FALSE(reader.Open(dir.Write("x.bmp", row.bytes)));
        EXPECT_EQ(reader.Error(), row.code);
        std::vector<uint8_t> pixels;
        EXPECT_FALSE(reader.ReadPixels(pixels));
    }
    BmpReader missing;
    EXPECT_FALSE(missing.Open(dir.PathOf("missing.bmp")));
    EXPECT_EQ(missing.Error(), BmpReader::kCannotOpen);
}

// ImageMagick writes the files here, so the reader meets bitmaps it did not
// write itself: the pixels must match the PPM they were made from.
TEST(BmpReaderTest, ReadsWhatImageMagickWrites) {
    if (!test::HaveConvert()) GTEST_SKIP() << "convert is not installed";
    TempFolder dir;
    std::string ppm = "P6\n5 3\n255\n";
    std::vector<uint8_t> expected;
    for (int i = 0; i < 15; ++i)
        for (int c = 0; c < 3; ++c) expected.push_back(static_cast<uint8_t>(i * 16 + c * 5));
    ppm.append(expected.begin(), expected.end());
    const std::string source = dir.Write("src.ppm", ppm);
    struct Row {
        const char* name;
        const char* options;
        int code;
    };
    const Row rows[] = {
        {"windows 24", "-type TrueColor BMP3:", BmpReader::kNoError},
        {"os2 24", "-type TrueColor BMP2:", BmpReader::kNoError},
        {"rle 8", "-type Palette -compress RLE BMP3:", BmpReader::kCompressed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string out = dir.PathOf("im.bmp");
        const std::string command = "convert " + source + " " + row.options + out + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        BmpReader reader;
        reader.Open(out);
        ASSERT_EQ(reader.Error(), row.code);
        if (row.code != 0) continue;
        EXPECT_EQ(reader.Width(), 5);
        EXPECT_EQ(reader.Height(), 3);
        EXPECT_EQ(ReadAll(reader), expected);
    }
}

}  // namespace
}  // namespace sgry
