// The encoder end to end, read back by the slow reference reader.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "QrReference.h"
#include "qr/QrEncoder.h"
#include "qr/QrSymbolRules.h"

namespace sgry {
namespace {

struct Encoded {
    bool ok = false;
    int code = 0;
    int version = 0;
    int level = 0;
    QrMatrix matrix;
};

class EncoderTest : public testing::Test {
protected:
    std::unique_ptr<QrEncoder> encoder = std::make_unique<QrEncoder>();

    Encoded Fixed(const std::string& message, int version, int level) {
        Encoded e;
        e.ok = encoder->EncodeFixed(message, version, level, e.matrix);
        e.code = encoder->ErrorCode();
        e.version = version;
        e.level = level;
        return e;
    }
    Encoded Auto(const std::string& message) {
        Encoded e;
        e.ok = encoder->EncodeAuto(message, e.matrix, e.version, e.level);
        e.code = encoder->ErrorCode();
        return e;
    }
    test::ReferenceSymbol Read(const Encoded& e) {
        return test::ReadSymbol(e.matrix.modules.get(), QrEncoder::SideWithQuietZone(e.version));
    }
};

std::string Repeat(const std::string& unit, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += unit;
    return s;
}

TEST_F(EncoderTest, StandardsExampleAtOneM) {
    const Encoded e = Fixed("01234567", 1, QrEncoder::kLevelM);
    ASSERT_TRUE(e.ok) << e.code;
    // Data then error-correction codewords, as printed in the standard.
    const std::vector<uint8_t> expected = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC,
                                           0x11, 0xEC, 0x11, 0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55};
    EXPECT_EQ(std::vector<uint8_t>(encoder->FinalCodewords(), encoder->FinalCodewords() + 26), expected);
    ASSERT_EQ(e.matrix.byteCount, 29u * 29u);
    const test::ReferenceSymbol s = Read(e);
    ASSERT_EQ(s.error, "");
    EXPECT_EQ(s.message, "01234567");
    EXPECT_EQ(s.level, QrEncoder::kLevelM);
    EXPECT_EQ(s.mask, encoder->ChosenMask());
    EXPECT_EQ(s.modeSequence, std::vector<uint8_t>{1});
    EXPECT_EQ(encoder->DataBitCount(), 41);
}

TEST_F(EncoderTest, EveryVersionAndLevelReadsBack) {
    // A mixed message (numeric, alphanumeric, byte and Kanji runs) near the
    // byte capacity of each version and level.
    const std::string unit = "0123456789012 HELLO QR abc\x88\x9f\x8e\x9a\x01\xfe";
    for (int v = 1; v <= 40; ++v) {
        for (int l = 0; l < 4; ++l) {
            SCOPED_TRACE(testing::Message() << v << "-" << "LMQH"[l]);
            const int capacity = qr::LevelAt(v, l).capacity[2];
            std::string message = Repeat(unit, capacity / static_cast<int>(unit.size()) + 1);
            message.resize(static_cast<std::size_t>(capacity));
            // Shorten until it fits, never cutting a Kanji character in two.
            while (!encoder->CheckFits(message, v, l)) {
                message.pop_back();
                std::vector<uint8_t> classes(message.size() + 1);
                while (qr::ClassifyMessage(reinterpret_cast<const uint8_t*>(message.data()),
                                           static_cast<int>(message.size()), classes.data()) != 0)
                    message.pop_back();
            }
            const Encoded e = Fixed(message, v, l);
            ASSERT_TRUE(e.ok) << e.code;
            const test::ReferenceSymbol s = Read(e);
            ASSERT_EQ(s.error, "");
            EXPECT_EQ(s.version, v);
            EXPECT_EQ(s.level, l);
            EXPECT_EQ(s.mask, encoder->ChosenMask());
            EXPECT_EQ(s.message, message);
            EXPECT_EQ(s.dataBits, encoder->DataBitCount());
            const int dataCodewords = qr::LevelAt(v, l).dataCodewords;
            ASSERT_EQ(static_cast<int>(s.dataCodewords.size()), dataCodewords);
            ASSERT_EQ(s.dataCodewords, std::vector<uint8_t>(encoder->DataCodewords(), encoder->DataCodewords() + dataCodewords));
            // After the segments: a terminator, zero bits to the byte, then 236, 17, ...
            const int firstPad = (s.dataBits + 4 + 7) / 8;
            for (int i = firstPad; i < dataCodewords; ++i)
                EXPECT_EQ(s.dataCodewords[static_cast<std::size_t>(i)], (i - firstPad) % 2 == 0 ? 236 : 17) << i;
        }
    }
}

TEST_F(EncoderTest, ModeSelection) {
    struct Row {
        const char* name;
        std::string message;
        std::vector<uint8_t> modes;
        int bits;
    };
    const Row rows[] = {
        {"lower case is byte mode", "hello", {4}, 4 + 8 + 40},
        {"digits then letters merge when shorter", "12AB", {2}, 4 + 9 + 22},
        {"kanji 13 bits per character", "\x88\x9f\x8e\x9a\x8e\x9a", {8}, 4 + 8 + 39},
        {"mixed", "\x88\x9f" "ABC123456789012abc", {8, 2, 1, 4}, 0},
        {"two-byte character beyond the Kanji range stays whole", "\xfa\x9f", {4}, 4 + 8 + 16},
    };
    for (const Row& r : rows) {
        const Encoded e = Fixed(r.message, 5, QrEncoder::kLevelL);
        ASSERT_TRUE(e.ok) << r.name;
        const test::ReferenceSymbol s = Read(e);
        ASSERT_EQ(s.error, "") << r.name;
        EXPECT_EQ(s.message, r.message) << r.name;
        EXPECT_EQ(s.modeSequence, r.modes) << r.name;
        if (r.bits) {
            EXPECT_EQ(encoder->DataBitCount(), r.bits) << r.name;
        }
    }
}

TEST_F(EncoderTest, CapacitiesOfTheTableAreExact) {
    const std::string units[4] = {"7", "Z", "z", "\x88\x9f"};
    for (int v : {1, 2, 9, 10, 26, 27, 40}) {
        for (int l = 0; l < 4; ++l) {
            for (int m = 0; m < 4; ++m) {
                SCOPED_TRACE(testing::Message() << v << "-" << "LMQH"[l] << " mode " << m);
                const int capacity = qr::LevelAt(v, l).capacity[m];
                EXPECT_TRUE(encoder->CheckFits(Repeat(units[m], capacity), v, l));
                EXPECT_FALSE(encoder->CheckFits(Repeat(units[m], capacity + 1), v, l));
                EXPECT_EQ(encoder->ErrorCode(), QrEncoder::kDoesNotFit);
            }
        }
    }
}

TEST_F(EncoderTest, CapacityEdgesOfTheStandard) {
    const std::string digits7089(7089, '9');
    EXPECT_TRUE(Fixed(digits7089, 40, QrEncoder::kLevelL).ok);
    EXPECT_TRUE(encoder->CheckFits(digits7089, -1, -1));
    const Encoded big = Auto(digits7089);
    EXPECT_TRUE(big.ok && big.version == 40 && big.level == QrEncoder::kLevelL);
    EXPECT_EQ(Read(big).error + Read(big).message, digits7089);

    const std::string bytes7090(7090, '9');
    for (int v : {1, 20, 40}) {
        const Encoded e = Fixed(bytes7090, v, QrEncoder::kLevelL);
        EXPECT_FALSE(e.ok);
        EXPECT_EQ(e.code, QrEncoder::kDoesNotFit);
        EXPECT_EQ(e.matrix.modules, nullptr);
        EXPECT_EQ(e.matrix.byteCount, 0u);
    }
    const Encoded tooLong = Auto(bytes7090);
    EXPECT_FALSE(tooLong.ok);
    EXPECT_EQ(tooLong.code, QrEncoder::kDoesNotFit);
    EXPECT_EQ(tooLong.version + tooLong.level, 0);
    EXPECT_FALSE(encoder->CheckFits(bytes7090, -1, -1));

    EXPECT_TRUE(Fixed(std::string(17, '1'), 1, QrEncoder::kLevelH).ok);
    const Encoded eighteen = Fixed(std::string(18, '1'), 1, QrEncoder::kLevelH);
    EXPECT_FALSE(eighteen.ok);
    EXPECT_EQ(eighteen.code, QrEncoder::kDoesNotFit);

    const Encoded bytes2954 = Auto(std::string(2954, 'a'));
    EXPECT_FALSE(bytes2954.ok);
    EXPECT_EQ(bytes2954.code, QrEncoder::kDoesNotFit);
}

TEST_F(EncoderTest, AutomaticChoiceTakesTheSmallestVersionAndHighestLevel) {
    const Encoded shortOne = Auto("HELLO");
    ASSERT_TRUE(shortOne.ok);
    EXPECT_EQ(shortOne.version, 1);
    EXPECT_EQ(shortOne.level, QrEncoder::kLevelH);
    // 18 digits exceed 1-H (17) and land at 1-Q.
    const Encoded eighteen = Auto(std::string(18, '5'));
    EXPECT_EQ(eighteen.version, 1);
    EXPECT_EQ(eighteen.level, QrEncoder::kLevelQ);
    // 42 digits exceed 1-L (41): version 2, whose H holds 34 digits, Q 48.
    const Encoded fortyTwo = Auto(std::string(42, '5'));
    EXPECT_EQ(fortyTwo.version, 2);
    EXPECT_EQ(fortyTwo.level, QrEncoder::kLevelQ);
    for (int n : {100, 1000, 2000}) {
        const Encoded e = Auto(std::string(static_cast<std::size_t>(n), 'x'));
        ASSERT_TRUE(e.ok);
        EXPECT_FALSE(encoder->CheckFits(std::string(static_cast<std::size_t>(n), 'x'), e.version - 1, QrEncoder::kLevelL));
        if (e.level < QrEncoder::kLevelH) {
            EXPECT_FALSE(encoder->CheckFits(std::string(static_cast<std::size_t>(n), 'x'), e.version, e.level + 1));
        }
    }
}

TEST_F(EncoderTest, EmptyMessageIsTerminatorAndPaddingAlone) {
    EXPECT_TRUE(encoder->CheckFits("", -1, -1));
    EXPECT_TRUE(encoder->CheckFits("", 1, QrEncoder::kLevelH));
    const Encoded e = Auto("");
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.version, 1);
    EXPECT_EQ(e.level, QrEncoder::kLevelH);
    EXPECT_EQ(std::vector<uint8_t>(encoder->DataCodewords(), encoder->DataCodewords() + 9),
              (std::vector<uint8_t>{0x00, 236, 17, 236, 17, 236, 17, 236, 17}));
    const test::ReferenceSymbol s = Read(e);
    EXPECT_EQ(s.error, "");
    EXPECT_EQ(s.message, "");
    EXPECT_TRUE(s.modeSequence.empty());
}

TEST_F(EncoderTest, BrokenKanjiIsRefusedWithItsOwnCode) {
    struct Row {
        const char* name;
        std::string message;
        int code;
    };
    const Row rows[] = {
        {"lone lead byte", "ABC\x88", QrEncoder::kLoneKanjiLeadByte},
        {"bad trail byte", std::string("\x88\x0a" "xyz", 5), QrEncoder::kBadKanjiTrailByte},
        {"trail beyond Kanji mode", "\xeb\xfc", QrEncoder::kBadKanjiTrailByte},
    };
    for (const Row& r : rows) {
        const Encoded fixed = Fixed(r.message, 10, QrEncoder::kLevelL);
        EXPECT_FALSE(fixed.ok) << r.name;
        EXPECT_EQ(fixed.code, r.code) << r.name;
        EXPECT_EQ(fixed.matrix.modules, nullptr) << r.name;
        const Encoded automatic = Auto(r.message);
        EXPECT_FALSE(automatic.ok) << r.name;
        EXPECT_EQ(automatic.code, r.code) << r.name;
        EXPECT_EQ(automatic.version, 0) << r.name;
        EXPECT_FALSE(encoder->CheckFits(r.message, -1, -1)) << r.name;
        EXPECT_EQ(encoder->ErrorCode(), r.code) << r.name;
    }
}

TEST_F(EncoderTest, VersionAndLevelOutOfRangeFail) {
    for (int v : {0, -1, 41}) EXPECT_FALSE(Fixed("1", v, 0).ok) << v;
    for (int l : {-1, 4}) EXPECT_FALSE(Fixed("1", 1, l).ok) << l;
    EXPECT_EQ(encoder->ErrorCode(), QrEncoder::kDoesNotFit);
    EXPECT_FALSE(encoder->CheckFits("1", -2, 0));
    EXPECT_FALSE(encoder->CheckFits("1", 1, -2));
    EXPECT_TRUE(encoder->CheckFits("1", 1, -1));
}

class FailingAllocation : public QrEncoder {
protected:
    std::unique_ptr<uint8_t[]> AllocateMatrix(std::size_t) override { return nullptr; }
};

TEST(QrEncoderAllocation, FailureIsCodeFourWithNothingHandedOut) {
    auto encoder = std::make_unique<FailingAllocation>();
    QrMatrix m;
    EXPECT_FALSE(encoder->EncodeFixed("ABC", 1, 0, m));
    EXPECT_EQ(encoder->ErrorCode(), QrEncoder::kOutOfMemory);
    EXPECT_EQ(m.modules, nullptr);
    int version = -5, level = -5;
    EXPECT_FALSE(encoder->EncodeAuto("ABC", m, version, level));
    EXPECT_EQ(encoder->ErrorCode(), QrEncoder::kOutOfMemory);
    EXPECT_EQ(version, 0);
    EXPECT_EQ(level, 0);
    EXPECT_FALSE(encoder->CheckFits("ABC", 1, 0));
}

// Scores of all eight masks for the symbol just encoded, recomputed from the
// output: unmask with the chosen mask, blank format and version information
// and the dark module, apply each mask, score with the slow reading.
std::vector<int> AllMaskScores(const QrEncoder& encoder, const QrMatrix& matrix, int version) {
    const int side = qr::SymbolSide(version);
    const int n = side + 8;
    const std::vector<bool> function = test::ReferenceFunctionModules(version);
    std::vector<int> scores;
    for (int mask = 0; mask < 8; ++mask) {
        std::vector<bool> dark(static_cast<std::size_t>(side * side));
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c) {
                const bool out = matrix.modules[static_cast<std::size_t>((r + 4) * n + c + 4)] != 0;
                const bool isFunction = function[static_cast<std::size_t>(r * side + c)];
                bool value;
                if (isFunction) {
                    // Format, version and dark module are light while masks are scored.
                    const bool formatOrVersion =
                        (r == 8 && (c <= 8 || c >= side - 8) && c != 6) || (c == 8 && (r <= 8 || r >= side - 8) && r != 6) ||
                        (version >= 7 && ((r < 6 && c >= side - 11 && c < side - 8) || (c < 6 && r >= side - 11 && r < side - 8)));
                    value = formatOrVersion ? false : out;
                } else {
                    const bool data = out != qr::MaskCondition(encoder.ChosenMask(), r, c);
                    value = data != qr::MaskCondition(mask, r, c);
                }
                dark[static_cast<std::size_t>(r * side + c)] = value;
            }
        scores.push_back(test::ReferencePenalty(dark, side));
    }
    return scores;
}

TEST_F(EncoderTest, MaskIsTheLowestScoreWithTheLowerNumberOnTies) {
    int ties = 0;
    for (int i = 0; i < 120; ++i) {
        const std::string message = "T" + std::to_string(i * 7919);
        const Encoded e = Auto(message);
        ASSERT_TRUE(e.ok);
        const std::vector<int> scores = AllMaskScores(*encoder, e.matrix, e.version);
        int best = 0;
        for (int m = 1; m < 8; ++m)
            if (scores[static_cast<std::size_t>(m)] < scores[static_cast<std::size_t>(best)]) best = m;
        EXPECT_EQ(encoder->ChosenMask(), best) << message;
        for (int m = best + 1; m < 8; ++m) ties += scores[static_cast<std::size_t>(m)] == scores[static_cast<std::size_t>(best)] ? 1 : 0;
    }
    EXPECT_GT(ties, 0) << "no message with two best masks: the tie rule went untested";
}

TEST_F(EncoderTest, ForcedMaskIsUsedAndRecorded) {
    for (int mask = 0; mask < 8; ++mask) {
        encoder->SetMask(mask);
        const Encoded e = Fixed("MASK TEST", 2, QrEncoder::kLevelQ);
        ASSERT_TRUE(e.ok);
        const test::ReferenceSymbol s = Read(e);
        ASSERT_EQ(s.error, "");
        EXPECT_EQ(s.mask, mask);
        EXPECT_EQ(s.message, "MASK TEST");
    }
}

TEST_F(EncoderTest, FunctionModulesAndAlignmentPattern) {
    const Encoded e = Fixed("VERSION SEVEN", 7, QrEncoder::kLevelM);
    ASSERT_TRUE(e.ok);
    const int side = 45;
    const std::vector<bool> function = test::ReferenceFunctionModules(7);
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c)
            EXPECT_EQ((encoder->ModuleAt(r, c) & QrEncoder::kFunction) != 0, function[static_cast<std::size_t>(r * side + c)])
                << r << "," << c;
    // The reader checks finders, timing and quiet zone but not this alignment
    // pattern at (22, 22): dark centre, light ring, dark border.
    const int n = QrEncoder::SideWithQuietZone(7);
    auto out = [&](int r, int c) { return e.matrix.modules[static_cast<std::size_t>((r + 4) * n + c + 4)]; };
    EXPECT_EQ(out(22, 22), 1);
    EXPECT_EQ(out(21, 22), 0);
    EXPECT_EQ(out(20, 22), 1);
}

}  // namespace
}  // namespace sgry
