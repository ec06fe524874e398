// The encoder's choices and refusals. That symbols read back is judged by
// zbarimg (QrZbarTest) and the golden updates; the standard's worked example
// is kept here as one golden symbol.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "qr/QrEncoder.h"
#include "qr/QrSymbolRules.h"
#include "support/ScratchDir.h"

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
};

std::string Repeat(const std::string& unit, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += unit;
    return s;
}

// The symbol as rows of '#' (dark) and '.' (light), quiet zone included.
std::string Picture(const QrMatrix& matrix, int version) {
    const int side = QrEncoder::SideWithQuietZone(version);
    std::string out;
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) out += matrix.modules[static_cast<std::size_t>(r * side + c)] ? '#' : '.';
        out += '\n';
    }
    return out;
}

TEST_F(EncoderTest, StandardsExampleAtOneM) {
    const Encoded e = Fixed("01234567", 1, QrEncoder::kLevelM);
    ASSERT_TRUE(e.ok) << e.code;
    // Data then error-correction codewords, as printed in the standard.
    const std::vector<uint8_t> expected = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC,
                                           0x11, 0xEC, 0x11, 0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55};
    EXPECT_EQ(std::vector<uint8_t>(encoder->FinalCodewords(), encoder->FinalCodewords() + 26), expected);
    EXPECT_EQ(encoder->DataBitCount(), 41);
    ASSERT_EQ(e.matrix.byteCount, 29u * 29u);
    // The whole symbol, with its mask and format information; SIGILRY_UPDATE_GOLDEN=1 rewrites it.
    const std::string golden = std::string(SIGILRY_SOURCE_DIR) + "/tests/data/qr/standard-example-1-M.txt";
    if (std::getenv("SIGILRY_UPDATE_GOLDEN")) test::ScratchDir::Write(golden, Picture(e.matrix, 1));
    EXPECT_EQ(Picture(e.matrix, 1), test::ScratchDir::Read(golden));
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

}  // namespace
}  // namespace sgry
