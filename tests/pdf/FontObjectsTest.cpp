// The PDF objects the fonts write into the update, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/CidFont.h"
#include "pdf/Type1Font.h"
#include "support/MemoryObjectWriter.h"

namespace sgry {
namespace {

using test::MemoryObjectWriter;

// The text of object `number` as written ("N 0 obj" up to its "endobj\r\n").
std::string ObjectText(const MemoryObjectWriter& writer, int32_t number) {
    const std::string header = std::to_string(number) + " 0 obj\r\n";
    const std::size_t begin = writer.bytes().find(header);
    if (begin == std::string::npos) return {};
    const std::size_t end = writer.bytes().find("endobj\r\n", begin);
    return writer.bytes().substr(begin, end + 8 - begin);
}

void ExpectFontEntries(const MemoryObjectWriter& writer, std::vector<int32_t> numbers) {
    ASSERT_EQ(writer.entries().size(), numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto& entry = writer.entries()[i];
        EXPECT_EQ(entry.number, numbers[i]);
        EXPECT_EQ(entry.generation, 0);
        EXPECT_TRUE(entry.isNew);
        EXPECT_EQ(entry.kind, ObjectKind::Font);
        ASSERT_GE(entry.offset, 0);
        EXPECT_EQ(writer.bytes().compare(static_cast<std::size_t>(entry.offset),
                                         std::to_string(numbers[i]).size() + 6,
                                         std::to_string(numbers[i]) + " 0 obj"),
                  0);
    }
}

TEST(FontObjectsTest, Type1FontDictionary) {
    MemoryObjectWriter writer(5);
    HelveticaFont helvetica;
    EXPECT_EQ(helvetica.WriteObjects(writer), 1);
    EXPECT_EQ(helvetica.ObjectNumber(), 5);
    EXPECT_EQ(helvetica.Generation(), 0);
    EXPECT_EQ(writer.bytes(),
              "5 0 obj\r\n<<\r\n/Type /Font\r\n/BaseFont /Helvetica\r\n/Subtype /Type1\r\n"
              "/Encoding /WinAnsiEncoding\r\n>>\r\nendobj\r\n");
    ExpectFontEntries(writer, {5});
}

TEST(FontObjectsTest, SymbolFontsWriteNoEncoding) {
    MemoryObjectWriter writer(7);
    SymbolFont().WriteObjects(writer);
    ZapfDingbatsFont().WriteObjects(writer);
    EXPECT_EQ(writer.bytes(),
              "7 0 obj\r\n<<\r\n/Type /Font\r\n/BaseFont /Symbol\r\n/Subtype /Type1\r\n>>\r\nendobj\r\n"
              "8 0 obj\r\n<<\r\n/Type /Font\r\n/BaseFont /ZapfDingbats\r\n/Subtype /Type1\r\n>>\r\nendobj\r\n");
    ExpectFontEntries(writer, {7, 8});
}

TEST(FontObjectsTest, KozMinProRegularWritesDescriptorCidFontAndType0) {
    MemoryObjectWriter writer(20, "%PDF-1.4\r\n");
    KozMinProRegularFont font;
    EXPECT_EQ(font.WriteObjects(writer), 1);
    EXPECT_EQ(font.DescriptorNumber(), 20);
    EXPECT_EQ(font.CidFontNumber(), 21);
    EXPECT_EQ(font.ObjectNumber(), 22);
    EXPECT_EQ(writer.bytes(),
              "%PDF-1.4\r\n"
              "20 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n/FontName /KozMinPro-Regular\r\n"
              "/Descent -120\r\n/Ascent 880\r\n/CapHeight 880\r\n/Flags 4\r\n/ItalicAngle 0\r\n"
              "/StemV 93\r\n/FontBBox [-195 -272 1110 1075 ]\r\n>>\r\nendobj\r\n"
              "21 0 obj\r\n<<\r\n/Type /Font\r\n/BaseFont /KozMinPro-Regular\r\n"
              "/FontDescriptor 20 0 R\r\n/CIDSystemInfo <<\r\n/Supplement 4\r\n/Ordering (Japan1)\r\n"
              "/Registry (Adobe)\r\n>>\r\n/Subtype /CIDFontType0\r\n/DW 1000\r\n>>\r\nendobj\r\n"
              "22 0 obj\r\n<<\r\n/Type /Font\r\n/BaseFont /KozMinPro-Regular-UniJIS-UCS2-H\r\n"
              "/DescendantFonts [21 0 R ]\r\n/Encoding /UniJIS-UCS2-H\r\n/Subtype /Type0\r\n>>\r\n"
              "endobj\r\n");
    ExpectFontEntries(writer, {20, 21, 22});
}

TEST(FontObjectsTest, HeiseiFixedPitchFontsWriteNoWidths) {
    MemoryObjectWriter writer(1);
    HeiseiMinW3Font().WriteObjects(writer);
    EXPECT_EQ(ObjectText(writer, 1),
              "1 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n/FontName /HeiseiMin-W3\r\n"
              "/Descent -141\r\n/Ascent 859\r\n/CapHeight 859\r\n/Flags 4\r\n/ItalicAngle 0\r\n"
              "/StemV 78\r\n/FontBBox [0 -141 1000 859 ]\r\n>>\r\nendobj\r\n");
    EXPECT_EQ(writer.bytes().find("/W "), std::string::npos);
    EXPECT_NE(ObjectText(writer, 3).find("/BaseFont /HeiseiMin-W3-UniJIS-UCS2-H\r\n"), std::string::npos);
}

// Reads the numbers of a "/W" array back: [first [w w ...] first [w ...] ].
std::vector<WidthPair> ParseWidthArray(const std::string& text) {
    std::vector<WidthPair> pairs;
    std::size_t pos = 1;  // after the outer "["
    while (pos < text.size() && text[pos] != ']') {
        std::size_t end = text.find(' ', pos);
        int32_t cid = std::stoi(text.substr(pos, end - pos));
        pos = end + 2;  // past " ["
        while (text[pos] != ']') {
            end = text.find(' ', pos);
            pairs.push_back({cid++, std::stoi(text.substr(pos, end - pos))});
            pos = end + 1;
        }
        pos += 2;  // past "] "
    }
    return pairs;
}

TEST(FontObjectsTest, ProportionalFontWritesItsWidthRuns) {
    MemoryObjectWriter writer(30);
    HeiseiKakuPGoW5Font font;
    font.WriteObjects(writer);
    EXPECT_NE(ObjectText(writer, 30).find("/Flags 4\r\n"), std::string::npos);
    const std::string cidFont = ObjectText(writer, 31);
    const std::string prefix =
        "31 0 obj\r\n<<\r\n/Type /Font\r\n/BaseFont /HeiseiKakuGo-W5\r\n/FontDescriptor 30 0 R\r\n"
        "/CIDSystemInfo <<\r\n/Supplement 4\r\n/Ordering (Japan1)\r\n/Registry (Adobe)\r\n>>\r\n"
        "/Subtype /CIDFontType0\r\n/DW 1000\r\n/W [1 [305 219 500 500 500 500 594 203 ";
    ASSERT_EQ(cidFont.substr(0, prefix.size()), prefix);
    const std::size_t begin = cidFont.find("/W ") + 3;
    const std::size_t end = cidFont.find("\r\n", begin);
    const std::string array = cidFont.substr(begin, end - begin);
    // Each run ends its bracket with "] " and the next starts with its first CID.
    for (const char* seam : {" ] 326 [", " ] 633 [", " ] 771 [", " ] 780 ["})
        EXPECT_NE(array.find(seam), std::string::npos) << seam;
    EXPECT_EQ(array.substr(array.size() - 4), " ] ]");
    EXPECT_EQ(cidFont.substr(end), "\r\n>>\r\nendobj\r\n");

    const std::vector<WidthPair> parsed = ParseWidthArray(array);
    const auto table = font.Widths();
    ASSERT_EQ(parsed.size(), 460u);
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        EXPECT_EQ(parsed[i].code, table[i].code) << i;
        EXPECT_EQ(parsed[i].width, table[i].width) << i;
    }
    EXPECT_NE(ObjectText(writer, 32).find("/BaseFont /HeiseiKakuGo-W5-UniJIS-UCS2-H\r\n"),
              std::string::npos);
}

TEST(FontObjectsTest, HeiseiPMinUsesTheFixedPitchNamesAndAddsWidths) {
    MemoryObjectWriter writer(1);
    HeiseiPMinW3Font().WriteObjects(writer);
    EXPECT_NE(ObjectText(writer, 1).find("/FontName /HeiseiMin-W3\r\n"), std::string::npos);
    EXPECT_NE(ObjectText(writer, 1).find("/Flags 4\r\n"), std::string::npos);
    EXPECT_NE(ObjectText(writer, 2).find("/DW 1000\r\n/W [1 [305 305 461 "), std::string::npos);
    EXPECT_NE(ObjectText(writer, 3).find("/BaseFont /HeiseiMin-W3-UniJIS-UCS2-H\r\n"), std::string::npos);
}

TEST(FontObjectsTest, BoldAndItalicGothic) {
    struct Row {
        const char* name;
        bool bold, italic;
        int32_t flags, italicAngle, stemV;
        const char* cidName;
        const char* type0Name;
    } rows[] = {
        {"plain", false, false, 4, 0, 78, "HeiseiKakuGo-W5", "HeiseiKakuGo-W5-UniJIS-UCS2-H"},
        {"bold", true, false, 262148, 0, 156, "HeiseiKakuGo-W5,Bold", "HeiseiKakuGo-W5-UniJIS-UCS2-H,Bold"},
        {"italic", false, true, 68, -11, 78, "HeiseiKakuGo-W5", "HeiseiKakuGo-W5-UniJIS-UCS2-H"},
        {"bold italic", true, true, 262212, -11, 156, "HeiseiKakuGo-W5,Bold",
         "HeiseiKakuGo-W5-UniJIS-UCS2-H,Bold"},
    };
    for (const Row& row : rows) {
        HeiseiKakuGoW5Font font(row.bold, row.italic);
        EXPECT_EQ(font.Flags(), row.flags) << row.name;
        MemoryObjectWriter writer(1);
        font.WriteObjects(writer);
        const std::string expectedDescriptor =
            std::string("1 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n/FontName /") + row.cidName +
            "\r\n/Descent -141\r\n/Ascent 859\r\n/CapHeight 859\r\n/Flags " + std::to_string(row.flags) +
            "\r\n/ItalicAngle " + std::to_string(row.italicAngle) + "\r\n/StemV " +
            std::to_string(row.stemV) + "\r\n/FontBBox [0 -141 1000 859 ]\r\n>>\r\nendobj\r\n";
        EXPECT_EQ(ObjectText(writer, 1), expectedDescriptor) << row.name;
        EXPECT_NE(ObjectText(writer, 2).find(std::string("/BaseFont /") + row.cidName + "\r\n"),
                  std::string::npos)
            << row.name;
        EXPECT_NE(ObjectText(writer, 3).find(std::string("/BaseFont /") + row.type0Name + "\r\n"),
                  std::string::npos)
            << row.name;
    }
}

TEST(FontObjectsTest, WritingTwiceWritesNewObjectsAndFailedWritesLeaveMinusOne) {
    MemoryObjectWriter twice(1);
    CourierFont courier;
    courier.WriteObjects(twice);
    courier.WriteObjects(twice);
    EXPECT_EQ(courier.ObjectNumber(), 2);
    ExpectFontEntries(twice, {1, 2});

    MemoryObjectWriter writer(1);
    writer.setFailAppends(true);
    HeiseiMinW3Font font;
    EXPECT_EQ(font.WriteObjects(writer), 1);
    EXPECT_EQ(font.ObjectNumber(), 3);
    ASSERT_EQ(writer.entries().size(), 3u);
    for (const auto& entry : writer.entries()) EXPECT_EQ(entry.offset, -1);
}

TEST(FontObjectsTest, ThePlainCidFontWritesNothing) {
    MemoryObjectWriter writer(1);
    CidFont plain;
    EXPECT_EQ(plain.WriteObjects(writer), 0);
    EXPECT_TRUE(writer.bytes().empty());
    EXPECT_TRUE(writer.entries().empty());
    EXPECT_EQ(plain.ObjectNumber(), 0);
}

}  // namespace
}  // namespace sgry
