// The image readers on files the tests make: bitmaps of every row width and
// order with their colour tables, PNGs of every colour type decoded to RGB,
// JPEG frame headers of every kind and the markers their walk passes over;
// refusals with their codes and libpng's message; headers that claim sizes
// their files cannot hold, refused without taking memory out of proportion to
// the file; what ImageMagick writes; and JPEGs of every kind in a stamp.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ImageFixtures.h"
#include "app/BatchRun.h"
#include "image/BmpReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "platform/CodeNumber.h"
#include "platform/Format.h"
#include "support/RecordingPrompts.h"
#include "support/Sanitized.h"
#include "tests/engine/TestPdf.h"

namespace sgry {
namespace {

using test::BmpLayout;
using test::Bytes;
using test::MakeBmp;
using test::MakeJpeg;
using test::MakePng;
using test::PngLayout;
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
    const struct { const char* name; std::string bytes; BmpReader::Code code; } rows[] = {
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
    const struct { const char* options; BmpReader::Code code; } rows[] = {
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
        if (row.code != BmpReader::kNoError) continue;
        EXPECT_EQ(reader.Width(), 5);
        EXPECT_EQ(reader.Height(), 3);
        EXPECT_EQ(ReadAll(reader), expected);
    }
}

TEST(BmpReaderTest, BmpClaimingHundredThousandSquaredPixelsIsDamaged) {
    struct Row { const char* name; uint16_t bits; bool os2; int32_t width, height; };
    const Row rows[] = {
        {"24-bit Windows", 24, false, 100000, 100000},
        {"8-bit Windows", 8, false, 100000, 100000},
        {"top-down", 24, false, 100000, -100000},
        {"OS/2 65535 square", 24, true, 65535, 65535},
    };
    TempFolder folder;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BmpLayout layout;
        layout.bitsPerPixel = row.bits;
        layout.os2 = row.os2;
        layout.width = 1;
        layout.height = 1;
        layout.palette.assign(row.bits == 8 ? 256 : 0, test::Rgb{1, 2, 3});
        std::string bytes = MakeBmp(layout);
        // Patch the header's size fields; the file keeps its one pixel.
        std::string sizes;
        (row.os2 ? test::PutLe16 : test::PutLe32)(sizes, static_cast<uint32_t>(row.width));
        (row.os2 ? test::PutLe16 : test::PutLe32)(sizes, static_cast<uint32_t>(row.height));
        bytes.replace(14 + 4, sizes.size(), sizes);
        BmpReader reader;
        EXPECT_FALSE(reader.Open(folder.Write("huge.bmp", bytes)));
        EXPECT_EQ(reader.Error(), BmpReader::kDamaged);
        EXPECT_EQ(reader.PixelBytes(), 0u);
    }
}

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
    const struct { const char* name; PngLayout layout; std::vector<uint8_t> pixels; } rows[] = {
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
    EXPECT_EQ(jpeg.ErrorText(PngReader::kNotPng), "Not a PNG file");

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
        const std::string text = reader.ErrorText(PngReader::kLibraryError);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find("Unknown error"), std::string::npos);
        EXPECT_EQ(reader.Width(), 0);
        EXPECT_TRUE(reader.Pixels().empty());
    }
    const std::string flat = MakePng(Layout(16, 8, 2, std::vector<std::string>(16, std::string(48, 'x'))));
    PngReader truncated;
    EXPECT_FALSE(truncated.Open(dir.Write("cut.png", flat.substr(0, flat.size() - 30))));
    EXPECT_EQ(truncated.Error(), PngReader::kLibraryError);
    EXPECT_EQ(truncated.ErrorText(PngReader::kLibraryError), "Read Error");
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

// Opens the PNG in a child whose address space is limited to 512 MB (not
// under the sanitizers, which reserve far more) and returns the number of its
// error code (the child's exit status).
int PngErrorWithLimitedMemory(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        if (!test::kSanitized) {
            const rlimit limit{512u << 20, 512u << 20};
            setrlimit(RLIMIT_AS, &limit);
        }
        PngReader reader;
        reader.Open(path);
        _exit(CodeNumber(reader.Error()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// IHDR of the given size, and one IDAT holding a single compressed row.
std::string PngClaiming(uint32_t width, uint32_t height) {
    PngLayout layout = Layout(width, 8, 2, {std::string(static_cast<size_t>(width) * 3, '\x40')});
    layout.height = height;
    return MakePng(layout);
}

TEST(PngReaderTest, PngClaimingMoreRowsThanItCouldHoldIsRefusedBeforeAllocating) {
    TempFolder folder;
    PngReader reader;
    EXPECT_FALSE(reader.Open(folder.Write("huge.png", PngClaiming(100000, 100000))));
    EXPECT_EQ(reader.Error(), PngReader::kOutOfMemory);  // 30 GB of rows: over the decoding cap
    // 18000 x 18000 RGB is 972 MB of rows, under the cap; a few hundred bytes of data could never fill them.
    const std::string path = folder.Write("claims.png", PngClaiming(18000, 18000));
    EXPECT_EQ(PngErrorWithLimitedMemory(path), CodeNumber(PngReader::kLibraryError));
    PngReader claims;
    EXPECT_FALSE(claims.Open(path));
    EXPECT_EQ(claims.ErrorText(claims.Error()), "Not enough image data");
}

TEST(PngReaderTest, HighlyCompressedGenuinePngStillReads) {
    // 4000 x 1000 of one colour packs about a thousand to one.
    TempFolder folder;
    const std::string bytes = MakePng(Layout(4000, 8, 2, std::vector<std::string>(1000, std::string(4000 * 3, '\0'))));
    ASSERT_LT(bytes.size() * 800, 4000u * 3u * 1000u)
        << "the fixture is not compressed enough to test the bound";
    PngReader reader;
    ASSERT_TRUE(reader.Open(folder.Write("flat.png", bytes))) << reader.ErrorText(reader.Error());
    EXPECT_EQ(reader.PixelBytes(), 4000u * 1000u * 3u);
}

// Fill bytes, markers without a segment, stray bytes and stuffed zeros before
// the frame header are passed over, as decoders pass them.
TEST(JpegReaderTest, FindsTheFrameHeaderOfEveryKind) {
    TempFolder dir;
    const struct { const char* name; int components; bool progressive; std::string before; } rows[] = {
        {"baseline rgb", 3, false, ""}, {"progressive rgb", 3, true, ""}, {"greyscale", 1, false, ""},
        {"cmyk", 4, false, ""},         {"progressive cmyk", 4, true, ""},
        {"after fill and odd bytes", 4, true, Bytes({0xFF, 0xFF, 0xD0, 0xFF, 0x01, 'x', 0xFF, 0x00, 0xFF})}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string bytes = MakeJpeg(7, 5, row.components, row.progressive);
        bytes.insert(bytes.find(row.progressive ? "\xFF\xC2" : "\xFF\xC0"), row.before);
        JpegReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("a.jpg", bytes)));
        EXPECT_EQ(reader.Error(), JpegReader::kNoError);
        EXPECT_EQ(reader.Width(), 7);
        EXPECT_EQ(reader.Height(), 5);
        bool cmyk = row.components != 4;
        EXPECT_TRUE(reader.IsCmyk(cmyk));
        EXPECT_EQ(cmyk, row.components == 4);
        EXPECT_EQ(reader.FrameComponents(), row.components);
        ASSERT_EQ(reader.FileBytes(), bytes.size());
        std::string copy(bytes.size(), '\0');
        reader.CopyBytes(reinterpret_cast<uint8_t*>(copy.data()));
        EXPECT_EQ(copy, bytes);
        EXPECT_EQ(reader.Bytes(), bytes);
    }
}

// An extended sequential frame (0xFFC1) is read, for its size, but the image
// is embedded from baseline and progressive frames only.
TEST(JpegReaderTest, ExtendedFrameIsReadButNotEmbedded) {
    TempFolder dir;
    std::string extended = MakeJpeg(4, 3, 3, false);
    extended[extended.find("\xFF\xC0") + 1] = '\xC1';
    JpegReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("odd.jpg", extended)));
    EXPECT_EQ(reader.Width(), 4);
    EXPECT_EQ(reader.Height(), 3);
    bool cmyk = false;
    EXPECT_FALSE(reader.IsCmyk(cmyk));
    EXPECT_EQ(reader.FrameComponents(), 0);
}

// Whatever the damage, the walk stays inside the file and ends; only 12-bit
// samples have a code of their own.
TEST(JpegReaderTest, RefusedFilesReportTheirCodes) {
    const std::string good = MakeJpeg(4, 4, 3, false);
    // SOF0: length 17, precision, height, width, 3 components of 3 bytes.
    // SOS: length 12, 3 components of 2 bytes, 3 bytes of selection.
    const std::size_t sof = good.find("\xFF\xC0"), sos = good.find("\xFF\xDA");
    const auto with = [&](std::size_t at, const std::string& bytes) {
        return std::string(good).replace(at, bytes.size(), bytes);
    };
    const auto inserted = [&](std::size_t at, const std::string& bytes) {
        return std::string(good).insert(at, bytes);
    };
    const struct { const char* name; std::string bytes; JpegReader::Code code; } rows[] = {
        {"empty", "", JpegReader::kBadHeader},
        {"png", "\x89PNG\r\n\x1a\nnot a jpeg at all", JpegReader::kBadHeader},
        {"fill before the start", "\xFF" + good, JpegReader::kBadHeader},
        {"cut in the tables", good.substr(0, 40), JpegReader::kBadHeader},
        {"cut in the frame header", good.substr(0, sof + 12), JpegReader::kBadHeader},
        {"cut before the scan", good.substr(0, sos + 3), JpegReader::kBadHeader},
        {"segment length zero", with(4, Bytes({0, 0})), JpegReader::kBadHeader},
        {"segment past the end", with(4, "\xFF\xFF"), JpegReader::kBadHeader},
        {"second start of image", inserted(sof, "\xFF\xD8"), JpegReader::kBadHeader},
        {"end of image before the scan", inserted(sof, "\xFF\xD9"), JpegReader::kBadHeader},
        {"reserved marker", inserted(sof, Bytes({0xFF, 0xF0, 0, 2})), JpegReader::kBadHeader},
        {"scan before the frame", inserted(sof, good.substr(sos, 14)), JpegReader::kBadHeader},
        {"second frame", inserted(sos, good.substr(sof, 19)), JpegReader::kBadHeader},
        {"lossless frame", with(sof + 1, "\xC3"), JpegReader::kBadHeader},
        {"hierarchical frame", with(sof + 1, "\xC5"), JpegReader::kBadHeader},
        {"frame length", with(sof + 3, "\x12"), JpegReader::kBadHeader},
        {"zero width", with(sof + 7, Bytes({0, 0})), JpegReader::kBadHeader},
        {"width over 65500", with(sof + 7, "\xFF\xFF"), JpegReader::kBadHeader},
        {"sampling factor 5", with(sof + 11, "\x51"), JpegReader::kBadHeader},
        {"scan of an unknown component", with(sos + 5, "\x09"), JpegReader::kBadHeader},
        {"16-bit", with(sof + 4, "\x10"), JpegReader::kBadHeader},
        {"12-bit", with(sof + 4, "\x0C"), JpegReader::kTwelveBit},
        {"conditioning index 32", inserted(sof, Bytes({0xFF, 0xCC, 0, 4, 0x20, 0x21})), JpegReader::kBadHeader},
        {"DC conditioning lower above upper", inserted(sof, Bytes({0xFF, 0xCC, 0, 4, 0x00, 0x23})),
         JpegReader::kBadHeader},
    };
    TempFolder dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        JpegReader reader;
        EXPECT_FALSE(reader.Open(dir.Write("bad.jpg", row.bytes)));
        EXPECT_EQ(reader.Error(), row.code);
        EXPECT_EQ(reader.Width(), 0);
        EXPECT_EQ(reader.FrameComponents(), 0);
    }
    // Arithmetic conditioning that decoders take: a DC pair with its lower
    // bound (the low four bits) not above its upper one.
    JpegReader conditioned;
    EXPECT_TRUE(conditioned.Open(dir.Write("dac.jpg", inserted(sof, Bytes({0xFF, 0xCC, 0, 4, 0x01, 0x21})))));
    JpegReader missing;
    EXPECT_FALSE(missing.Open(dir.File("none.jpg")));
    EXPECT_EQ(missing.Error(), JpegReader::kCannotOpen);
}

TEST(JpegReaderTest, ErrorTexts) {
    const char* texts[] = {"No error",
                           "Not a JPEG file",
                           "Cannot open the file",
                           "Not enough memory",
                           "Read error",
                           "Could not create the image object",
                           "12-bit JPEG files are not supported"};
    // The texts by the numbers shown, and one number no reader sets.
    for (int code = 0; code < 7; ++code) EXPECT_EQ(JpegReader::ErrorText(JpegReader::Code{code}), texts[code]);
    EXPECT_EQ(JpegReader::ErrorText(JpegReader::Code{9}), "Unknown error (9)");
}

TEST(JpegReaderTest, JpegClaimingHugeFrameIsNeverDecoded) {
    // The frame header says 65000 x 65000; the reader keeps the file's own
    // bytes only, whatever the frame claims.
    std::string bytes = MakeJpeg(8, 8, 3, false);
    const size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    bytes.replace(sof + 5, 4, "\xFD\xE8\xFD\xE8");  // height and width 65000 = 0xFDE8
    TempFolder folder;
    JpegReader reader;
    ASSERT_TRUE(reader.Open(folder.Write("huge.jpg", bytes))) << CodeNumber(reader.Error());
    EXPECT_EQ(reader.Width(), 65000);
    EXPECT_EQ(reader.Height(), 65000);
    EXPECT_EQ(reader.FileBytes(), bytes.size());
}

// A stamp with the image as a run makes it: the image check passes, and the
// file itself is the stream, in its frame's colour space and without /Decode
// (an Adobe CMYK file as any other). A 12-bit file fails the image check.
TEST(JpegStampTest, ProgressiveAndCmykAreEmbeddedTwelveBitIsRefused) {
    TempFolder dir;
    MessageIcon icon = MessageIcon::None;
    const struct { int components; bool progressive; const char* colourSpace; } rows[] = {
        {3, true, "/DeviceRGB"}, {4, false, "/DeviceCMYK"}, {4, true, "/DeviceCMYK"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.colourSpace) + (row.progressive ? " progressive" : ""));
        const std::string bytes = MakeJpeg(7, 5, row.components, row.progressive);
        StampSettings stamp;
        stamp.ImageFileName = dir.Write("logo.jpg", bytes);
        EXPECT_EQ(ImageCheckMessage(stamp.ImageFileName, icon), "");
        const std::string pdf =
            dir.Write("a.pdf", test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"}));
        test::RecordingPrompts prompts;
        ASSERT_TRUE(StampFile(pdf, stamp, AppSettings(), prompts, SystemLocalTime).Written())
            << testing::PrintToString(prompts.Texts());
        const std::string output = test::ScratchDir::Read(dir.File("_a.pdf"));
        EXPECT_NE(output.find(Format("/Filter/DCTDecode/Width 7/Height 5/BitsPerComponent 8/ColorSpace%s"
                                     "/Type/XObject/Subtype/Image>>stream\r\n",
                                     row.colourSpace) +
                              bytes),
                  std::string::npos);
        EXPECT_EQ(output.find("/Decode"), std::string::npos);
    }
    std::string twelveBit = MakeJpeg(7, 5, 3, false);
    twelveBit.replace(twelveBit.find("\xFF\xC0") + 1, 4, Bytes({0xC1, 0, 17, 12}));  // extended sequential, 12-bit
    const std::string image = dir.Write("deep.jpg", twelveBit);
    EXPECT_EQ(ImageCheckMessage(image, icon),
              Format(batch_message::kImageReadFailed, image, "12-bit JPEG files are not supported"));
}

}  // namespace
}  // namespace sgry
