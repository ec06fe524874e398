#include <clocale>
#include <gtest/gtest.h>

#include "platform/Format.h"

namespace sgry {
namespace {

struct FormatRow {
    const char* name;
    std::string actual;
    const char* expected;
};

std::vector<FormatRow> Rows() {
    return {
        {"object header", Format("%ld %d obj\r\n", 12L, 0), "12 0 obj\r\n"},
        {"xref entry", Format("%010ld %05d n\r\n", 116838L, 0), "0000116838 00000 n\r\n"},
        {"two decimals", Format("%.2f", 0.3f), "0.30"},
        {"two decimals of one", Format("%.2f", 1), "1.00"},
        {"four decimals", Format("%.4f", 0.5), "0.5000"},
        {"plain f", Format("%f", 2.5), "2.500000"},
        {"hex byte", Format("%02X", 0x0A), "0A"},
        {"hex wide", Format("%02X", 0xABC), "ABC"},
        {"negative zero pad", Format("%05d", -42), "-0042"},
        {"string and percent", Format("%%%s %s\r\n", "Sigilry", "1.08"), "%Sigilry 1.08\r\n"},
        {"float widened", Format("%.2f", 807.51f), "807.51"},
        {"negative real", Format("%.2f", -100.0f), "-100.00"},
        {"missing argument", Format("%d/%d", 5), "5/0"},
    };
}

TEST(FormatTest, ConversionsGiveTheExpectedBytes) {
    for (const FormatRow& row : Rows()) EXPECT_EQ(row.actual, row.expected) << row.name;
}

TEST(FormatTest, IgnoresACommaLocale) {
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "C.UTF-8"}) {
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    }
    ASSERT_NE(chosen, nullptr);
    for (const FormatRow& row : Rows()) EXPECT_EQ(row.actual, row.expected) << row.name << " under " << chosen;
    EXPECT_EQ(Fixed2(28.346f), "28.35");
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace sgry
