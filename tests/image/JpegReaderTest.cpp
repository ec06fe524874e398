#include <gtest/gtest.h>

#include "ImageFixtures.h"
#include "image/JpegReader.h"

namespace sgry {
namespace {

using test::MakeJpeg;
using test::TempFolder;

TEST(JpegReaderTest, FindsTheFrameHeaderOfEveryKind) {
    TempFolder dir;
    const struct {
        const char* name;
        int components;
        bool progressive;
    } rows[] = {{"baseline rgb", 3, false},
                {"progressive rgb", 3, true},
                {"greyscale", 1, false},
                {"cmyk", 4, false},
                {"progressive cmyk", 4, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string bytes = MakeJpeg(7, 5, row.components, row.progressive);
        JpegReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("a.jpg", bytes)));
        EXPECT_EQ(reader.Error(), 0);
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

// libjpeg accepts both files, but the frame scan finds no header it knows:
// an extended sequential frame (0xFFC1), and an APP0 length of zero that must not loop.
TEST(JpegReaderTest, ScanFindsNoFrameInUnknownOrLoopingSegments) {
    TempFolder dir;
    std::string extended = MakeJpeg(4, 4, 3, false);
    extended[extended.find("\xFF\xC0") + 1] = '\xC1';
    std::string zeroLength = MakeJpeg(4, 4, 3, false);
    ASSERT_EQ(zeroLength.substr(2, 2), "\xFF\xE0");
    zeroLength[4] = zeroLength[5] = 0;
    for (const std::string& bytes : {extended, zeroLength}) {
        JpegReader reader;
        reader.Open(dir.Write("odd.jpg", bytes));
        bool cmyk = false;
        EXPECT_FALSE(reader.IsCmyk(cmyk));
        EXPECT_EQ(reader.FrameComponents(), 0);
    }
}

TEST(JpegReaderTest, RefusedFilesReportTheirCodes) {
    TempFolder dir;
    for (const std::string& bytes : {std::string(), std::string("\x89PNG\r\n\x1a\nnot a jpeg at all"),
                                     MakeJpeg(4, 4, 3, false).substr(0, 40)}) {
        JpegReader reader;
        EXPECT_FALSE(reader.Open(dir.Write("bad.jpg", bytes)));
        EXPECT_EQ(reader.Error(), JpegReader::kBadHeader) << bytes.size();
    }
    JpegReader missing;
    EXPECT_FALSE(missing.Open(dir.File("none.jpg")));
    EXPECT_EQ(missing.Error(), JpegReader::kCannotOpen);
}

TEST(JpegReaderTest, ErrorTexts) {
    const char* texts[] = {"エラーは発生していません", "JPEGファイルではありません",
                           "ファイルが開けません",     "メモリが足りません",
                           "読み込みエラー",           "オブジェクト生成エラー"};
    for (int code = 0; code < 6; ++code) EXPECT_EQ(JpegReader::ErrorText(code), texts[code]);
    EXPECT_EQ(JpegReader::ErrorText(9), "未定義のエラー(9)");
}

}  // namespace
}  // namespace sgry
