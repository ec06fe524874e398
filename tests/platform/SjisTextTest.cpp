#include <gtest/gtest.h>

#include "platform/SjisText.h"

namespace sgry::sjis {
namespace {

TEST(SjisTextTest, LeadBytesAreTheTwoRanges) {
    struct Row { unsigned char byte; bool lead; } rows[] = {
        {0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false}, {0xDF, false},
        {0xE0, true},  {0xFC, true}, {0xFD, false}, {0x41, false},
    };
    for (const Row& r : rows) EXPECT_EQ(IsLeadByte(r.byte), r.lead) << int(r.byte);
}

TEST(SjisTextTest, AsciiMeansEveryByteBelow0x80) {
    EXPECT_TRUE(IsAscii("TOP SECRET"));
    EXPECT_TRUE(IsAscii(""));
    EXPECT_FALSE(IsAscii("\x8E\xD0"));  // 社
    EXPECT_FALSE(IsAscii("\xB1"));      // half-width katakana
}

TEST(SjisTextTest, FullWidthConvertsOneByteCharactersOnly) {
    EXPECT_EQ(ToFullWidth("ABC"), "\x82\x60\x82\x61\x82\x62");
    EXPECT_EQ(ToFullWidth(" "), "\x81\x40");
    EXPECT_EQ(ToFullWidth("\\~"), "\x81\x5F\x81\x60");
    EXPECT_EQ(ToFullWidth("\xB6\xDE"), "\x83\x4A\x81\x4A");  // ｶﾞ: two characters, not joined
    EXPECT_EQ(ToFullWidth("A\x8E\xD0"), "\x82\x60\x8E\xD0");  // 社 kept
    EXPECT_EQ(ToFullWidth("\x82\x60"), "\x82\x60");
}

TEST(SjisTextTest, Utf16KeepsTheCodePageMeaningOfBackslash) {
    auto units = ToUtf16("\\~\x8E\xD0");
    ASSERT_TRUE(units.has_value());
    EXPECT_EQ(*units, std::u16string(u"\\~\u793E"));
}

TEST(SjisTextTest, Utf16RefusesMoreThanTheBufferAndBrokenBytes) {
    EXPECT_TRUE(ToUtf16(std::string(80, 'a')).has_value());
    EXPECT_FALSE(ToUtf16(std::string(81, 'a')).has_value());
    EXPECT_FALSE(ToUtf16("\x81").has_value());
}

TEST(SjisTextTest, Utf8RoundTrip) {
    EXPECT_EQ(ToUtf8("\x8E\xD0\x8A\x4F\x94\xE9"), "社外秘");
    EXPECT_EQ(FromUtf8("社外秘").value(), "\x8E\xD0\x8A\x4F\x94\xE9");
    EXPECT_FALSE(FromUtf8("\xF0\x9F\x98\x80").has_value());  // an emoji has no CP932 form
}

}  // namespace
}  // namespace sgry::sjis
