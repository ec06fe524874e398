// Image headers that claim sizes their files cannot hold: each reader refuses
// them with its error code, without taking memory out of proportion to the
// file, and a large but genuine image still reads.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "ImageFixtures.h"
#include "image/BmpReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "support/Sanitized.h"

namespace sgry {
namespace {

using namespace test;

// Opens the PNG in a child whose address space is limited to 512 MB (not
// under the sanitizers, which reserve far more) and returns its error code.
int PngErrorWithLimitedMemory(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        if (!kSanitized) {
            const rlimit limit{512u << 20, 512u << 20};
            setrlimit(RLIMIT_AS, &limit);
        }
        PngReader reader;
        reader.Open(path);
        _exit(reader.Error());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// IHDR of the given size, and one IDAT holding a single compressed row.
std::string PngClaiming(uint32_t width, uint32_t height) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.rows = {std::string(static_cast<size_t>(width) * 3, '\x40')};
    return MakePng(layout);
}

TEST(ImageBoundsTest, PngClaimingMoreRowsThanItCouldHoldIsRefusedBeforeAllocating) {
    TempFolder folder;
    PngReader reader;
    EXPECT_FALSE(reader.Open(folder.Write("huge.png", PngClaiming(100000, 100000))));
    EXPECT_EQ(reader.Error(), PngReader::kOutOfMemory);  // 30 GB of rows: over the decoding cap
    // 18000 x 18000 RGB is 972 MB of rows, under the cap; a few hundred bytes of data could never fill them.
    const std::string path = folder.Write("claims.png", PngClaiming(18000, 18000));
    EXPECT_EQ(PngErrorWithLimitedMemory(path), PngReader::kLibraryError);
    PngReader claims;
    EXPECT_FALSE(claims.Open(path));
    EXPECT_EQ(claims.ErrorText(claims.Error()), "Not enough image data");
}

TEST(ImageBoundsTest, HighlyCompressedGenuinePngStillReads) {
    // 4000 x 1000 of one colour packs about a thousand to one.
    PngLayout layout;
    layout.width = 4000;
    layout.height = 1000;
    layout.rows.assign(1000, std::string(4000 * 3, '\0'));
    TempFolder folder;
    const std::string bytes = MakePng(layout);
    ASSERT_LT(bytes.size() * 800, 4000u * 3u * 1000u)
        << "the fixture is not compressed enough to test the bound";
    PngReader reader;
    ASSERT_TRUE(reader.Open(folder.Write("flat.png", bytes))) << reader.ErrorText(reader.Error());
    EXPECT_EQ(reader.PixelBytes(), 4000u * 1000u * 3u);
}

TEST(ImageBoundsTest, BmpClaimingHundredThousandSquaredPixelsIsDamaged) {
    struct Row {
        const char* name;
        uint16_t bits;
        bool os2;
        int32_t width, height;
    };
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
        layout.palette.assign(row.bits == 8 ? 256 : 0, Rgb{1, 2, 3});
        std::string bytes = MakeBmp(layout);
        // Patch the header's size fields; the file keeps its one pixel.
        std::string sizes;
        (row.os2 ? PutLe16 : PutLe32)(sizes, static_cast<uint32_t>(row.width));
        (row.os2 ? PutLe16 : PutLe32)(sizes, static_cast<uint32_t>(row.height));
        bytes.replace(14 + 4, sizes.size(), sizes);
        BmpReader reader;
        EXPECT_FALSE(reader.Open(folder.Write("huge.bmp", bytes)));
        EXPECT_EQ(reader.Error(), BmpReader::kDamaged);
        EXPECT_EQ(reader.PixelBytes(), 0u);
    }
}

TEST(ImageBoundsTest, JpegClaimingHugeFrameIsNeverDecoded) {
    // The frame header says 65000 x 65000; the reader keeps the file's own
    // bytes only, whatever the frame claims.
    std::string bytes = MakeJpeg(8, 8, 3, false);
    const size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    bytes[sof + 5] = static_cast<char>(0xFD);  // height 65000 = 0xFDE8
    bytes[sof + 6] = static_cast<char>(0xE8);
    bytes[sof + 7] = static_cast<char>(0xFD);
    bytes[sof + 8] = static_cast<char>(0xE8);
    TempFolder folder;
    JpegReader reader;
    ASSERT_TRUE(reader.Open(folder.Write("huge.jpg", bytes))) << reader.Error();
    EXPECT_EQ(reader.Width(), 65000);
    EXPECT_EQ(reader.Height(), 65000);
    EXPECT_EQ(reader.FileBytes(), bytes.size());
}

}  // namespace
}  // namespace sgry
