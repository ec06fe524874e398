// The encoder's choices and refusals, with the standard's worked example
// kept as one golden symbol; then symbols judged by a real reader: every
// image is decoded by zbarimg, the images of a test in one or two zbarimg
// runs to keep it quick (the golden updates read symbols in pages too).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/SjisText.h"
#include "qr/QrEncoder.h"
#include "qr/QrSymbolRules.h"
#include "support/ScratchDir.h"
#include "support/SymbolImages.h"

namespace sgry {
namespace {

struct Encoded { bool ok = false; int code = 0; int version = 0; int level = 0; QrMatrix matrix; };

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

// As many whole units as fit in length bytes.
std::string Pattern(const std::string& unit, std::size_t length) {
    std::string s;
    while (s.size() + unit.size() <= length) s += unit;
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
                const auto capacity = static_cast<std::size_t>(qr::LevelAt(v, l).capacity[m]) * units[m].size();
                EXPECT_TRUE(encoder->CheckFits(Pattern(units[m], capacity), v, l));
                EXPECT_FALSE(encoder->CheckFits(Pattern(units[m], capacity + units[m].size()), v, l));
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
    // 18 digits exceed 1-H (17) and land at 1-Q; 42 digits exceed 1-L (41):
    // version 2, whose H holds 34 digits, Q 48.
    const std::tuple<std::string, int, int> choices[] = {
        {"HELLO", 1, QrEncoder::kLevelH}, {std::string(18, '5'), 1, QrEncoder::kLevelQ},
        {std::string(42, '5'), 2, QrEncoder::kLevelQ}};
    for (const auto& [message, version, level] : choices) {
        const Encoded e = Auto(message);
        EXPECT_EQ(std::tuple(e.ok, e.version, e.level), std::tuple(true, version, level)) << message;
    }
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
    struct Row { const char* name; std::string message; int code; };
    const Row rows[] = {
        {"lone lead byte", "ABC\x88", QrEncoder::kLoneKanjiLeadByte},
        {"bad trail byte", std::string("\x88\x0a" "xyz", 5), QrEncoder::kBadKanjiTrailByte},
        {"trail beyond Kanji mode", "\xeb\xfc", QrEncoder::kBadKanjiTrailByte},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Encoded fixed = Fixed(r.message, 10, QrEncoder::kLevelL);
        EXPECT_EQ(std::tuple(fixed.ok, fixed.code, fixed.matrix.modules == nullptr), std::tuple(false, r.code, true));
        const Encoded automatic = Auto(r.message);
        EXPECT_EQ(std::tuple(automatic.ok, automatic.code, automatic.version), std::tuple(false, r.code, 0));
        EXPECT_FALSE(encoder->CheckFits(r.message, -1, -1));
        EXPECT_EQ(encoder->ErrorCode(), r.code);
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

// A message of CP932 bytes at a version (0: automatic), level and mask.
struct Case { std::string name, message; int version, level, mask = QrEncoder::kAutomaticMask; };

const char* const kLevelNames = "LMQH";

class QrZbar : public testing::Test {
protected:
    void SetUp() override {
        if (!test::ToolExists("zbarimg")) GTEST_SKIP() << "zbarimg not installed";
    }

    // Encodes every case into a PBM under the test's scratch directory.
    std::vector<std::filesystem::path> Render(const std::vector<Case>& cases) {
        const std::filesystem::path& dir = scratch_.Path();
        std::vector<std::filesystem::path> images;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            QrMatrix m;
            int version = c.version;
            int level = c.level;
            encoder_->SetMask(c.mask);
            const bool ok = c.version == 0 ? encoder_->EncodeAuto(c.message, m, version, level)
                                           : encoder_->EncodeFixed(c.message, c.version, c.level, m);
            EXPECT_TRUE(ok) << c.name << " code " << encoder_->ErrorCode();
            if (!ok) continue;
            const std::filesystem::path image = dir / ("symbol" + std::to_string(i) + ".pbm");
            EXPECT_TRUE(test::WritePbm(image, m.modules.get(), QrEncoder::SideWithQuietZone(version), 3));
            images.push_back(image);
        }
        return images;
    }

    std::unique_ptr<QrEncoder> encoder_ = std::make_unique<QrEncoder>();
    test::ScratchDir scratch_{"qr-zbar"};
};

// Text messages: zbar reports them as UTF-8, Kanji included.
TEST_F(QrZbar, TextMessagesAtEveryLevelMaskAndTheChosenVersions) {
    const std::string kanji = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x8a\xbf\x8e\x9a";  // 日本語の漢字
    std::vector<Case> cases;
    for (int level = 0; level < 4; ++level) {
        const std::string l(1, kLevelNames[level]);
        cases.push_back({"numeric " + l, "3141592653589793238462643383279", 3, level});
        cases.push_back({"alphanumeric " + l, "SIGILRY QR $%*+-./: 0123", 3, level});
        cases.push_back({"lower-case bytes " + l, "the quick brown fox jumps over the lazy dog", 5, level});
        cases.push_back({"kanji " + l, kanji + kanji, 3, level});
        cases.push_back({"mixed " + l, "Page 12 of 345: " + kanji + " OK abc 6789", 5, level});
    }
    const std::string unit = "2024 INVOICE No.000123 paid " + kanji + " ";
    for (int version : {1, 2, 6, 7, 10, 14, 27, 40}) {
        for (int level = 0; level < 4; ++level) {
            // Three quarters of the version's byte capacity in mixed text.
            const std::size_t length = qr::LevelAt(version, level).capacity[2] * 3 / 4;
            cases.push_back({"mixed v" + std::to_string(version) + kLevelNames[level], Pattern(unit, length), version, level});
        }
    }
    cases.push_back({"automatic numeric", "0123456789", 0, 0});
    cases.push_back({"automatic kanji", kanji, 0, 0});
    cases.push_back({"automatic long mixed", Pattern(unit, 1500), 0, 0});
    for (int mask = 0; mask < 8; ++mask)
        cases.push_back({"mask " + std::to_string(mask), "MASK " + std::to_string(mask), 7, mask % 4, mask});

    const std::vector<std::filesystem::path> images = Render(cases);
    ASSERT_EQ(images.size(), cases.size());
    const std::vector<std::string> decoded = test::ZbarDecodeEach(images);
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(decoded[i], sjis::ToUtf8(cases[i].message)) << cases[i].name;
}

// Binary messages: zbar's binary mode hands out the exact bytes, without a
// separator between symbols, so the batch is compared as one string.
TEST_F(QrZbar, BinaryMessagesKeepEveryByte) {
    std::string controls;
    for (int b = 0x00; b <= 0x1F; ++b) controls += static_cast<char>(b);
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b)
        if (!((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))) high += static_cast<char>(b);
    std::vector<Case> cases;
    for (int level = 0; level < 4; ++level) {
        cases.push_back({"controls", controls, 0, 0});
        cases.push_back({std::string("controls fixed ") + kLevelNames[level], controls, 5, level});
        cases.push_back({std::string("high bytes ") + kLevelNames[level], high, 8, level});
    }
    cases.push_back({"kanji bytes", "\x88\x9f\x8e\x9a", 0, 0});
    cases.push_back({"two-byte non-kanji", "\xfa\x9f\xed\x40", 0, 0});
    cases.push_back({"everything", controls + "abc" + high + "\x88\x9f" + "123", 10, 1});

    const std::vector<std::filesystem::path> images = Render(cases);
    ASSERT_EQ(images.size(), cases.size());
    std::string expected;
    for (const Case& c : cases) expected += c.message;
    const std::string decoded = test::ZbarDecodeBinary(images);
    ASSERT_EQ(decoded.size(), expected.size());
    EXPECT_TRUE(decoded == expected);
}

}  // namespace
}  // namespace sgry
