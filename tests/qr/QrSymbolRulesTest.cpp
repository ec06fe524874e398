// The encoder's rules one by one: classes, costs, segmentation, penalty score,
// format information. Reed-Solomon, masks and module positions are judged end
// to end by zbarimg in QrZbarTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "qr/QrSymbolRules.h"

namespace sgry::qr {
namespace {

std::vector<uint8_t> Classes(const std::string& message, int* code = nullptr) {
    std::vector<uint8_t> classes(message.size() + 1, 0xFF);
    const int c = ClassifyMessage(reinterpret_cast<const uint8_t*>(message.data()),
                                  static_cast<int>(message.size()), classes.data());
    if (code) *code = c;
    return classes;
}

std::string SegmentsOf(const std::string& message) {
    const std::vector<uint8_t> classes = Classes(message);
    std::string out;
    const int end = static_cast<int>(message.size());
    for (int pos = 0; pos < end;) {
        const Segment s = NextSegment(classes.data(), pos, end, 1);
        EXPECT_EQ(s.start, pos);
        EXPECT_GT(s.length, 0);
        out += "NAB K"[static_cast<int>(s.mode) == 3 ? 4 : static_cast<int>(s.mode)];
        out += std::to_string(s.length) + " ";
        pos += s.length;
    }
    return out;
}

TEST(QrRules, CharacterClassesAndAlphanumericValues) {
    const std::string alphanumeric = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::size_t value = alphanumeric.find(static_cast<char>(b));
        CharClass expected = CharClass::Byte;
        if (b >= '0' && b <= '9') expected = CharClass::Numeric;
        else if (value != std::string::npos) expected = CharClass::Alphanumeric;
        else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEB)) expected = CharClass::Kanji;
        EXPECT_EQ(ClassOfByte(static_cast<uint8_t>(b)), expected);
        EXPECT_EQ(AlphanumericValue(static_cast<uint8_t>(b)),
                  value != std::string::npos ? static_cast<int>(value) : -1);
    }
}

TEST(QrRules, ClassifyPairsTwoByteCharactersAndRejectsBrokenKanji) {
    struct Row {
        const char* name;
        std::string message;
        int code;
    };
    const Row rows[] = {
        {"kanji pair", "\x88\x9f", 0},
        {"lone lead at end", "AB\x88", 3},
        {"lone lead only", "\xE0", 3},
        {"trail below 0x40", std::string("\x88\x20", 2), 2},
        {"trail 0x7F", "\x88\x7f", 2},
        {"trail 0xFD", "\x88\xfd", 2},
        {"0xEB beyond 13 bits", "\xeb\xc0", 2},
        {"0xEB within 13 bits", "\xeb\xbf", 0},
        {"lead beyond kanji range ends message", "x\xfa", 0},
        {"lead beyond kanji range with trail", "\xfa\x9f", 0},
    };
    for (const Row& r : rows) {
        int code = -1;
        Classes(r.message, &code);
        EXPECT_EQ(code, r.code) << r.name;
    }
    // The trail byte 0x9F after 0xFA is no Kanji lead byte.
    const auto kByte = static_cast<uint8_t>(CharClass::Byte), kKanji = static_cast<uint8_t>(CharClass::Kanji);
    const std::vector<uint8_t> c = Classes("\xfa\x9f" "1");
    EXPECT_EQ(std::vector<uint8_t>(c.begin(), c.begin() + 3),
              (std::vector<uint8_t>{kByte, kByte, static_cast<uint8_t>(CharClass::Numeric)}));
    const std::vector<uint8_t> k = Classes("\x88\x9f\x88\x9f");
    EXPECT_EQ(std::vector<uint8_t>(k.begin(), k.begin() + 4), std::vector<uint8_t>(4, kKanji));
}

TEST(QrRules, SegmentCostsInBits) {
    struct Row {
        CharClass mode;
        int length, version, bits;
    };
    const Row rows[] = {
        {CharClass::Numeric, 8, 1, 4 + 10 + 20 + 7},  {CharClass::Numeric, 7, 1, 4 + 10 + 20 + 4},
        {CharClass::Numeric, 0, 10, 4 + 12},          {CharClass::Alphanumeric, 5, 1, 4 + 9 + 22 + 6},
        {CharClass::Alphanumeric, 4, 27, 4 + 13 + 22}, {CharClass::Byte, 3, 1, 4 + 8 + 24},
        {CharClass::Byte, 3, 10, 4 + 16 + 24},        {CharClass::Kanji, 6, 1, 4 + 8 + 39},
        {CharClass::Kanji, 2, 40, 4 + 12 + 13},
    };
    for (const Row& r : rows) EXPECT_EQ(SegmentCost(r.mode, r.length, r.version), r.bits) << r.length;
}

TEST(QrRules, SegmentationByCost) {
    struct Row {
        const char* name;
        std::string message;
        std::string segments;
    };
    const Row rows[] = {
        {"digits alone", "01234567", "N8 "},
        {"upper case alone", "HELLO WORLD", "A11 "},
        {"lower case is byte", "hello", "B5 "},
        {"control and high bytes are byte", std::string("\x01\x1f\x80\xff", 4), "B4 "},
        {"kanji", "\x88\x9f\x8e\x9a", "K4 "},
        {"two digits merge into letters: 35 < 45 bits", "12AB", "A4 "},
        {"nine digits stay numeric: 74 < 79 bits", "123456789ABC", "N9 A3 "},
        {"digits inside letters join", "AB12CD", "A6 "},
        {"twelve digits join letters: 90 < 91 bits", "AB123456789012CD", "A16 "},
        {"fifteen digits split letters", "AB123456789012345CD", "A2 N15 A2 "},
        {"short digits merge into bytes", "1a", "B2 "},
        {"kanji never joins", "A\x88\x9f" "B", "A1 K2 A1 "},
        {"kanji after digits", "123\x88\x9f", "N3 K2 "},
        {"byte then letters then byte", "aBCDEFGHIJKLMNOPa", "B1 A15 B1 "},
        {"byte absorbs short letters", "aBa", "B3 "},
        {"two-byte non-kanji character stays byte", "\xfa\x9f" "12", "B4 "},
    };
    for (const Row& r : rows) EXPECT_EQ(SegmentsOf(r.message), r.segments) << r.name;
}

TEST(QrRules, MaskNumberBeyondSevenInvertsNothing) {
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) EXPECT_FALSE(MaskCondition(8, i, j));
}

std::vector<uint8_t> FromPicture(const std::vector<std::string>& rows, int stride = 0) {
    std::vector<uint8_t> m;
    for (const std::string& row : rows) {
        for (char ch : row) m.push_back(ch == '#' ? 2 : 0);
        m.resize(m.size() + static_cast<std::size_t>(std::max(0, stride - static_cast<int>(row.size()))), 2);
    }
    return m;
}

TEST(QrRules, PenaltyScoreOfSmallPicturesAndWithAWideStride) {
    struct Row {
        const char* name;
        std::vector<std::string> picture;
        int score;
    };
    const Row rows[] = {
        // 10 runs of 5 (3 each), 16 blocks (3 each), 100 % light: 50 / 5 x 10.
        {"all light", {".....", ".....", ".....", ".....", "....."}, 30 + 48 + 100},
        {"checkerboard", {"#.#.", ".#.#", "#.#.", ".#.#"}, 0},
        // Outside the symbol counts as light; 26 of 49 dark: balance 0.
        {"finder-like row",
         {"#.###.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#"},
         40},
    };
    for (const Row& r : rows) {
        const int side = static_cast<int>(r.picture.size());
        const std::vector<uint8_t> m = FromPicture(r.picture);
        EXPECT_EQ(PenaltyScore(m.data(), side, side), r.score) << r.name;
        // Dark padding beyond the side must not count.
        const std::vector<uint8_t> padded = FromPicture(r.picture, side + 3);
        EXPECT_EQ(PenaltyScore(padded.data(), side, side + 3), r.score) << r.name;
    }
}

TEST(QrRules, FormatInformationWordsOfTheStandardsTable) {
    EXPECT_EQ(FormatInformation(0, 0), 0x77C4u);  // L, mask 0
    EXPECT_EQ(FormatInformation(1, 0), 0x5412u);  // M, mask 0: all data bits zero
    EXPECT_EQ(FormatInformation(2, 7), 0x2BEDu);  // Q, mask 7
    EXPECT_EQ(FormatInformation(3, 5), 0x0255u);  // H, mask 5
}

}  // namespace
}  // namespace sgry::qr
