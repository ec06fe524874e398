// Symbols judged by a real reader: every image is decoded by zbarimg. The
// images of a test are decoded in one or two zbarimg runs to keep it quick.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/SjisText.h"
#include "qr/QrEncoder.h"
#include "support/ScratchDir.h"
#include "support/SymbolImages.h"

namespace sgry {
namespace {

struct Case {
    std::string name;
    std::string message;  // CP932 bytes
    int version;          // 0: automatic
    int level;
    int mask = QrEncoder::kAutomaticMask;
};

const char* const kLevelNames = "LMQH";

std::string Pattern(const std::string& unit, std::size_t length) {
    std::string s;
    while (s.size() + unit.size() <= length) s += unit;
    return s;
}

class QrZbar : public testing::Test {
protected:
    void SetUp() override {
        if (!test::HaveTool("zbarimg")) GTEST_SKIP() << "zbarimg not installed";
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
