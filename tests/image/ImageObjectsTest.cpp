#include <gtest/gtest.h>
#include <zlib.h>

#include <map>

#include "ImageFixtures.h"
#include "image/BmpReader.h"
#include "image/ImageObjects.h"
#include "image/ImageXObject.h"
#include "image/PngReader.h"
#include "platform/Format.h"
#include "support/MemoryObjectWriter.h"

namespace sgry {
namespace {

using test::BmpLayout;
using test::MakeBmp;
using test::MemoryObjectWriter;
using test::TempFolder;

std::string Inflate(std::string_view data, std::size_t expectedSize) {
    std::string out(expectedSize + 16, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                         static_cast<uLong>(data.size())),
              Z_OK);
    out.resize(size);
    return out;
}

// The stream bytes of the object whose header starts at `offset`.
std::string StreamOf(const std::string& bytes, int64_t offset) {
    const std::size_t begin = bytes.find("stream\r\n", static_cast<std::size_t>(offset)) + 8;
    const std::size_t end = bytes.find("\nendstream\r\nendobj\r\n", begin);
    return bytes.substr(begin, end - begin);
}

TEST(ImageGraphicsStateTest, DensityBecomesBothOpacities) {
    struct Row {
        int density;
        const char* opacity;
    };
    for (const Row& row : {Row{50, "0.50"}, Row{100, "1.00"}, Row{0, "0.00"}, Row{33, "0.33"}, Row{7, "0.07"}}) {
        SCOPED_TRACE(row.density);
        MemoryObjectWriter writer(12, "%PDF");
        const ImageObjectRef ref = WriteImageGraphicsState(writer, row.density);
        EXPECT_EQ(ref.number, 12);
        EXPECT_EQ(ref.generation, 0);
        EXPECT_EQ(writer.bytes(), "%PDF12 0 obj<</Type/ExtGState/ca " + std::string(row.opacity) + "/CA " +
                                      row.opacity + "/BM/Multiply/AIS false>>\r\nendobj\r\n");
        ASSERT_EQ(writer.entries().size(), 1u);
        EXPECT_EQ(writer.entries()[0].kind, ObjectKind::GraphicsState);
        EXPECT_TRUE(writer.entries()[0].isNew);
        EXPECT_EQ(writer.entries()[0].offset, 4);
    }
}

TEST(ImageXObjectTest, TwoByTwoBitmapIsWrittenPlainWithTwelveBytes) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7};
    MemoryObjectWriter writer(30);
    const ImageXObject image = WriteImageXObject(writer, dir.Write("i.bmp", MakeBmp(layout)));
    ASSERT_TRUE(image.Written()) << image.message;
    EXPECT_EQ(image.object.number, 30);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_TRUE(image.message.empty());
    // Twelve bytes do not fit zlib's output into 1.2 times their size, so
    // the rows go out uncompressed.
    EXPECT_EQ(writer.bytes(), "30 0 obj\r\n<</Type/XObject/Subtype/Image\r\n/Width 2\r\n/Height 2\r\n"
                              "/BitsPerComponent 8\r\n/ColorSpace /DeviceRGB\r\n/Length 12\r\n>>\r\nstream\r\n" +
                                  std::string(layout.pixels.begin(), layout.pixels.end()) + "\nendstream\r\nendobj\r\n");
    ASSERT_EQ(writer.entries().size(), 1u);
    EXPECT_EQ(writer.entries()[0].kind, ObjectKind::Image);
    EXPECT_EQ(writer.entries()[0].offset, 0);
}

TEST(ImageXObjectTest, LargerBitmapRowsAreCompressed) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 16;
    layout.height = 8;
    for (int i = 0; i < 16 * 8; ++i) layout.pixels.insert(layout.pixels.end(), {10, 20, uint8_t(i / 16)});
    MemoryObjectWriter writer(3);
    const ImageXObject image = WriteImageXObject(writer, dir.Write("big.BMP", MakeBmp(layout)));
    ASSERT_TRUE(image.Written());
    const std::string& bytes = writer.bytes();
    const std::string stream = StreamOf(bytes, 0);
    EXPECT_NE(bytes.find(Format("/ColorSpace /DeviceRGB\r\n/Filter/FlateDecode/Length %ld\r\n>>\r\nstream\r\n",
                                stream.size())),
              std::string::npos);
    EXPECT_EQ(Inflate(stream, 384), std::string(layout.pixels.begin(), layout.pixels.end()));
}

TEST(ImageXObjectTest, PaletteBitmapWritesThePaletteFirstAndAnIndexedImage) {
    TempFolder dir;
    BmpLayout layout;
    layout.width = 3;
    layout.height = 1;
    layout.bitsPerPixel = 8;
    for (int i = 0; i < 256; ++i) layout.palette.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
    layout.pixels = {0, 128, 255};
    MemoryObjectWriter writer(40);
    const ImageXObject image = WriteImageXObject(writer, dir.Write("pal.bmp", MakeBmp(layout)));
    ASSERT_TRUE(image.Written());
    ASSERT_EQ(writer.entries().size(), 2u);
    const auto& palette = writer.entries()[0];
    const auto& picture = writer.entries()[1];
    EXPECT_EQ(palette.number, 40);
    EXPECT_EQ(picture.number, 41);
    EXPECT_EQ(image.object.number, 41);
    EXPECT_EQ(palette.kind, ObjectKind::Image);
    EXPECT_EQ(picture.kind, ObjectKind::Image);
    EXPECT_LT(palette.offset, picture.offset);

    const std::string& bytes = writer.bytes();
    const std::string paletteStream = StreamOf(bytes, palette.offset);
    const std::string paletteHeader =
        Format("40 0 obj\r\n<</Filter/FlateDecode/Length %ld>>\r\nstream\r\n", paletteStream.size());
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(palette.offset), paletteHeader.size()), paletteHeader);
    std::string expectedPalette;
    for (const auto& c : layout.palette) expectedPalette.append(c.begin(), c.end());
    EXPECT_EQ(Inflate(paletteStream, 768), expectedPalette);

    const std::string pictureHeader = "41 0 obj\r\n<</Type/XObject/Subtype/Image\r\n/Width 3\r\n/Height 1\r\n"
                                      "/BitsPerComponent 8\r\n/ColorSpace [/Indexed /DeviceRGB 255 40 0 R]\r\n"
                                      "/Length 3\r\n>>\r\nstream\r\n";
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(picture.offset)),
              pictureHeader + test::Bytes({0, 128, 255}) + "\nendstream\r\nendobj\r\n");
}

TEST(ImageXObjectTest, PaletteThatDoesNotCompressIsWrittenRaw) {
    BmpLayout layout;
    layout.width = 1;
    layout.bitsPerPixel = 8;
    uint32_t seed = 12345;
    for (int i = 0; i < 256; ++i) {
        test::Rgb c;
        for (auto& v : c) v = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
        layout.palette.push_back(c);
    }
    layout.pixels = {0};
    TempFolder dir;
    BmpReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("noise.bmp", MakeBmp(layout))));
    MemoryObjectWriter writer(7);
    const ImageObjectRef ref = WritePalette(writer, reader);
    EXPECT_EQ(ref.number, 7);
    std::string raw;
    for (const auto& c : layout.palette) raw.append(c.begin(), c.end());
    // Random bytes may or may not fit zlib into 1.2 times their size; either
    // way the object must carry exactly these 768 bytes.
    const std::string& bytes = writer.bytes();
    if (bytes.find("/FlateDecode") == std::string::npos) {
        EXPECT_EQ(bytes, "7 0 obj\r\n<</Length 768>>\r\nstream\r\n" + raw + "\nendstream\r\nendobj\r\n");
    } else {
        EXPECT_EQ(Inflate(StreamOf(bytes, 0), 768), raw);
    }
}

struct JpegRow {
    const char* name;
    int components;
    bool progressive;
    const char* colourSpace;
};

TEST(ImageXObjectTest, JpegFileIsTheStreamUnchanged) {
    TempFolder dir;
    const JpegRow rows[] = {
        {"baseline rgb", 3, false, "/DeviceRGB"},
        {"progressive rgb", 3, true, "/DeviceRGB"},
        {"cmyk", 4, false, "/DeviceCMYK"},
        {"greyscale", 1, false, "/DeviceGray"},
    };
    for (const JpegRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string jpeg = test::MakeJpeg(7, 5, row.components, row.progressive);
        MemoryObjectWriter writer(9);
        const ImageXObject image = WriteImageXObject(writer, dir.Write("photo.jpe", jpeg));
        ASSERT_TRUE(image.Written()) << image.message;
        EXPECT_EQ(image.width, 7);
        EXPECT_EQ(image.height, 5);
        EXPECT_EQ(writer.bytes(),
                  Format("9 0 obj<</Length %ld/Filter/DCTDecode/Width 7/Height 5/BitsPerComponent 8/ColorSpace%s"
                         "/Type/XObject/Subtype/Image>>stream\r\n",
                         jpeg.size(), row.colourSpace) +
                      jpeg + "\nendstream\r\nendobj\r\n");
        ASSERT_EQ(writer.entries().size(), 1u);
        EXPECT_EQ(writer.entries()[0].offset, 0);
    }
}

TEST(ImageXObjectTest, ReaderIsChosenByTheExtensionWithoutRegardToCase) {
    EXPECT_EQ(ImageFileKindOf("a.bmp"), ImageFileKind::Bmp);
    EXPECT_EQ(ImageFileKindOf("/x/A.BmP"), ImageFileKind::Bmp);
    EXPECT_EQ(ImageFileKindOf("b.PNG"), ImageFileKind::Png);
    EXPECT_EQ(ImageFileKindOf("c.jpg"), ImageFileKind::Jpeg);
    EXPECT_EQ(ImageFileKindOf("c.jpe"), ImageFileKind::Jpeg);
    EXPECT_EQ(ImageFileKindOf("c.jpeg"), ImageFileKind::Jpeg);
    EXPECT_EQ(ImageFileKindOf("png"), ImageFileKind::Jpeg);
    EXPECT_EQ(ImageFileKindOf(""), ImageFileKind::Jpeg);

    TempFolder dir;
    test::PngLayout png;
    png.width = 2;
    png.rows = {test::Bytes({1, 2, 3, 4, 5, 6})};
    MemoryObjectWriter writer(1);
    const ImageXObject image = WriteImageXObject(writer, dir.Write("upper.PNG", test::MakePng(png)));
    ASSERT_TRUE(image.Written()) << image.message;
    EXPECT_EQ(writer.bytes(), "1 0 obj\r\n<</Type/XObject/Subtype/Image\r\n/Width 2\r\n/Height 1\r\n"
                              "/BitsPerComponent 8\r\n/ColorSpace /DeviceRGB\r\n/Length 6\r\n>>\r\nstream\r\n" +
                                  test::Bytes({1, 2, 3, 4, 5, 6}) + "\nendstream\r\nendobj\r\n");
}

TEST(ImageXObjectTest, RefusalsReturnTheirMessageAndWriteNothing) {
    TempFolder dir;
    BmpLayout deep;
    deep.width = 2;
    deep.bitsPerPixel = 32;
    deep.pixels.assign(8, 1);
    BmpLayout damagedPalette;
    damagedPalette.width = 4;
    damagedPalette.height = 4;
    damagedPalette.bitsPerPixel = 8;
    damagedPalette.palette.assign(256, test::Rgb{});
    damagedPalette.pixels.assign(16, 0);
    const std::string cutPalette = MakeBmp(damagedPalette);
    std::string extended = test::MakeJpeg(4, 4, 3, false);
    extended[extended.find("\xFF\xC0") + 1] = '\xC1';
    struct Row {
        const char* name;
        const char* file;
        std::string bytes;
        std::string message;
        int code;
    };
    const Row rows[] = {
        {"32-bit bmp", "deep.bmp", MakeBmp(deep), "画像ファイルの読み込みでエラーが発生しました code=5", 5},
        {"cut 8-bit bmp", "cut.bmp", cutPalette.substr(0, cutPalette.size() - 3),
         "画像ファイルの読み込みでエラーが発生しました code=6", 6},
        {"jpeg named png", "photo.png", test::MakeJpeg(4, 4, 3, false),
         "画像ファイルの読み込みでエラーが発生しました code=3", 3},
        {"png named jpg", "image.jpg", test::MakePng({}), "画像ファイルの読み込みでエラーが発生しました code=5", 5},
        {"unknown frame type", "ext.jpg", extended, "画像ファイルのカラースペースタイプを取得できません", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
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

// A one-page PDF around the written objects, so that a real reader can draw
// the image: the page is 20 x 20 points and the image fills it.
std::string WrapInPdf(MemoryObjectWriter& writer, const ImageXObject& image, const ImageObjectRef& state) {
    std::map<int32_t, int64_t> offsets;
    for (const auto& e : writer.entries()) offsets[e.number] = e.offset;
    const std::string content = "q /GS0 gs 20 0 0 20 0 0 cm /Im0 Do Q";
    const std::vector<std::string> objects = {
        "<</Type/Catalog/Pages 2 0 R>>",
        "<</Type/Pages/Kids[3 0 R]/Count 1>>",
        Format("<</Type/Page/Parent 2 0 R/MediaBox[0 0 20 20]/Contents 4 0 R/Resources<</XObject<</Im0 %ld 0 R>>"
               "/ExtGState<</GS0 %ld 0 R>>>>>>",
               image.object.number, state.number),
        Format("<</Length %ld>>stream\n", content.size()) + content + "\nendstream",
    };
    for (std::size_t i = 0; i < objects.size(); ++i)
        offsets[static_cast<int32_t>(i + 1)] =
            writer.AppendAtEnd(Format("%ld 0 obj\r\n", i + 1) + objects[i] + "\r\nendobj\r\n");
    const int32_t size = writer.nextNumber();
    std::string xref = Format("xref\r\n0 %ld\r\n0000000000 65535 f\r\n", size);
    for (int32_t n = 1; n < size; ++n) xref += Format("%010ld %05d n\r\n", offsets[n], 0);
    const int64_t xrefOffset = writer.AppendAtEnd(xref);
    writer.AppendAtEnd(Format("trailer\r\n<</Size %ld/Root 1 0 R>>\r\nstartxref\r\n%ld\r\n%%%%EOF\r\n", size,
                              xrefOffset));
    return writer.bytes();
}

bool HaveTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null").c_str()) == 0; }

// Renders the wrapped image at 10 pixels per point and returns the colour
// at the centre of each quarter of the page (top left, top right, bottom
// left, bottom right).
std::vector<test::Rgb> RenderQuarters(const TempFolder& dir, const std::string& pdf) {
    const std::string pdfPath = dir.Write("out.pdf", pdf);
    EXPECT_EQ(std::system(("qpdf --check " + pdfPath + " >/dev/null").c_str()), 0);
    const std::string stem = dir.PathOf("render");
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

TEST(ImageXObjectTest, RealReaderDrawsBitmapsAndPngsTheRightWayUp) {
    if (!HaveTool("qpdf") || !HaveTool("pdftoppm")) GTEST_SKIP() << "qpdf or pdftoppm missing";
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
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        MemoryObjectWriter writer(5, "%PDF-1.4\r\n");
        const ImageObjectRef state = WriteImageGraphicsState(writer, 100);
        const ImageXObject image = WriteImageXObject(writer, dir.Write(name, bytes));
        ASSERT_TRUE(image.Written()) << image.message;
        EXPECT_EQ(RenderQuarters(dir, WrapInPdf(writer, image, state)), expected);
    }
}

TEST(ImageXObjectTest, RealReaderDrawsGreyJpegAsGrey) {
    if (!HaveTool("qpdf") || !HaveTool("pdftoppm")) GTEST_SKIP() << "qpdf or pdftoppm missing";
    TempFolder dir;
    MemoryObjectWriter writer(5, "%PDF-1.4\r\n");
    const ImageObjectRef state = WriteImageGraphicsState(writer, 100);
    const ImageXObject image = WriteImageXObject(writer, dir.Write("g.jpg", test::MakeJpeg(16, 16, 1, false)));
    ASSERT_TRUE(image.Written()) << image.message;
    for (const test::Rgb& c : RenderQuarters(dir, WrapInPdf(writer, image, state))) {
        EXPECT_NEAR(c[0], 40, 3);
        EXPECT_EQ(c[0], c[1]);
        EXPECT_EQ(c[1], c[2]);
    }
}

}  // namespace
}  // namespace sgry
