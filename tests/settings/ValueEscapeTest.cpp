#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ValueEscape.h"

namespace sgry {
namespace {

struct EscapeRow {
    const char* name;
    std::string value;
    std::string stored;
};

std::vector<EscapeRow> Rows() {
    return {
        {"empty", "", ""},
        {"plain", "Sample", "Sample"},
        {"inner blanks", "a b\tc", "a b\tc"},
        {"backslash escapes are not ours", "C:\\new\\r\\n", "C:\\new\\r\\n"},
        {"two-byte text with 0x5C", "\x83\x5C\x94\x5C", "\x83\x5C\x94\x5C"},  // ソ能
        {"line feed", "a\nb",
         "a\xFFn"
         "b"},
        {"carriage return and feed", "a\r\nb",
         "a\xFFr\xFFn"
         "b"},
        {"escape byte", "\xFF", "\xFF\xFF"},
        {"leading blanks", " \tx", "\xFFs\xFFtx"},
        {"trailing blank", "x y ", "x y\xFFs"},
        {"all blanks", "  ", "\xFFs\xFFs"},
        {"inner blank kept when escaping", "a b\n", "a b\xFFn"},
    };
}

TEST(ValueEscapeTest, EscapesOnlyWhatAPlainLineWouldChange) {
    for (const EscapeRow& row : Rows()) {
        EXPECT_EQ(EscapeValue(row.value), row.stored) << row.name;
        EXPECT_EQ(UnescapeValue(row.stored), row.value) << row.name;
    }
}

TEST(ValueEscapeTest, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(UnescapeValue(EscapeValue(all)), all);
    EXPECT_EQ(UnescapeValue(EscapeValue(all + all)), all + all);
}

TEST(ValueEscapeTest, StrayEscapeBytesReadAsTheyStand) {
    EXPECT_EQ(UnescapeValue("a\xFFq"), "a\xFFq");
    EXPECT_EQ(UnescapeValue("end\xFF"), "end\xFF");
    EXPECT_EQ(UnescapeValue("\xFFx\xFFn"), "\xFFx\n");
}

}  // namespace
}  // namespace sgry
