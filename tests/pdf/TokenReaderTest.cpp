#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/MemoryTokenReader.h"
#include "pdf/TokenReader.h"

namespace sgry {
namespace {

using test::MemoryTokenReader;
using namespace std::string_literals;

struct TokenRow {
    const char* name;
    std::string input;
    std::vector<std::string> tokens;
};

class TokenSplit : public ::testing::TestWithParam<TokenRow> {};

TEST_P(TokenSplit, GivesExactlyTheseTokens) {
    MemoryTokenReader source(GetParam().input);
    EXPECT_EQ(source.AllTokens(), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    TokenReader, TokenSplit,
    ::testing::Values(
        TokenRow{"NameAfterName", "/Type/Page", {"/Type", "/Page"}},
        TokenRow{"DictOpenThenName", "<</Kids", {"<<", "/Kids"}},
        TokenRow{"DictCloseAfterWord", "R>>", {"R", ">>"}},
        TokenRow{"HexString", "<41>", {"<", "41", ">"}},
        TokenRow{"HexStringWithSpaces", "< 41 >", {"<", "41", ">"}},
        TokenRow{"Array", "[0 0 612 792]", {"[", "0", "0", "612", "792", "]"}},
        TokenRow{"StringWordsAreTokens", "(abc def)", {"(", "abc", "def", ")"}},
        TokenRow{"NestedBrackets", "[[((", {"[", "[", "(", "("}},
        TokenRow{"NameBeforeBracket", "/A]/B)", {"/A", "]", "/B", ")"}},
        TokenRow{"CrLfSeparates", "a\r\nb", {"a", "b"}},
        TokenRow{"LoneCrSeparates", "a\rb", {"a", "b"}},
        TokenRow{"CrPutsBackSlash", "/A\r/B", {"/A", "/B"}},
        TokenRow{"CrPutsBackCr", "a\r\rb", {"a", "b"}},
        TokenRow{"CrAtEndOfFile", "a\r", {"a"}},
        TokenRow{"GreaterThenCr", ">\r>", {">", ">"}},
        TokenRow{"LeadingSeparatorsSkipped", " \r\n \r x", {"x"}},
        TokenRow{"TabSeparates", "/Type\t/Page", {"/Type", "/Page"}},
        TokenRow{"TabEndsWord", "a\tb c", {"a", "b", "c"}},
        TokenRow{"LeadingTabSkipped", "\tx", {"x"}},
        TokenRow{"NulSeparates", "a\0b c"s, {"a", "b", "c"}},
        TokenRow{"FormFeedSeparates", "a\fb", {"a", "b"}},
        TokenRow{"ThreeGreater", ">>>", {">>", ">"}},
        TokenRow{"ThreeLess", "<<<", {"<<", "<"}},
        TokenRow{"LessEndsWord", "a<b", {"a", "<", "b"}},
        TokenRow{"GreaterThenLess", "><", {">", "<"}},
        TokenRow{"TwoSlashes", "//", {"/", "/"}},
        TokenRow{"HexAfterKey", "/ID<ab>", {"/ID", "<", "ab", ">"}},
        TokenRow{"Empty", "", {}},
        TokenRow{"OnlySeparators", " \r\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TokenReaderTest, CrFollowedByOtherBytePutsItBackAndTheEndGivesEmptyTokensForEver) {
    MemoryTokenReader source("ab\rcd");
    EXPECT_EQ(source.reader().NextToken(), "ab");
    EXPECT_EQ(source.reader().Tell(), 3);  // "c" is the next byte to read
    MemoryTokenReader crlf("ab\r\ncd");
    EXPECT_EQ(crlf.reader().NextToken(), "ab");
    EXPECT_EQ(crlf.reader().Tell(), 4);
    EXPECT_EQ(crlf.reader().NextToken(), "cd");
    EXPECT_EQ(crlf.reader().NextToken(), "");
    EXPECT_EQ(crlf.reader().NextToken(), "");
}

struct IntRow {
    const char* name;
    std::string input;
    int64_t value;
};

class ReadIntRows : public ::testing::TestWithParam<IntRow> {};

TEST_P(ReadIntRows, ReadsLeadingInteger) {
    MemoryTokenReader source(GetParam().input);
    EXPECT_EQ(source.reader().ReadInt(), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(TokenReader, ReadIntRows,
                         ::testing::Values(IntRow{"Plain", "612", 612},
                                           IntRow{"RealIsTruncated", "595.28", 595},
                                           IntRow{"NoDigits", "/Type", 0},
                                           IntRow{"Keyword", "R", 0},
                                           IntRow{"Negative", "-12x", -12},
                                           IntRow{"PlusSign", "+7", 7},
                                           IntRow{"SignOnly", "-", 0},
                                           IntRow{"LeadingZeros", "007 1", 7},
                                           IntRow{"DigitsEndAtBracket", "5]", 5},
                                           IntRow{"EndOfFile", "", 0},
                                           IntRow{"Saturates", "99999999999999999999999", INT64_MAX}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TokenReaderTest, SearchTokenMatchesWholeTokensInAnyCaseUntilTheEnd) {
    MemoryTokenReader source("xref 0 1 /SizeX 3 /Size 9 trailer STARTXREF 123 %%EOF");
    EXPECT_TRUE(source.reader().SearchToken("/size"));
    EXPECT_EQ(source.reader().ReadInt(), 9);
    EXPECT_TRUE(source.reader().SearchToken("startxref"));
    EXPECT_EQ(source.reader().ReadInt(), 123);
    EXPECT_FALSE(source.reader().SearchToken("/Root"));
    EXPECT_FALSE(source.reader().SearchToken("trailer"));  // already at the end
}

struct FindKeyRow {
    const char* name;
    std::string input;
    std::string key;
    FindResult result;
    std::string next;  // the token after the key when it is Found
};

class FindKeyRows : public ::testing::TestWithParam<FindKeyRow> {};

TEST_P(FindKeyRows, StopsWhereExpected) {
    MemoryTokenReader source(GetParam().input);
    EXPECT_EQ(source.reader().FindKey(GetParam().key), GetParam().result);
    EXPECT_EQ(source.reader().NextToken(), GetParam().next);
}

INSTANTIATE_TEST_SUITE_P(
    TokenReader, FindKeyRows,
    ::testing::Values(
        FindKeyRow{"Found", "1 0 obj <</Type/Pages/Count 3>> endobj", "/Count", FindResult::Found, "3"},
        FindKeyRow{"CaseMatters", "1 0 obj <</count 3>> endobj 2 0 obj", "/Count", FindResult::EndOfObject,
                   "2"},
        FindKeyRow{"EndOfFile", "<</Type/Page>>", "/Count", FindResult::EndOfFile, ""},
        FindKeyRow{"TabAfterKey", "<</Type\t/Page>> endobj", "/Type", FindResult::Found, "/Page"},
        FindKeyRow{"FirstOfTwo", "/Parent 3 0 R /Parent 4 0 R", "/Parent", FindResult::Found, "3"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sgry
