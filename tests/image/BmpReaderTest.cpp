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

std::array<int, 3> Entry(BmpReader& reader, int32_t index) {
    uint8_t r = 0, g = 0, b = 0;
    EXPECT_TRUE(reader.PaletteEntry(index, r, g, b)) << index;
    return {r, g, b};
}

// Rows of every width remainder come top row first, red-green-blue, without padding.
TEST(BmpReaderTest, RowsOfEveryWidthAndOrderAreUnpadded) {
    TempFolder dir;
    for (bool topDown : {false, true}) {
        for (int bits : {8, 24}) {
            for (int width = 1; width <= 8; ++width) {
                SCOPED_TRACE(testing::Message()
                             << bits << " bits, width " << width << ", top-down " << topDown);
                BmpLayout layout;
                layout.width = width;
                layout.height = 3;
                layout.topDown = topDown;
                layout.bitsPerPixel = static_cast<uint16_t>(bits);
                if (bits == 8) layout.palette.assign(256, test::Rgb{});
                layout.pixels = Sequence(static_cast<std::size_t>(width * 3 * bits / 8), 3);
                BmpReader reader;
                ASSERT_TRUE(reader.Open(dir.Write("w.bmp", MakeBmp(layout))));
                EXPECT_EQ(reader.Width(), width);
                EXPECT_EQ(reader.Height(), 3);
                EXPECT_EQ(reader.BitsPerPixel(), bits);
                EXPECT_EQ(reader.PixelBytes(), layout.pixels.size());
                EXPECT_EQ(ReadAll(reader), layout.pixels);
            }
        }
    }
}

TEST(BmpReaderTest, AllTwoHundredFiftySixEntriesAreReadWhateverTheHeaderDeclares) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 2;
    layout.bitsPerPixel = 8;
    layout.coloursUsed = 16;
    for (int i = 0; i < 16; ++i) layout.palette.push_back({uint8_t(i), uint8_t(i * 2), uint8_t(i * 3)});
    // What follows the real table is read as entry 16 (blue, green, red, reserved).
    layout.afterPalette = test::Bytes({0x30, 0x20, 0x10, 0x00});
    layout.pixels = {0, 15};
    BmpReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("p.bmp", MakeBmp(layout))));
    EXPECT_EQ(Entry(reader, 15), (std::array<int, 3>{15, 30, 45}));
    EXPECT_EQ(Entry(reader, 16), (std::array<int, 3>{0x10, 0x20, 0x30}));
    Entry(reader, 255);
    uint8_t r = 0, g = 0, b = 0;
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
    EXPECT_EQ(Entry(reader, 200), (std::array<int, 3>{55, 200, 7}));
    EXPECT_EQ(ReadAll(reader), layout.pixels);
}

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
    const std::string good = withBits(24);
    std::string zeroWidth = good;
    zeroWidth[18] = 0;
    const struct {
        const char* name;
        std::string bytes;
        int code;
    } rows[] = {
        {"png named bmp", "\x89PNG\r\n\x1a\n0000000000000000000000", BmpReader::kNotBitmap},
        {"empty", "", BmpReader::kNotBitmap},
        {"bitmap array", "BA" + good.substr(2), BmpReader::kNotBitmap},
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
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BmpReader reader;
        EXPECT_FALSE(reader.Open(dir.Write("x.bmp", row.bytes)));
        EXPECT_EQ(reader.Error(), row.code);
        std::vector<uint8_t> pixels;
        EXPECT_FALSE(reader.ReadPixels(pixels));
    }
    BmpReader missing;
    EXPECT_FALSE(missing.Open(dir.File("missing.bmp")));
    EXPECT_EQ(missing.Error(), BmpReader::kCannotOpen);
}

// Bitmaps written by ImageMagick must read back as the PPM they were made from.
TEST(BmpReaderTest, ReadsWhatImageMagickWrites) {
    if (!test::ToolExists("convert")) GTEST_SKIP() << "convert is not installed";
    TempFolder dir;
    const std::vector<uint8_t> expected = Sequence(45, 7);
    const std::string source =
        dir.Write("src.ppm", "P6\n5 3\n255\n" + std::string(expected.begin(), expected.end()));
    const struct {
        const char* options;
        int code;
    } rows[] = {
        {"-type TrueColor BMP3:", BmpReader::kNoError},
        {"-type TrueColor BMP2:", BmpReader::kNoError},
        {"-type Palette -compress RLE BMP3:", BmpReader::kCompressed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options);
        const std::string out = dir.File("im.bmp");
        ASSERT_EQ(std::system(("convert " + source + " " + row.options + out + " 2>/dev/null").c_str()), 0);
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
