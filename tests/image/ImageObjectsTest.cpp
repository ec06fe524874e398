#include <gtest/gtest.h>
#include <zlib.h>

#include "ImageFixtures.h"
#include "image/ImageObjects.h"
#include "image/ImageXObject.h"
#include "image/PngReader.h"
#include "platform/Format.h"
#include "support/MemoryObjectWriter.h"
#include "support/OnePageTestPdf.h"

namespace sgry {
namespace {

using test::BmpLayout;
using test::MakeBmp;
using test::MemoryObjectWriter;
using test::TempFolder;

std::string Inflate(std::string_view data, std::size_t expectedSize) {
    std::string out(expectedSize + 16, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                         reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size())),
              Z_OK);
    out.resize(size);
    return out;
}

// The stream bytes of the object whose header starts at `offset`.
std::string StreamOf(const std::string& bytes, int64_t offset) {
    const std::size_t begin = bytes.find("stream\r\n", static_cast<std::size_t>(offset)) + 8;
    return bytes.substr(begin, bytes.find("\nendstream\r\nendobj\r\n", begin) - begin);
}

// An image object of packed 8-bit rows as the writer lays it out; `filter` is "" or "/Filter/FlateDecode".
std::string RowImageObject(int number, int width, int height, const std::string& colourSpace,
                           const std::string& filter, const std::string& stream) {
    return Format(
               "%d 0 obj\r\n<</Type/XObject/Subtype/Image\r\n/Width %d\r\n/Height %d\r\n/BitsPerComponent "
               "8\r\n"
               "/ColorSpace %s\r\n%s/Length %ld\r\n>>\r\nstream\r\n",
               number, width, height, colourSpace.c_str(), filter.c_str(), stream.size()) +
           stream + "\nendstream\r\nendobj\r\n";
}

TEST(ImageGraphicsStateTest, DensityBecomesBothOpacities) {
    for (const auto& [density, opacity] : std::vector<std::pair<int, std::string>>{
             {50, "0.50"}, {100, "1.00"}, {0, "0.00"}, {33, "0.33"}, {7, "0.07"}}) {
        SCOPED_TRACE(density);
        MemoryObjectWriter writer(12, "%PDF");
        const ImageObjectRef ref = WriteImageGraphicsState(writer, density);
        EXPECT_EQ(ref.number, 12);
        EXPECT_EQ(ref.generation, 0);
        EXPECT_EQ(writer.bytes(), "%PDF12 0 obj<</Type/ExtGState/ca " + opacity + "/CA " + opacity +
                                      "/BM/Multiply/AIS false>>\r\nendobj\r\n");
        ASSERT_EQ(writer.entries().size(), 1u);
        EXPECT_EQ(writer.entries()[0].kind, ObjectKind::GraphicsState);
        EXPECT_TRUE(writer.entries()[0].isNew);
        EXPECT_EQ(writer.entries()[0].offset, 4);
    }
}

// Twelve bytes do not fit zlib's output into 1.2 times their size, so such rows go out uncompressed.
TEST(ImageXObjectTest, SmallBitmapsAndPngsAreWrittenPlain) {
    TempFolder dir;
    BmpLayout bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7};
    test::PngLayout png;
    png.width = 2;
    png.height = 2;
    png.rows = {test::Bytes({255, 0, 0, 0, 255, 0}), test::Bytes({0, 0, 255, 9, 8, 7})};
    // Whatever the extension's case, the reader is chosen by it.
    for (const auto& [name, bytes] :
         {std::pair<std::string, std::string>{"i.bmp", MakeBmp(bmp)}, {"upper.PNG", test::MakePng(png)}}) {
        SCOPED_TRACE(name);
        MemoryObjectWriter writer(30);
        const ImageXObject image = WriteImageXObject(writer, dir.Write(name, bytes));
        ASSERT_TRUE(image.Written()) << image.message;
        EXPECT_EQ(image.object.number, 30);
        EXPECT_EQ(image.width, 2);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(writer.bytes(), RowImageObject(30, 2, 2, "/DeviceRGB", "",
                                                 std::string(bmp.pixels.begin(), bmp.pixels.end())));
        ASSERT_EQ(writer.entries().size(), 1u);
        EXPECT_EQ(writer.entries()[0].kind, ObjectKind::Image);
        EXPECT_EQ(writer.entries()[0].offset, 0);
    }
}

TEST(ImageXObjectTest, LargerBitmapRowsAreCompressed) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 16;
    layout.height = 8;
    for (int i = 0; i < 16 * 8; ++i) layout.pixels.insert(layout.pixels.end(), {10, 20, uint8_t(i / 16)});
    MemoryObjectWriter writer(3);
    ASSERT_TRUE(WriteImageXObject(writer, dir.Write("big.BMP", MakeBmp(layout))).Written());
    const std::string stream = StreamOf(writer.bytes(), 0);
    EXPECT_EQ(writer.bytes(), RowImageObject(3, 16, 8, "/DeviceRGB", "/Filter/FlateDecode", stream));
    EXPECT_EQ(Inflate(stream, 384), std::string(layout.pixels.begin(), layout.pixels.end()));
}

TEST(ImageXObjectTest, PaletteBitmapWritesThePaletteFirstAndAnIndexedImage) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 3;
    layout.bitsPerPixel = 8;
    std::string expectedPalette;
    for (int i = 0; i < 256; ++i) {
        layout.palette.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
        expectedPalette.append(layout.palette.back().begin(), layout.palette.back().end());
    }
    layout.pixels = {0, 128, 255};
    MemoryObjectWriter writer(40);
    const ImageXObject image = WriteImageXObject(writer, dir.Write("pal.bmp", MakeBmp(layout)));
    ASSERT_TRUE(image.Written());
    EXPECT_EQ(image.object.number, 41);
    ASSERT_EQ(writer.entries().size(), 2u);
    const auto& palette = writer.entries()[0];
    const auto& picture = writer.entries()[1];
    EXPECT_EQ(palette.number, 40);
    EXPECT_EQ(picture.number, 41);
    EXPECT_EQ(palette.kind, ObjectKind::Image);
    EXPECT_EQ(picture.kind, ObjectKind::Image);

    const std::string& bytes = writer.bytes();
    const std::string paletteStream = StreamOf(bytes, palette.offset);
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(palette.offset),
                           static_cast<std::size_t>(picture.offset - palette.offset)),
              Format("40 0 obj\r\n<</Filter/FlateDecode/Length %ld>>\r\nstream\r\n", paletteStream.size()) +
                  paletteStream + "\nendstream\r\nendobj\r\n");
    EXPECT_EQ(Inflate(paletteStream, 768), expectedPalette);
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(picture.offset)),
              RowImageObject(41, 3, 1, "[/Indexed /DeviceRGB 255 40 0 R]", "", test::Bytes({0, 128, 255})));
}

TEST(ImageXObjectTest, JpegFileIsTheStreamUnchanged) {
    TempFolder dir;
    const struct {
        int components;
        bool progressive;
        const char* colourSpace;
    } rows[] = {{3, false, "/DeviceRGB"},
                {3, true, "/DeviceRGB"},
                {4, false, "/DeviceCMYK"},
                {1, false, "/DeviceGray"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.colourSpace << " progressive " << row.progressive);
        const std::string jpeg = test::MakeJpeg(7, 5, row.components, row.progressive);
        MemoryObjectWriter writer(9);
        const ImageXObject image = WriteImageXObject(writer, dir.Write("photo.jpe", jpeg));
        ASSERT_TRUE(image.Written()) << image.message;
        EXPECT_EQ(image.width, 7);
        EXPECT_EQ(image.height, 5);
        EXPECT_EQ(
            writer.bytes(),
            Format("9 0 obj<</Length %ld/Filter/DCTDecode/Width 7/Height 5/BitsPerComponent 8/ColorSpace%s"
                   "/Type/XObject/Subtype/Image>>stream\r\n",
                   jpeg.size(), row.colourSpace) +
                jpeg + "\nendstream\r\nendobj\r\n");
        ASSERT_EQ(writer.entries().size(), 1u);
        EXPECT_EQ(writer.entries()[0].offset, 0);
    }
}

TEST(ImageXObjectTest, ReaderIsChosenByTheExtensionWithoutRegardToCase) {
    const std::pair<const char*, ImageFileKind> kinds[] = {
        {"a.bmp", ImageFileKind::Bmp},  {"/x/A.BmP", ImageFileKind::Bmp}, {"b.PNG", ImageFileKind::Png},
        {"c.jpg", ImageFileKind::Jpeg}, {"c.jpe", ImageFileKind::Jpeg},   {"c.jpeg", ImageFileKind::Jpeg},
        {"png", ImageFileKind::Jpeg},   {"", ImageFileKind::Jpeg},
    };
    for (const auto& [name, kind] : kinds) EXPECT_EQ(ImageFileKindOf(name), kind) << name;
}

TEST(ImageXObjectTest, RefusalsReturnTheirMessageAndWriteNothing) {
    TempFolder dir;
    BmpLayout deep;
    deep.width = 2;
    deep.bitsPerPixel = 32;
    BmpLayout indexed;
    indexed.width = 4;
    indexed.height = 4;
    indexed.bitsPerPixel = 8;
    indexed.palette.assign(256, test::Rgb{});
    const std::string cutPalette = MakeBmp(indexed);
    std::string extended = test::MakeJpeg(4, 4, 3, false);
    extended[extended.find("\xFF\xC0") + 1] = '\xC1';
    const std::string readError = "画像ファイルの読み込みでエラーが発生しました code=";
    const struct {
        const char* file;
        std::string bytes;
        std::string message;
        int code;
    } rows[] = {
        {"deep.bmp", MakeBmp(deep), readError + "5", 5},
        {"cut.bmp", cutPalette.substr(0, cutPalette.size() - 3), readError + "6", 6},
        {"photo.png", test::MakeJpeg(4, 4, 3, false), readError + "3", 3},
        {"image.jpg", test::MakePng({}), readError + "5", 5},
        {"ext.jpg", extended, "画像ファイルのカラースペースタイプを取得できません", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        MemoryObjectWriter writer(5);
        const ImageXObject image = WriteImageXObject(writer, dir.Write(row.file, row.bytes));
        EXPECT_FALSE(image.Written());
        EXPECT_EQ(image.object.number, -1);
        EXPECT_EQ(image.message, row.message);
        EXPECT_EQ(image.readerError, row.code);
        EXPECT_TRUE(writer.bytes().empty());
        EXPECT_TRUE(writer.entries().empty());
    }
}

TEST(ImageXObjectTest, FailedWriteReportsNoObject) {
    TempFolder dir;
    MemoryObjectWriter writer(5);
    writer.setFailAppends(true);
    const ImageXObject image = WriteImageXObject(writer, dir.Write("p.jpg", test::MakeJpeg(4, 4, 3, false)));
    EXPECT_FALSE(image.Written());
    EXPECT_TRUE(image.message.empty());
    ASSERT_EQ(writer.entries().size(), 1u);
    EXPECT_EQ(writer.entries()[0].offset, -1);
}

// The colour at the centre of each quarter (top left, top right, bottom left, bottom right) of the
// image file stamped onto a page that qpdf accepts and pdftoppm draws at 10 pixels per point.
std::vector<test::Rgb> RenderQuarters(const TempFolder& dir, const std::string& name,
                                      const std::string& bytes) {
    MemoryObjectWriter writer(5, "%PDF-1.4\r\n");
    const ImageObjectRef state = WriteImageGraphicsState(writer, 100);
    const ImageXObject image = WriteImageXObject(writer, dir.Write(name, bytes));
    EXPECT_TRUE(image.Written()) << image.message;
    const std::string pdfPath = dir.Write(
        "out.pdf",
        test::OnePageTestPdf(writer,
                             Format("/MediaBox [0 0 20 20] /Resources << /XObject << /Im0 %d 0 R >> "
                                    "/ExtGState << /GS0 %d 0 R >> >>",
                                    image.object.number, state.number),
                             "q /GS0 gs 20 0 0 20 0 0 cm /Im0 Do Q"));
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(pdfPath, &report)) << report;
    const std::string stem = dir.File("render");
    EXPECT_EQ(std::system(("pdftoppm -r 720 -png -singlefile " + pdfPath + " " + stem).c_str()), 0);
    PngReader rendered;
    EXPECT_TRUE(rendered.Open(stem + ".png")) << rendered.ErrorText(rendered.Error());
    std::vector<test::Rgb> quarters;
    if (rendered.Width() != 200 || rendered.Height() != 200) return quarters;
    for (int y : {50, 150})
        for (int x : {50, 150}) {
            const uint8_t* p = rendered.Pixels().data() + (static_cast<std::size_t>(y) * 200 + x) * 3;
            quarters.push_back({p[0], p[1], p[2]});
        }
    return quarters;
}

TEST(ImageXObjectTest, RealReaderDrawsEachKindTheRightWayUp) {
    if (!test::ToolExists("qpdf") || !test::ToolExists("pdftoppm"))
        GTEST_SKIP() << "qpdf or pdftoppm missing";
    TempFolder dir;
    const std::vector<test::Rgb> expected = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    BmpLayout rgb;
    rgb.width = 2;
    rgb.height = 2;
    for (const auto& c : expected) rgb.pixels.insert(rgb.pixels.end(), c.begin(), c.end());
    BmpLayout indexed = rgb;
    indexed.bitsPerPixel = 8;
    indexed.palette = {{0, 0, 0}, {0, 0, 255}, {255, 255, 255}, {0, 255, 0}, {255, 0, 0}};
    indexed.palette.resize(256);
    indexed.pixels = {4, 3, 1, 2};
    BmpLayout topDown = rgb;
    topDown.topDown = true;
    test::PngLayout png;
    png.width = 2;
    png.height = 2;
    png.rows = {test::Bytes({255, 0, 0, 0, 255, 0}), test::Bytes({0, 0, 255, 255, 255, 255})};
    const std::pair<std::string, std::string> files[] = {
        {"rgb.bmp", MakeBmp(rgb)},
        {"indexed.bmp", MakeBmp(indexed)},
        {"topdown.bmp", MakeBmp(topDown)},
        {"quarters.png", test::MakePng(png)},
    };
    for (const auto& [name, bytes] : files) EXPECT_EQ(RenderQuarters(dir, name, bytes), expected) << name;
    // Every sample of the grey JPEG is 40: grey, not tinted.
    const std::vector<test::Rgb> grey = RenderQuarters(dir, "g.jpg", test::MakeJpeg(16, 16, 1, false));
    ASSERT_EQ(grey.size(), 4u);
    for (const test::Rgb& c : grey) {
        EXPECT_NEAR(c[0], 40, 3);
        EXPECT_EQ(c[0], c[1]);
        EXPECT_EQ(c[1], c[2]);
    }
}

}  // namespace
}  // namespace sgry
