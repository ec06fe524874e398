// The encoder's tables against the rules that define them. Layout, alignment
// centres, count widths, Galois field, generators and version information are
// judged for every version and level by zbarimg in QrZbarTest.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "qr/QrEncoder.h"
#include "qr/QrTables.h"

namespace sgry::qr {
namespace {

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
