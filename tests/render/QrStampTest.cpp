#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Format.h"
#include "platform/SjisText.h"
#include "render/QrStamp.h"
#include "settings/StampSettings.h"
#include "support/MemoryObjectWriter.h"
#include "support/OnePageTestPdf.h"
#include "support/SamplePdfs.h"
#include "support/ScratchDir.h"
#include "support/SymbolImages.h"

namespace sgry {
namespace {

const char* const kFormResources = "/Resources<</ProcSet[/PDF]/ExtGState[/ca 1/CA 1/BM/Normal/AIS false]>>";

std::string Inflate(std::string_view compressed) {
    std::string out(1 << 20, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(compressed.data()),
                   static_cast<uLong>(compressed.size())) != Z_OK)
        return "<inflate failed>";
    out.resize(size);
    return out;
}

// The stream bytes of the one object the writer holds, checking the frame
// around them: header with /Length, "stream" CR LF ... LF "endstream".
std::string StreamOf(const std::string& bytes, std::size_t& lengthOut) {
    const std::size_t at = bytes.find("/Length ");
    lengthOut = std::strtoul(bytes.c_str() + at + 8, nullptr, 10);
    const std::size_t start = bytes.find(">>\r\nstream\r\n") + 12;
    EXPECT_EQ(bytes.substr(start + lengthOut), "\nendstream\r\nendobj\r\n");
    return bytes.substr(start, lengthOut);
}

struct Prepared {
    std::unique_ptr<QrStamp> stamp = std::make_unique<QrStamp>();
    test::MemoryObjectWriter writer;
    int result = 0;

    Prepared(std::string_view message, QrSymbolChoice choice, int32_t firstNumber = 40,
             std::string prefix = {})
        : writer(firstNumber, std::move(prefix)) {
        result = stamp->Prepare(message, choice, writer);
    }
};

TEST(QrStampTest, VersionOneFormHasTheExactFrameAndContent) {
    Prepared p("HELLO", {false, 1, QrEncoder::kLevelH});
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(p.stamp->ErrorCode(), 0);
    EXPECT_EQ(p.stamp->ModulesPerSide(), 29);
    EXPECT_EQ(p.stamp->ObjectRef().number, 40);
    EXPECT_EQ(p.stamp->ObjectRef().generation, 0);
    ASSERT_EQ(p.writer.entries().size(), 1u);
    const auto& entry = p.writer.entries().front();
    EXPECT_EQ(entry.kind, ObjectKind::QrForm);
    EXPECT_TRUE(entry.isNew);
    EXPECT_EQ(entry.offset, 0);

    std::size_t length = 0;
    const std::string stream = StreamOf(p.writer.bytes(), length);
    EXPECT_EQ(p.writer.bytes().substr(0, p.writer.bytes().find(">>\r\nstream\r\n") + 12),
              Format("40 0 obj\r\n<</Type/XObject/Subtype/Form/FormType 1/Length %ld/Filter/FlateDecode"
                     "/BBox[0 0 290.00 290.00]%s>>\r\nstream\r\n",
                     length, kFormResources));
    const std::string content = Inflate(stream);
    // Bottom finder's lowest row (matrix row 24, columns 4-10) comes first.
    const std::string head =
        "0 G\r\n1 J 0 j 0.1 w 10 M []0 d\r\n1 i\r\n"
        "1 1 1 rg\r\n1 1 1 RG\r\n0 0 290.00 290.00 re\r\nB\r\n0 0 0 rg\r\n0 0 0 RG\r\n"
        "40.00 40.00 10.00 10.00 re\r\nB\r\n50.00 40.00 10.00 10.00 re\r\nB\r\n";
    EXPECT_EQ(content.substr(0, head.size()), head);
    // The top-left finder's top row is the last of its row's squares to start
    // at x = 40, y = 240 (matrix row 4).
    EXPECT_NE(content.find("40.00 240.00 10.00 10.00 re\r\nB\r\n"), std::string::npos);
    // Nothing in the quiet zone: no square below y = 40 or at x = 0..30, 250..280.
    EXPECT_EQ(content.find(" 0.00 10.00 10.00 re"), std::string::npos);
    EXPECT_EQ(content.find(" 250.00 10.00 10.00 re"), std::string::npos);
    EXPECT_EQ(content.find("\n0.00 "), std::string::npos);
    EXPECT_EQ(content.find("\n250.00 "), std::string::npos);

    // One square per dark module of the symbol the encoder makes for the message.
    auto encoder = std::make_unique<QrEncoder>();
    QrMatrix m;
    ASSERT_TRUE(encoder->EncodeFixed("HELLO", 1, QrEncoder::kLevelH, m));
    std::size_t dark = 0;
    for (std::size_t i = 0; i < m.byteCount; ++i) dark += m.modules[i];
    std::size_t squares = 0;
    for (std::size_t at = content.find(" 10.00 10.00 re"); at != std::string::npos;
         at = content.find(" 10.00 10.00 re", at + 1))
        ++squares;
    EXPECT_EQ(squares, dark);
    EXPECT_EQ(content, QrStamp::FormContent(m.modules.get(), 29));
}

TEST(QrStampTest, FormContentOfASmallMatrix) {
    // Row 0 one dark module on the left, row 1 all light, row 2 two on the right.
    const uint8_t modules[9] = {1, 0, 0, 0, 0, 0, 0, 1, 1};
    EXPECT_EQ(QrStamp::FormContent(modules, 3),
              "0 G\r\n1 J 0 j 0.1 w 10 M []0 d\r\n1 i\r\n"
              "1 1 1 rg\r\n1 1 1 RG\r\n0 0 30.00 30.00 re\r\nB\r\n0 0 0 rg\r\n0 0 0 RG\r\n"
              "10.00 0.00 10.00 10.00 re\r\nB\r\n20.00 0.00 10.00 10.00 re\r\nB\r\n"
              "0.00 20.00 10.00 10.00 re\r\nB\r\n");
    const uint8_t light[4] = {0, 0, 0, 0};
    EXPECT_EQ(QrStamp::FormContent(light, 2),
              "0 G\r\n1 J 0 j 0.1 w 10 M []0 d\r\n1 i\r\n"
              "1 1 1 rg\r\n1 1 1 RG\r\n0 0 20.00 20.00 re\r\nB\r\n0 0 0 rg\r\n0 0 0 RG\r\n");
}

TEST(QrStampTest, PlacementFragments) {
    Prepared p("HELLO", {true, 0, 0});
    ASSERT_EQ(p.result, 1);
    ASSERT_EQ(p.stamp->Version(), 1);
    EXPECT_EQ(p.stamp->Level(), QrEncoder::kLevelH);
    const MarginsMm tenMm{10.0f, 10.0f, 10.0f, 10.0f};
    struct Row {
        const char* name;
        int position;
        PageEntry page;
        bool followMargins;
        const char* translate;
        const char* rotate;
    };
    const Row rows[] = {
        {"bottom left without margins", 6, PageEntry{.width = 595, .height = 842}, false, "0.0000 0.0000",
         "1.00 0.00 0.00 1.00"},
        {"top right without margins: a 23.02-point box", 2, PageEntry{.width = 595, .height = 842}, false,
         "571.9778 818.9778", "1.00 0.00 0.00 1.00"},
        {"bottom left inside 10 mm", 6, PageEntry{.width = 595, .height = 842}, true, "28.3465 28.3465",
         "1.00 0.00 0.00 1.00"},
        {"rotate 90, bottom right without margins", 8, PageEntry{.width = 612, .height = 792, .rotation = 90},
         false, "612.0000 768.9778", "0.00 1.00 -1.00 0.00"},
        {"rotate 90, bottom right inside 10 mm", 8, PageEntry{.width = 612, .height = 792, .rotation = 90},
         true, "583.6536 740.6313", "0.00 1.00 -1.00 0.00"},
        {"position 9 is centred", 9, PageEntry{.width = 600, .height = 800}, false, "288.4889 388.4889",
         "1.00 0.00 0.00 1.00"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(p.stamp->Place(r.position, r.page, "/UK5", tenMm, r.followMargins),
                  std::string("q\r\n1 0 0 1 ") + r.translate + " cm\r\n" + r.rotate +
                      " 0 0 cm\r\n0.0794 0 0 0.0794 0 0 cm\r\n/UK5 Do\r\nQ\r\n")
            << r.name;
    }
    // Placed as 29 x 0.79387 = 23.02 points, drawn as 290 units x 0.0794 = 23.03.
    EXPECT_EQ(Format("%.2f", static_cast<float>(p.stamp->ModulesPerSide()) * QrStamp::kBoxPointsPerModule),
              "23.02");
    EXPECT_EQ(Format("%.2f", 290 * std::strtod("0.0794", nullptr)), "23.03");
}

TEST(QrStampTest, FailedPreparationWritesNothingAndExplainsItself) {
    struct Row {
        const char* name;
        std::string message;
        QrSymbolChoice choice;
        int code;
        const char* reason;
    };
    const Row rows[] = {
        {"too long for 1-H", std::string(18, '1'), {false, 1, QrEncoder::kLevelH}, 1, "収まりません"},
        {"too long for any version", std::string(7090, 'a'), {true, 0, 0}, 1, "収まりません"},
        {"lone Kanji lead byte", "ABC\x88", {true, 0, 0}, 3, "欠けています"},
        {"bad trail byte", std::string("\x88\x0a", 2), {false, 10, 0}, 2, "正しくない全角文字"},
        {"version out of range", "ABC", {false, 41, 0}, 1, "収まりません"},
    };
    for (const Row& r : rows) {
        Prepared p(r.message, r.choice);
        EXPECT_EQ(p.result, 0) << r.name;
        EXPECT_EQ(p.stamp->ErrorCode(), r.code) << r.name;
        EXPECT_FALSE(p.stamp->Prepared()) << r.name;
        EXPECT_TRUE(p.writer.bytes().empty()) << r.name;
        EXPECT_EQ(p.writer.nextNumber(), 40) << r.name;
        const std::string text = p.stamp->FailureMessage("/tmp/a.pdf");
        EXPECT_EQ(text.rfind("ＱＲコード作成中にエラーが発生しました\r\n/tmp/a.pdf\r\n", 0), 0u) << r.name;
        EXPECT_NE(text.find(r.reason), std::string::npos) << r.name;
        EXPECT_NE(text.find("QRコードを付けずに出力します"), std::string::npos) << r.name;
        EXPECT_NE(text.find(Format("エラーコード=%d", r.code)), std::string::npos) << r.name;
    }
}

TEST(QrStampTest, FailedWriteIsAFailedPreparation) {
    auto stamp = std::make_unique<QrStamp>();
    test::MemoryObjectWriter writer(7);
    writer.setFailAppends(true);
    EXPECT_EQ(stamp->Prepare("HELLO", {true, 0, 0}, writer), 0);
    EXPECT_EQ(stamp->ErrorCode(), QrStamp::kFormNotWritten);
    EXPECT_FALSE(stamp->Prepared());
    EXPECT_NE(stamp->FailureMessage("x.pdf").find("エラーコード=5"), std::string::npos);
}

TEST(QrStampTest, ChoiceFromTheSettings) {
    StampSettings settings;
    QrSymbolChoice choice = QrSymbolChoice::FromSettings(settings);
    EXPECT_TRUE(choice.automatic);
    EXPECT_EQ(choice.version, 10);
    EXPECT_EQ(choice.level, QrEncoder::kLevelH);
    settings.QRIsVersionAuto = false;
    settings.QRVersion = 7;
    settings.QRECLevel = QrEcLevel::M;
    choice = QrSymbolChoice::FromSettings(settings);
    EXPECT_FALSE(choice.automatic);
    EXPECT_EQ(choice.version, 7);
    EXPECT_EQ(choice.level, QrEncoder::kLevelM);
    // Manual choice is used as it stands, even when a smaller symbol would do.
    Prepared p("HI", choice);
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(p.stamp->Version(), 7);
    EXPECT_EQ(p.stamp->ModulesPerSide(), 53);
    EXPECT_NE(p.writer.bytes().find("/BBox[0 0 530.00 530.00]"), std::string::npos);
}

// A page turned by /Rotate 90 that paints the QR form: read by qpdf, rendered
// by pdftoppm and decoded by zbarimg.
TEST(QrStampTest, StampedPageDecodesWithRealReaders) {
    if (!test::HaveTool("pdftoppm") || !test::HaveTool("zbarimg"))
        GTEST_SKIP() << "pdftoppm or zbarimg missing";
    const std::string message = "Sigilry \x93\xfa\x96\x7b 2024-000123";
    Prepared p(message, {true, 0, 0}, 5, "%PDF-1.4\r\n");
    ASSERT_EQ(p.result, 1);
    const std::string content =
        p.stamp->Place(4, PageEntry{.width = 200, .height = 300, .rotation = 90}, "/UK0", MarginsMm{}, false);
    const test::ScratchDir scratch("qr-stamp-page");
    const std::filesystem::path dir = scratch.Path();
    test::ScratchDir::Write(
        scratch.File("page.pdf"),
        test::OnePageTestPdf(p.writer,
                             "/MediaBox [0 0 200 300] /Rotate 90 /Resources << /XObject << /UK0 5 0 R >> >>",
                             content));
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(scratch.File("page.pdf"), &report)) << report;
    test::RunCapture("pdftoppm -r 300 -gray " + test::QuoteForShell(dir / "page.pdf") + " " +
                     test::QuoteForShell(dir / "page") + " 2>&1");
    std::filesystem::path image;
    for (const auto& file : std::filesystem::directory_iterator(dir))
        if (file.path().extension() == ".pgm") image = file.path();
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(test::ZbarDecodeEach({image}), std::vector<std::string>{sjis::ToUtf8(message)});
}

}  // namespace
}  // namespace sgry
