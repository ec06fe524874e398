#include <gtest/gtest.h>

#include "ImageFixtures.h"
#include "image/JpegReader.h"

namespace sgry {
namespace {

using test::MakeJpeg;
using test::TempFolder;

struct JpegRow {
    const char* name;
    int components;
    bool progressive;
    bool cmyk;
};

TEST(JpegReaderTest, FindsTheFrameHeaderOfEveryKind) {
    TempFolder dir;
    const JpegRow rows[] = {
        {"baseline rgb", 3, false, false},
        {"progressive rgb", 3, true, false},
        {"greyscale", 1, false, false},
        {"cmyk", 4, false, true},
        {"progressive cmyk", 4, true, true},
    };
    for (const JpegRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string bytes = MakeJpeg(7, 5, row.components, row.progressive);
        JpegReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("a.jpg", bytes)));
        EXPECT_EQ(reader.Error(), 0);
        EXPECT_EQ(reader.Width(), 7);
        EXPECT_EQ(reader.Height(), 5);
        bool cmyk = !row.cmyk;
        EXPECT_TRUE(reader.IsCmyk(cmyk));
        EXPECT_EQ(cmyk, row.cmyk);
        EXPECT_EQ(reader.FrameComponents(), row.components);
        ASSERT_EQ(reader.FileBytes(), bytes.size());
        std::string copy(bytes.size(), '\0');
        reader.CopyBytes(reinterpret_cast<uint8_t*>(copy.data()));
        EXPECT_EQ(copy, bytes);
        EXPECT_EQ(reader.Bytes(), bytes);
    }
}

// A frame header the scan does not know (extended sequential, 0xFFC1) is not
// found, although libjpeg accepts the file.
TEST(JpegReaderTest, OtherFrameTypesAreNotFound) {
    TempFolder dir;
    std::string bytes = MakeJpeg(4, 4, 3, false);
    const auto sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    bytes[sof + 1] = '\xC1';
    JpegReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("ext.jpg", bytes)));
    bool cmyk = false;
    EXPECT_FALSE(reader.IsCmyk(cmyk));
    EXPECT_EQ(reader.FrameComponents(), 0);
}

TEST(JpegReaderTest, ScanStopsOnASegmentLengthBelowTwo) {
    TempFolder dir;
    std::string bytes = MakeJpeg(4, 4, 3, false);
    // The first segment after SOI is APP0 (FFE0); a zero length must not loop.
    ASSERT_EQ(bytes.substr(2, 2), "\xFF\xE0");
    bytes[4] = 0;
    bytes[5] = 0;
    JpegReader reader;
    reader.Open(dir.Write("loop.jpg", bytes));
    bool cmyk = false;
    EXPECT_FALSE(reader.IsCmyk(cmyk));
}

TEST(JpegReaderTest, RefusedFilesReportTheirCodes) {
    TempFolder dir;
    const std::string good = MakeJpeg(4, 4, 3, false);
    struct Row {
        const char* name;
        std::string bytes;
        int code;
    };
    const Row rows[] = {
        {"empty", "", JpegReader::kBadHeader},
        {"png", "\x89PNG\r\n\x1a\nnot a jpeg at all", JpegReader::kBadHeader},
        {"cut inside the header", good.substr(0, 40), JpegReader::kBadHeader},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        JpegReader reader;
        EXPECT_FALSE(reader.Open(dir.Write("bad.jpg", row.bytes)));
        EXPECT_EQ(reader.Error(), row.code);
    }
    JpegReader missing;
    EXPECT_FALSE(missing.Open(dir.PathOf("none.jpg")));
    EXPECT_EQ(missing.Error(), JpegReader::kCannotOpen);
}

TEST(JpegReaderTest, ErrorTexts) {
    EXPECT_EQ(JpegReader::ErrorText(0), "エラーは発生していません");
    EXPECT_EQ(JpegReader::ErrorText(1), "JPEGファイルではありません");
    EXPECT_EQ(JpegReader::ErrorText(2), "ファイルが開けません");
    EXPECT_EQ(JpegReader::ErrorText(3), "メモリが足りません");
    EXPECT_EQ(JpegReader::ErrorText(4), "読み込みエラー");
    EXPECT_EQ(JpegReader::ErrorText(5), "オブジェクト生成エラー");
    EXPECT_EQ(JpegReader::ErrorText(9), "未定義のエラー(9)");
}

}  // namespace
}  // namespace sgry
