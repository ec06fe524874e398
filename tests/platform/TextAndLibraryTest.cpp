// The small layers of the platform: numbers formatted whatever the locale,
// and the CP932 text conversions.
#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "platform/Format.h"
#include "platform/SjisText.h"
#include "platform/WorkerThread.h"

namespace sgry {
namespace {

struct FormatRow { const char* name; std::string actual; const char* expected; };

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
        {"string cut to a precision", Format("[%.3s|%.0s]", "abcdef", "abc"), "[abc|]"},
        {"characters, padded", Format("%c%3c", 'x', 'y'), "x  y"},
        {"text for a number", Format("%d", "abc"), "0"},
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

TEST(SjisTextTest, LeadBytesAreTheTwoRanges) {
    struct Row { unsigned char byte; bool lead; } rows[] = {
        {0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false}, {0xDF, false},
        {0xE0, true},  {0xFC, true}, {0xFD, false}, {0x41, false},
    };
    for (const Row& r : rows) EXPECT_EQ(sjis::IsLeadByte(r.byte), r.lead) << int(r.byte);
}

TEST(SjisTextTest, AsciiMeansEveryByteBelow0x80) {
    EXPECT_TRUE(sjis::IsAscii("TOP SECRET"));
    EXPECT_TRUE(sjis::IsAscii(""));
    EXPECT_FALSE(sjis::IsAscii("\x8E\xD0"));  // 社
    EXPECT_FALSE(sjis::IsAscii("\xB1"));      // half-width katakana
}

TEST(SjisTextTest, FullWidthConvertsOneByteCharactersOnly) {
    EXPECT_EQ(sjis::ToFullWidth("ABC"), "\x82\x60\x82\x61\x82\x62");
    EXPECT_EQ(sjis::ToFullWidth(" "), "\x81\x40");
    EXPECT_EQ(sjis::ToFullWidth("\\~"), "\x81\x5F\x81\x60");
    EXPECT_EQ(sjis::ToFullWidth("\xB6\xDE"), "\x83\x4A\x81\x4A");  // ｶﾞ: two characters, not joined
    EXPECT_EQ(sjis::ToFullWidth("A\x8E\xD0"), "\x82\x60\x8E\xD0");  // 社 kept
    EXPECT_EQ(sjis::ToFullWidth("\x82\x60"), "\x82\x60");
}

// The code page's meaning of backslash is kept; more than the buffer and
// broken bytes are refused.
TEST(SjisTextTest, Utf16) {
    EXPECT_EQ(sjis::ToUtf16("\\~\x8E\xD0"), std::optional<std::u16string>(u"\\~\u793E"));
    EXPECT_TRUE(sjis::ToUtf16(std::string(80, 'a')).has_value());
    EXPECT_FALSE(sjis::ToUtf16(std::string(81, 'a')).has_value());
    EXPECT_FALSE(sjis::ToUtf16("\x81").has_value());
}

TEST(SjisTextTest, Utf8RoundTrip) {
    EXPECT_EQ(sjis::ToUtf8("\x8E\xD0\x8A\x4F\x94\xE9"), "社外秘");
    EXPECT_EQ(sjis::FromUtf8("社外秘").value(), "\x8E\xD0\x8A\x4F\x94\xE9");
    EXPECT_FALSE(sjis::FromUtf8("\xF0\x9F\x98\x80").has_value());  // an emoji has no CP932 form
}

// A worker thread takes none of the cancel signals, which the thread that
// runs the batch must receive; the starting thread's mask is left as it was.
TEST(WorkerThreadTest, TakesNoCancelSignalsAndLeavesTheStartersMaskAsItWas) {
    const auto blocked = [](int signal) {
        sigset_t mask;
        pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        return sigismember(&mask, signal) == 1;
    };
    std::vector<bool> inWorker;
    std::thread worker = StartWorkerThread([&] {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1}) inWorker.push_back(blocked(signal));
    });
    worker.join();
    EXPECT_EQ(inWorker, (std::vector<bool>{true, true, true, true, false}));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) EXPECT_FALSE(blocked(signal)) << signal;
}

}  // namespace
}  // namespace sgry
