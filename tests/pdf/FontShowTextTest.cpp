// Showing Japanese text: the hexadecimal UTF-16 operator, the 80-character
// cut it shares with measuring, and a real reader extracting the text again.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "pdf/CidFont.h"
#include "pdf/Type1Font.h"
#include "platform/Format.h"
#include "support/MemoryObjectWriter.h"

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

// ---- a real reader judges the written fonts ---------------------------------

struct MiniPdf {
    test::MemoryObjectWriter writer{1, "%PDF-1.4\r\n"};
    std::map<int32_t, int64_t> offsets;

    int32_t Add(const std::string& body) {
        const int32_t number = writer.AllocateObjectNumber();
        offsets[number] = writer.AppendAtEnd(Format("%d 0 obj\r\n", number) + body + "\r\nendobj\r\n");
        return number;
    }
    std::string Finish(int32_t root) {
        for (const auto& entry : writer.entries()) offsets[entry.number] = entry.offset;
        const int32_t size = writer.nextNumber();
        std::string xref = Format("xref\r\n0 %d\r\n0000000000 65535 f\r\n", size);
        for (int32_t n = 1; n < size; ++n) xref += Format("%010ld 00000 n\r\n", offsets.at(n));
        const int64_t start = writer.AppendAtEnd(xref);
        writer.AppendAtEnd(Format("trailer\r\n<< /Size %d /Root %d 0 R >>\r\nstartxref\r\n%ld\r\n%%%%EOF\r\n",
                                  size, root, start));
        return writer.bytes();
    }
};

std::string RunAndRead(const std::string& command, const std::filesystem::path& output) {
    if (std::system(command.c_str()) != 0) return "<command failed: " + command + ">";
    std::ifstream in(output, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FontShowTextTest, ReadersExtractTheTextOfEveryFont) {
    if (!std::filesystem::exists("/usr/bin/pdftotext") || !std::filesystem::exists("/usr/bin/qpdf"))
        GTEST_SKIP() << "pdftotext or qpdf missing";
    MiniPdf pdf;
    HelveticaFont helvetica;
    KozMinProRegularFont kozMin;
    HeiseiKakuGoW5Font boldGothic(true, false);
    HeiseiKakuPGoW5Font proportional;
    helvetica.WriteObjects(pdf.writer);
    kozMin.WriteObjects(pdf.writer);
    boldGothic.WriteObjects(pdf.writer);
    proportional.WriteObjects(pdf.writer);

    const std::string content = "BT /F1 20 Tf 50 700 Td (Hello Fonts) Tj ET\n"
                                "BT /F2 20 Tf 50 650 Td " + CidFont::ShowTextHex(kShaGaiHi) + "ET\n"
                                "BT /F3 20 Tf 50 600 Td " + CidFont::ShowTextHex("\x82\xB1\x82\xF1" "ABC") + "ET\n"
                                "BT /F4 20 Tf 50 550 Td " + CidFont::ShowTextHex("\x83\x65\x83\x58\x83\x67") + "ET\n";
    const int32_t contents = pdf.Add(Format("<< /Length %d >>\r\nstream\r\n", static_cast<int>(content.size())) +
                                     content + "\r\nendstream");
    const int32_t pages = pdf.writer.AllocateObjectNumber();
    const int32_t page = pdf.Add(Format(
        "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792 ] /Contents %d 0 R "
        "/Resources << /Font << /F1 %d 0 R /F2 %d 0 R /F3 %d 0 R /F4 %d 0 R >> >> >>",
        pages, contents, helvetica.ObjectNumber(), kozMin.ObjectNumber(), boldGothic.ObjectNumber(),
        proportional.ObjectNumber()));
    pdf.offsets[pages] = pdf.writer.AppendAtEnd(
        Format("%d 0 obj\r\n<< /Type /Pages /Kids [%d 0 R ] /Count 1 >>\r\nendobj\r\n", pages, page));
    const int32_t root = pdf.Add(Format("<< /Type /Catalog /Pages %d 0 R >>", pages));
    const std::string bytes = pdf.Finish(root);

    const std::filesystem::path dir = std::filesystem::path(SIGILRY_BINARY_DIR) / "font-reader-test";
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "fonts.pdf";
    std::ofstream(file, std::ios::binary) << bytes;

    const std::string check = RunAndRead("qpdf --check '" + file.string() + "' > '" +
                                             (dir / "check.txt").string() + "' 2>&1",
                                         dir / "check.txt");
    EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
    const std::string text = RunAndRead("pdftotext -layout '" + file.string() + "' '" +
                                            (dir / "fonts.txt").string() + "' 2>/dev/null",
                                        dir / "fonts.txt");
    EXPECT_NE(text.find("Hello Fonts"), std::string::npos) << text;
    EXPECT_NE(text.find("社外秘"), std::string::npos) << text;
    EXPECT_NE(text.find("こんABC"), std::string::npos) << text;
    EXPECT_NE(text.find("テスト"), std::string::npos) << text;
}

}  // namespace
}  // namespace sgry
