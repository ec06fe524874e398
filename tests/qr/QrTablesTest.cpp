// The encoder's tables against the rules that define them.
#include <gtest/gtest.h>

#include <set>

#include "QrReference.h"
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

TEST(QrTables, SideTotalCodewordsAndRemainderBitsFollowTheLayout) {
    for (int v = 1; v <= 40; ++v) {
        SCOPED_TRACE(v);
        const std::vector<bool> function = test::ReferenceFunctionModules(v);
        int raw = 0;
        for (bool f : function) raw += f ? 0 : 1;
        EXPECT_EQ(SymbolSide(v) * SymbolSide(v), static_cast<int>(function.size()));
        EXPECT_EQ(VersionAt(v).totalCodewords, raw / 8);
        EXPECT_EQ(VersionAt(v).remainderBits, raw % 8);
        EXPECT_EQ(QrEncoder::SideWithQuietZone(v), 17 + 4 * v + 8);
        EXPECT_EQ(QrEncoder::MatrixBytes(v), static_cast<std::size_t>((25 + 4 * v) * (25 + 4 * v)));
    }
    EXPECT_EQ(VersionAt(1).totalCodewords, 26);
    EXPECT_EQ(VersionAt(40).totalCodewords, kMaxCodewords);
    EXPECT_EQ(VersionAt(2).remainderBits, 7);
    EXPECT_EQ(VersionAt(14).remainderBits, 3);
    EXPECT_EQ(VersionAt(21).remainderBits, 4);
    EXPECT_EQ(VersionAt(40).remainderBits, 0);
}

TEST(QrTables, CountIndicatorWidthsByVersionRange) {
    struct Row {
        int version;
        int numeric, alphanumeric, byte, kanji;
    };
    for (const Row& r : {Row{1, 10, 9, 8, 8}, Row{9, 10, 9, 8, 8}, Row{10, 12, 11, 16, 10}, Row{26, 12, 11, 16, 10},
                         Row{27, 14, 13, 16, 12}, Row{40, 14, 13, 16, 12}}) {
        SCOPED_TRACE(r.version);
        EXPECT_EQ(CountIndicatorBits(Mode::Numeric, r.version), r.numeric);
        EXPECT_EQ(CountIndicatorBits(Mode::Alphanumeric, r.version), r.alphanumeric);
        EXPECT_EQ(CountIndicatorBits(Mode::Byte, r.version), r.byte);
        EXPECT_EQ(CountIndicatorBits(Mode::Kanji, r.version), r.kanji);
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
            const test::ReferenceBlocks ref = test::ReferenceBlockStructure(v, l);
            EXPECT_EQ(ec, ref.ecPerBlock);
            EXPECT_EQ(static_cast<int>(ref.dataPerBlock.size()), g1.blocks + g2.blocks);
            EXPECT_EQ(ref.dataPerBlock.front(), g1.dataCodewords);
            for (int m = 0; m < 4; ++m) EXPECT_EQ(t.capacity[m], CapacityByRule(m, v, t.dataCodewords * 8)) << m;
        }
    }
    // A few rows of the standard's table as printed.
    EXPECT_EQ(LevelAt(1, 0).dataCodewords, 19);
    EXPECT_EQ(LevelAt(1, 0).groups[0].codewords, 26);
    EXPECT_EQ(LevelAt(5, 2).groups[0].blocks, 2);
    EXPECT_EQ(LevelAt(5, 2).groups[0].codewords, 33);
    EXPECT_EQ(LevelAt(5, 2).groups[0].dataCodewords, 15);
    EXPECT_EQ(LevelAt(5, 2).groups[1].blocks, 2);
    EXPECT_EQ(LevelAt(5, 2).groups[1].codewords, 34);
    EXPECT_EQ(LevelAt(40, 0).dataCodewords, kMaxDataCodewords);
    EXPECT_EQ(LevelAt(40, 3).dataCodewords, 1276);
    EXPECT_EQ(LevelAt(40, 0).capacity[0], 7089);
    EXPECT_EQ(LevelAt(40, 0).capacity[1], 4296);
    EXPECT_EQ(LevelAt(40, 0).capacity[2], 2953);
    EXPECT_EQ(LevelAt(40, 0).capacity[3], 1817);
    EXPECT_EQ(LevelAt(1, 3).capacity[0], 17);
}

TEST(QrTables, AlignmentCentresFollowTheSpacingRule) {
    for (int v = 1; v <= 40; ++v) {
        SCOPED_TRACE(v);
        const std::vector<int> expected = test::ReferenceAlignmentCentres(v);
        const AlignmentCentres& actual = kAlignmentCentres[v - 1];
        ASSERT_EQ(actual.count, expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual.coordinates[i], expected[i]);
    }
    EXPECT_EQ(kAlignmentCentres[31].coordinates[1], 34);  // version 32 spaces by 26
}

TEST(QrTables, GaloisFieldTablesInvertEachOther) {
    const GaloisTables& gf = Galois();
    std::set<int> seen;
    for (int i = 0; i < 255; ++i) {
        seen.insert(gf.exp[i]);
        EXPECT_EQ(gf.log[gf.exp[i]], i);
        EXPECT_EQ(gf.exp[i + 255], gf.exp[i]);
    }
    EXPECT_EQ(seen.size(), 255u);
    EXPECT_EQ(gf.exp[8], 0x1D);  // alpha^8 = x^4 + x^3 + x^2 + 1 under 0x11D
}

TEST(QrTables, GeneratorPolynomialsAreProductsOfRootFactors) {
    const GaloisTables& gf = Galois();
    std::set<int> needed;
    for (int v = 1; v <= 40; ++v)
        for (int l = 0; l < 4; ++l) needed.insert(LevelAt(v, l).groups[0].codewords - LevelAt(v, l).groups[0].dataCodewords);
    EXPECT_EQ(needed, (std::set<int>{7, 10, 13, 15, 16, 17, 18, 20, 22, 24, 26, 28, 30}));
    std::set<int> stored;
    for (const GeneratorPolynomial& g : kGeneratorPolynomials) {
        SCOPED_TRACE(g.degree);
        stored.insert(g.degree);
        // Multiply out (x - alpha^0)(x - alpha^1)...(x - alpha^(n-1)), highest power first.
        std::vector<int> poly{1};
        for (int i = 0; i < g.degree; ++i) {
            std::vector<int> next(poly.size() + 1, 0);
            for (std::size_t j = 0; j < poly.size(); ++j) {
                next[j] ^= poly[j];
                if (poly[j] != 0) next[j + 1] ^= gf.exp[(gf.log[poly[j]] + i) % 255];
            }
            poly = next;
        }
        for (int j = 0; j <= g.degree; ++j) {
            ASSERT_NE(poly[j], 0);
            EXPECT_EQ(g.exponents[j], gf.log[poly[j]]) << j;
        }
    }
    EXPECT_EQ(stored, needed);
    // The standard's printed generator of degree 7.
    const uint8_t degree7[] = {0, 87, 229, 146, 149, 238, 102, 21};
    for (int j = 0; j < 8; ++j) EXPECT_EQ(GeneratorOfDegree(7)->exponents[j], degree7[j]);
    EXPECT_EQ(GeneratorOfDegree(8), nullptr);
}

TEST(QrTables, VersionInformationIsTheBchCodeOfTheVersion) {
    for (int v = 7; v <= 40; ++v) {
        SCOPED_TRACE(v);
        uint32_t remainder = static_cast<uint32_t>(v) << 12;
        for (int bit = 17; bit >= 12; --bit)
            if (remainder >> bit & 1) remainder ^= 0x1F25u << (bit - 12);
        EXPECT_EQ(kVersionInformation[v - 7], (static_cast<uint32_t>(v) << 12) | remainder);
    }
    EXPECT_EQ(kVersionInformation[0], 0x07C94u);
    EXPECT_EQ(kVersionInformation[33], 0x28C69u);
}

}  // namespace
}  // namespace sgry::qr
