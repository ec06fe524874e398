// The encoder's rules one by one: classes, costs, segmentation, penalty score,
// format information; and its tables against the rules that define them.
// Reed-Solomon, masks, module positions, layout, alignment centres, count
// widths, Galois field, generators and version information are judged end to
// end, for every version and level, by zbarimg in QrEncoderTest.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "qr/QrEncoder.h"
#include "qr/QrSymbolRules.h"
#include "qr/QrTables.h"
#include "support/Manifest.h"

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

// The rows of tests/data/qr/messages.tsv: the codes of broken Kanji and the
// segments a message is cut into.
TEST(QrRules, ClassifyAndSegmentationRowsOfTheManifest) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("qr/messages.tsv");
    ASSERT_GT(rows.size(), 20u);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("messages.tsv line " + std::to_string(row.line) + " " + row.cells.back());
        int code = -1;
        Classes(row[1], &code);
        EXPECT_EQ(row[0] == "classify" ? std::to_string(code) : SegmentsOf(row[1]), row[2]);
    }
}

TEST(QrRules, TwoByteCharactersArePairedOnlyAfterAKanjiLeadByte) {
    // The trail byte 0x9F after 0xFA is no Kanji lead byte.
    const auto kByte = static_cast<uint8_t>(CharClass::Byte), kKanji = static_cast<uint8_t>(CharClass::Kanji);
    const std::vector<uint8_t> c = Classes("\xfa\x9f" "1");
    EXPECT_EQ(std::vector<uint8_t>(c.begin(), c.begin() + 3),
              (std::vector<uint8_t>{kByte, kByte, static_cast<uint8_t>(CharClass::Numeric)}));
    const std::vector<uint8_t> k = Classes("\x88\x9f\x88\x9f");
    EXPECT_EQ(std::vector<uint8_t>(k.begin(), k.begin() + 4), std::vector<uint8_t>(4, kKanji));
}

TEST(QrRules, SegmentCostsInBits) {
    struct Row { CharClass mode; int length, version, bits; };
    const Row rows[] = {
        {CharClass::Numeric, 8, 1, 4 + 10 + 20 + 7},  {CharClass::Numeric, 7, 1, 4 + 10 + 20 + 4},
        {CharClass::Numeric, 0, 10, 4 + 12},          {CharClass::Alphanumeric, 5, 1, 4 + 9 + 22 + 6},
        {CharClass::Alphanumeric, 4, 27, 4 + 13 + 22}, {CharClass::Byte, 3, 1, 4 + 8 + 24},
        {CharClass::Byte, 3, 10, 4 + 16 + 24},        {CharClass::Kanji, 6, 1, 4 + 8 + 39},
        {CharClass::Kanji, 2, 40, 4 + 12 + 13},
    };
    for (const Row& r : rows) EXPECT_EQ(SegmentCost(r.mode, r.length, r.version), r.bits) << r.length;
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
    struct Row { const char* name; std::vector<std::string> picture; int score; };
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

int MisdecodeProtection(int version, int level) {
    static const int kVersion1[4] = {3, 2, 1, 1};
    if (version == 1) return kVersion1[level];
    if (version == 2 && level == 0) return 2;
    if (version == 3 && level == 0) return 1;
    return 0;
}

// Characters of a mode that fit in the data bits of a single segment.
int CapacityByRule(int modeIndex, int version, int dataBits) {
    static const Mode kModes[4] = {Mode::Numeric, Mode::Alphanumeric, Mode::Byte, Mode::Kanji};
    const int free = dataBits - 4 - CountIndicatorBits(kModes[modeIndex], version);
    int n = 0;
    for (;; ++n) {
        const int m = n + 1;
        const int bits = modeIndex == 0   ? 10 * (m / 3) + (m % 3 == 1 ? 4 : m % 3 == 2 ? 7 : 0)
                         : modeIndex == 1 ? 11 * (m / 2) + 6 * (m % 2)
                         : modeIndex == 2 ? 8 * m
                                          : 13 * m;
        if (bits > free) return n;
    }
}

TEST(QrTables, BlockStructuresAddUpAndMatchTheErrorCorrectionTable) {
    for (int v = 1; v <= 40; ++v) {
        for (int l = 0; l < 4; ++l) {
            SCOPED_TRACE(testing::Message() << v << "-" << "LMQH"[l]);
            const LevelTable& t = LevelAt(v, l);
            const BlockGroup& g1 = t.groups[0];
            const BlockGroup& g2 = t.groups[1];
            ASSERT_GT(g1.blocks, 0);
            const int ec = g1.codewords - g1.dataCodewords;
            EXPECT_EQ(g1.blocks * g1.codewords + g2.blocks * g2.codewords, VersionAt(v).totalCodewords);
            EXPECT_EQ(g1.blocks * g1.dataCodewords + g2.blocks * g2.dataCodewords, t.dataCodewords);
            if (g2.blocks > 0) {
                EXPECT_EQ(g2.codewords, g1.codewords + 1);
                EXPECT_EQ(g2.dataCodewords, g1.dataCodewords + 1);
                EXPECT_EQ(g2.correctable, g1.correctable);
            } else {
                EXPECT_EQ(g2.codewords, 0);
            }
            EXPECT_EQ(g1.correctable, (ec - MisdecodeProtection(v, l)) / 2);
            EXPECT_NE(GeneratorOfDegree(ec), nullptr);
            for (int m = 0; m < 4; ++m) EXPECT_EQ(t.capacity[m], CapacityByRule(m, v, t.dataCodewords * 8)) << m;
        }
    }
    EXPECT_EQ(GeneratorOfDegree(8), nullptr);
    // Printed values of the standard's tables.
    EXPECT_EQ(VersionAt(1).totalCodewords, 26);
    EXPECT_EQ(VersionAt(40).totalCodewords, kMaxCodewords);
    EXPECT_EQ(QrEncoder::MatrixBytes(40), 185u * 185u);
    const int remainders[][2] = {{2, 7}, {14, 3}, {21, 4}, {40, 0}};
    for (const auto& [version, bits] : remainders) EXPECT_EQ(VersionAt(version).remainderBits, bits) << version;
    // A few rows of the standard's table as printed.
    const BlockGroup* q5 = LevelAt(5, 2).groups;
    EXPECT_EQ((std::vector<int>{q5[0].blocks, q5[0].codewords, q5[0].dataCodewords, q5[1].blocks, q5[1].codewords}),
              (std::vector<int>{2, 33, 15, 2, 34}));
    EXPECT_EQ(LevelAt(1, 0).dataCodewords, 19);
    EXPECT_EQ(LevelAt(40, 0).dataCodewords, kMaxDataCodewords);
    EXPECT_EQ(LevelAt(40, 3).dataCodewords, 1276);
    const auto& c40 = LevelAt(40, 0).capacity;
    EXPECT_EQ(std::vector<int>(std::begin(c40), std::end(c40)), (std::vector<int>{7089, 4296, 2953, 1817}));
    EXPECT_EQ(LevelAt(1, 3).capacity[0], 17);
}

}  // namespace
}  // namespace sgry::qr
