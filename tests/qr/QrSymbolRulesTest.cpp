// The encoder's rules one by one: classes, costs, segmentation,
// Reed-Solomon, masks, penalty score, format information.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QrReference.h"
#include "qr/QrSymbolRules.h"

namespace sgry::qr {
namespace {

std::vector<uint8_t> Classes(const std::string& message, int* code = nullptr) {
    std::vector<uint8_t> classes(message.size() + 1, 0xFF);
    const int c = ClassifyMessage(reinterpret_cast<const uint8_t*>(message.data()), static_cast<int>(message.size()),
                                  classes.data());
    if (code) *code = c;
    return classes;
}

std::string SegmentsOf(const std::string& message, int version = 1) {
    const std::vector<uint8_t> classes = Classes(message);
    std::string out;
    const int end = static_cast<int>(message.size());
    for (int pos = 0; pos < end;) {
        const Segment s = NextSegment(classes.data(), pos, end, version);
        EXPECT_EQ(s.start, pos);
        EXPECT_GT(s.length, 0);
        out += "NAB K"[static_cast<int>(s.mode) == 3 ? 4 : static_cast<int>(s.mode)];
        out += std::to_string(s.length) + " ";
        pos += s.length;
    }
    return out;
}

TEST(QrRules, CharacterClassesByByteValue) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        CharClass expected = CharClass::Byte;
        if (b >= '0' && b <= '9') expected = CharClass::Numeric;
        else if ((b >= 'A' && b <= 'Z') || std::string(" $%*+-./:").find(static_cast<char>(b)) != std::string::npos)
            expected = CharClass::Alphanumeric;
        else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEB)) expected = CharClass::Kanji;
        EXPECT_EQ(ClassOfByte(static_cast<uint8_t>(b)), expected);
    }
    EXPECT_EQ(ClassOfByte('a'), CharClass::Byte);
    EXPECT_EQ(ClassOfByte(0x00), CharClass::Byte);
    EXPECT_EQ(ClassOfByte(0xEC), CharClass::Byte);
}

TEST(QrRules, AlphanumericValuesAsAssigned) {
    const std::string order = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(AlphanumericValue(static_cast<uint8_t>(order[i])), static_cast<int>(i));
    EXPECT_EQ(AlphanumericValue('a'), -1);
    EXPECT_EQ(AlphanumericValue('#'), -1);
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
    const std::vector<uint8_t> c = Classes("\xfa\x9f" "1");
    EXPECT_EQ(c[0], static_cast<uint8_t>(CharClass::Byte));
    EXPECT_EQ(c[1], static_cast<uint8_t>(CharClass::Byte));
    EXPECT_EQ(c[2], static_cast<uint8_t>(CharClass::Numeric));
    const std::vector<uint8_t> k = Classes("\x88\x9f\x88\x9f");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(k[i], static_cast<uint8_t>(CharClass::Kanji));
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
        // Two digits before letters: one alphanumeric segment is cheaper (35 < 45 bits).
        {"short digits merge into letters", "12AB", "A4 "},
        // Nine digits before three letters: two segments are cheaper (74 < 79).
        {"long digits stay numeric", "123456789ABC", "N9 A3 "},
        // Letters with a digit run inside: one segment unless the digits are long.
        {"digits inside letters join", "AB12CD", "A6 "},
        // Twelve digits: 91 bits apart against 90 joined, so they join; fifteen split.
        {"twelve digits join letters", "AB123456789012CD", "A16 "},
        {"fifteen digits split letters", "AB123456789012345CD", "A2 N15 A2 "},
        // A wide byte run after a short numeric run swallows it.
        {"short digits merge into bytes", "1a", "B2 "},
        {"kanji never joins", "A\x88\x9f" "B", "A1 K2 A1 "},
        {"kanji after digits", "123\x88\x9f", "N3 K2 "},
        {"byte then letters then byte", "aBCDEFGHIJKLMNOPa", "B1 A15 B1 "},
        {"byte absorbs short letters", "aBa", "B3 "},
        {"two-byte non-kanji character stays byte", "\xfa\x9f" "12", "B4 "},
    };
    for (const Row& r : rows) EXPECT_EQ(SegmentsOf(r.message), r.segments) << r.name;
}

TEST(QrRules, ReedSolomonOfTheStandardsExample) {
    // "01234567" at 1-M: the data and error-correction codewords printed in the standard.
    const uint8_t data[16] = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    const uint8_t expected[10] = {0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55};
    uint8_t ec[10];
    ReedSolomonRemainder(data, 16, *GeneratorOfDegree(10), ec);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(ec[i], expected[i]) << i;
    uint8_t zero[7];
    const uint8_t zeros[5] = {};
    ReedSolomonRemainder(zeros, 5, *GeneratorOfDegree(7), zero);
    for (uint8_t z : zero) EXPECT_EQ(z, 0);
}

TEST(QrRules, MaskConditionsAtSampleModules) {
    // Modules each mask inverts in a 6 x 6 corner (counted independently of this code).
    const int expected[8] = {18, 18, 12, 12, 18, 15, 23, 18};
    for (int mask = 0; mask < 8; ++mask) {
        int n = 0;
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j) n += MaskCondition(mask, i, j) ? 1 : 0;
        EXPECT_EQ(n, expected[mask]) << mask;
    }
    EXPECT_TRUE(MaskCondition(4, 0, 0));
    EXPECT_FALSE(MaskCondition(4, 2, 0));
    EXPECT_TRUE(MaskCondition(4, 2, 3));
    EXPECT_TRUE(MaskCondition(5, 3, 0));
    EXPECT_FALSE(MaskCondition(5, 1, 1));
    EXPECT_FALSE(MaskCondition(8, 0, 0));
}

std::vector<uint8_t> FromPicture(const std::vector<std::string>& rows) {
    std::vector<uint8_t> m;
    for (const std::string& row : rows)
        for (char ch : row) m.push_back(ch == '#' ? 2 : 0);
    return m;
}

TEST(QrRules, PenaltyScoreOfSmallPictures) {
    struct Row {
        const char* name;
        std::vector<std::string> picture;
        int score;
    };
    const Row rows[] = {
        // 5 x 5 all light: 10 runs of 5 (3 each), 16 blocks (3 each), 100 % light: 50 / 5 x 10.
        {"all light", {".....", ".....", ".....", ".....", "....."}, 30 + 48 + 100},
        // Checkerboard 4 x 4: no runs, no blocks, exactly half dark.
        {"checkerboard", {"#.#.", ".#.#", "#.#.", ".#.#"}, 0},
        // Finder-like row with light neighbours on both sides (7 wide: outside counts as light).
        {"finder-like row",
         {"#.###.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#"},
         40},  // 26 of 49 dark: balance 0
    };
    for (const Row& r : rows) {
        const int side = static_cast<int>(r.picture.size());
        const std::vector<uint8_t> m = FromPicture(r.picture);
        EXPECT_EQ(PenaltyScore(m.data(), side, side), r.score) << r.name;
        std::vector<bool> dark;
        for (uint8_t b : m) dark.push_back(b != 0);
        EXPECT_EQ(test::ReferencePenalty(dark, side), r.score) << r.name;
    }
    // A dark neighbour before the pattern spoils it; a stride wider than the side is honoured.
    const std::vector<uint8_t> spoiled = FromPicture({"##.###.#."});
    EXPECT_EQ(PenaltyScore(spoiled.data(), 1, 9), PenaltyScore(spoiled.data(), 1, 9));
    std::vector<uint8_t> wide(9 * 9, 0);
    const std::vector<uint8_t> row = FromPicture({"##.###.#."});
    std::vector<bool> dark(81, false);
    for (int c = 0; c < 9; ++c) {
        wide[c] = row[static_cast<std::size_t>(c)];
        dark[static_cast<std::size_t>(c)] = row[static_cast<std::size_t>(c)] != 0;
    }
    EXPECT_EQ(PenaltyScore(wide.data(), 9, 9), test::ReferencePenalty(dark, 9));
}

TEST(QrRules, PenaltyScoreAgreesWithTheSlowReadingOnRandomPictures) {
    uint32_t seed = 12345;
    for (int trial = 0; trial < 50; ++trial) {
        const int side = 21 + (trial % 5) * 4;
        std::vector<uint8_t> m(static_cast<std::size_t>(side * side));
        std::vector<bool> dark(m.size());
        for (std::size_t i = 0; i < m.size(); ++i) {
            seed = seed * 1103515245u + 12345u;
            // Biased towards runs so that every rule fires.
            const bool d = (seed >> 16) % 7 < (trial % 2 ? 3u : 5u);
            m[i] = d ? 2 : 0;
            dark[i] = d;
        }
        EXPECT_EQ(PenaltyScore(m.data(), side, side), test::ReferencePenalty(dark, side)) << trial;
    }
}

TEST(QrRules, FormatInformationWords) {
    // Values of the standard's format information table.
    EXPECT_EQ(FormatInformation(0, 0), 0x77C4u);  // L, mask 0
    EXPECT_EQ(FormatInformation(1, 0), 0x5412u);  // M, mask 0: all data bits zero
    EXPECT_EQ(FormatInformation(2, 7), 0x2BEDu);  // Q, mask 7
    EXPECT_EQ(FormatInformation(3, 5), 0x0255u);  // H, mask 5
    for (int l = 0; l < 4; ++l)
        for (int m = 0; m < 8; ++m) EXPECT_LT(FormatInformation(l, m), 1u << 15);
}

TEST(QrRules, FormatAndVersionPositionsAroundTheFinders) {
    const int side = 21;
    EXPECT_EQ(FormatBitPosition(0, 0, side).row, 0);
    EXPECT_EQ(FormatBitPosition(6, 0, side).row, 7);  // skips the timing row
    EXPECT_EQ(FormatBitPosition(9, 0, side).column, 5);  // skips the timing column
    EXPECT_EQ(FormatBitPosition(14, 0, side).column, 0);
    EXPECT_EQ(FormatBitPosition(0, 1, side).column, 20);
    EXPECT_EQ(FormatBitPosition(7, 1, side).column, 13);
    EXPECT_EQ(FormatBitPosition(8, 1, side).row, 14);
    EXPECT_EQ(FormatBitPosition(14, 1, side).row, 20);
    const ModulePosition v0 = VersionBitPosition(0, 0, 45);
    EXPECT_EQ(v0.row, 0);
    EXPECT_EQ(v0.column, 34);
    const ModulePosition v17 = VersionBitPosition(17, 1, 45);
    EXPECT_EQ(v17.row, 36);
    EXPECT_EQ(v17.column, 5);
}

}  // namespace
}  // namespace sgry::qr
