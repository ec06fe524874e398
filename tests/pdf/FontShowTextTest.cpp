// Showing Japanese text: the hexadecimal UTF-16 operator, the 80-character
// cut it shares with measuring, and a real reader extracting the text again.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "pdf/CidFont.h"
#include "pdf/Type1Font.h"
#include "platform/Format.h"
#include "support/MemoryObjectWriter.h"
#include "support/SamplePdfs.h"
#include "support/ScratchDir.h"
#include "support/TestPdfFile.h"

namespace sgry {
namespace {

const std::string kShaGaiHi = "\x8E\xD0\x8A\x4F\x94\xE9";  // 社外秘 in CP932

TEST(FontShowTextTest, JapaneseTextAsHexUtf16) {
    struct Row {
        const char* name;
        std::string text;
        const char* shown;
    } rows[] = {
        {"three kanji", kShaGaiHi, "<793E591679D8> Tj\r\n"},
        {"ASCII", "AB", "<00410042> Tj\r\n"},
        {"yen sign byte stays a backslash", "\\~", "<005C007E> Tj\r\n"},
        {"half-width katakana", "\xB1", "<FF71> Tj\r\n"},
        {"hiragana and full-width digit", "\x82\xA0\x82\x50", "<3042FF11> Tj\r\n"},
        {"empty", "", "<> Tj\r\n"},
    };
    for (const Row& row : rows) EXPECT_EQ(CidFont::ShowTextHex(row.text), row.shown) << row.name;
    // Called through the plain object, as the header and footer items do.
    EXPECT_EQ(CidFont().ShowTextHex(kShaGaiHi), "<793E591679D8> Tj\r\n");
}

TEST(FontShowTextTest, InvalidCharactersShowAsMiddleDotAndKeepTheRest) {
    // A lead byte followed by a byte that cannot trail it, and a lead byte at
    // the end of the text.
    EXPECT_EQ(CidFont::ShowTextHex("A\x81\x20" "B"), "<004130FB0042> Tj\r\n");
    EXPECT_EQ(CidFont::ShowTextHex("A\x82"), "<004130FB> Tj\r\n");
}

std::string Repeat(const std::string& unit, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += unit;
    return text;
}

TEST(FontShowTextTest, TextsLongerThan80CharactersAreCutAt80) {
    EXPECT_EQ(CidFont::ShownText(Repeat("A", 80)), Repeat("A", 80));
    EXPECT_EQ(CidFont::ShownText(Repeat("A", 81)), Repeat("A", 80));
    EXPECT_EQ(CidFont::ShownText(Repeat(kShaGaiHi, 30)), Repeat(kShaGaiHi, 80 / 3) + "\x8E\xD0\x8A\x4F");
    // The 80th character is a two-byte one: both of its bytes stay.
    const std::string mixed = Repeat("A", 79) + "\x8E\xD0" + "BCD";
    EXPECT_EQ(CidFont::ShownText(mixed), Repeat("A", 79) + "\x8E\xD0");

    const std::string hex = CidFont::ShowTextHex(Repeat("A", 100));
    EXPECT_EQ(hex, "<" + Repeat("0041", 80) + "> Tj\r\n");
    EXPECT_EQ(CidFont::ShowTextHex(mixed), "<" + Repeat("0041", 79) + "793E> Tj\r\n");
}

TEST(FontShowTextTest, WidthMeasuresExactlyTheShownText) {
    const std::string longText = Repeat("A", 79) + Repeat(kShaGaiHi, 10);
    for (float size : {1.0f, 10.5f}) {
        HeiseiKakuPGoW5Font gothic;
        HeiseiMinW3Font mincho;
        EXPECT_EQ(gothic.TextWidth(longText, size), gothic.TextWidth(CidFont::ShownText(longText), size));
        EXPECT_EQ(gothic.TextWidth(longText, size),
                  gothic.TextWidth(Repeat("A", 79) + "\x8E\xD0", size));
        EXPECT_EQ(Fixed2(mincho.TextWidth(Repeat("A", 200), 10.0f)), "800.00");
    }
    // Type 1 texts are shown as literal strings, whole: no cut.
    EXPECT_EQ(Fixed2(CourierFont().TextWidth(Repeat("A", 100), 10.0f)), "600.00");
}

// A real reader judges the written fonts.
TEST(FontShowTextTest, ReadersExtractTheTextOfEveryFont) {
    if (!test::ToolExists("pdftotext") || !test::ToolExists("qpdf")) GTEST_SKIP() << "pdftotext or qpdf missing";
    test::MemoryObjectWriter writer{1, "%PDF-1.4\r\n"};
    auto add = [&writer](const std::string& body) {
        const int32_t number = writer.NewObject(ObjectKind::Page);
        writer.RecordOffset(number, 0, writer.AppendAtEnd(Format("%d 0 obj\r\n", number) + body + "\r\nendobj\r\n"));
        return number;
    };
    HelveticaFont helvetica;
    KozMinProRegularFont kozMin;
    HeiseiKakuGoW5Font boldGothic(true, false);
    HeiseiKakuPGoW5Font proportional;
    for (PdfFont* font : std::initializer_list<PdfFont*>{&helvetica, &kozMin, &boldGothic, &proportional})
        font->WriteObjects(writer);

    const std::string content = "BT /F1 20 Tf 50 700 Td (Hello Fonts) Tj ET\n"
                                "BT /F2 20 Tf 50 650 Td " + CidFont::ShowTextHex(kShaGaiHi) + "ET\n"
                                "BT /F3 20 Tf 50 600 Td " + CidFont::ShowTextHex("\x82\xB1\x82\xF1" "ABC") + "ET\n"
                                "BT /F4 20 Tf 50 550 Td " + CidFont::ShowTextHex("\x83\x65\x83\x58\x83\x67") + "ET\n";
    const int32_t contents = add(Format("<< /Length %d >>\r\nstream\r\n", static_cast<int>(content.size())) +
                                 content + "\r\nendstream");
    const int32_t pages = writer.NewObject(ObjectKind::Page);
    const int32_t page = add(Format(
        "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792 ] /Contents %d 0 R "
        "/Resources << /Font << /F1 %d 0 R /F2 %d 0 R /F3 %d 0 R /F4 %d 0 R >> >> >>",
        pages, contents, helvetica.ObjectNumber(), kozMin.ObjectNumber(), boldGothic.ObjectNumber(),
        proportional.ObjectNumber()));
    writer.RecordOffset(pages, 0, writer.AppendAtEnd(Format(
        "%d 0 obj\r\n<< /Type /Pages /Kids [%d 0 R ] /Count 1 >>\r\nendobj\r\n", pages, page)));
    const int32_t root = add(Format("<< /Type /Catalog /Pages %d 0 R >>", pages));

    test::ScratchDir dir("font-reader");
    const std::string file = dir.File("fonts.pdf");
    test::ScratchDir::Write(file, test::FinishTestPdf(writer, root));
    std::string check;
    EXPECT_TRUE(test::QpdfCheckClean(file, &check)) << check;
    const std::string text = test::PageText(file, 1);
    for (const char* shown : {"Hello Fonts", "社外秘", "こんABC", "テスト"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in " << text;
}

}  // namespace
}  // namespace sgry
