// The tokens that the page-object and trailer copies join on one line:
// comments left out, literal strings whole.
#include <gtest/gtest.h>

#include "engine/CommentFreeTokens.h"

namespace sgry {
namespace {

// Every token of text, joined with "|".
std::string Tokens(const std::string& text) {
    PdfFile file;
    file.OpenMemory(text);
    TokenReader reader(file);
    CommentFreeTokens tokens(reader);
    std::string out;
    for (std::string t = tokens.Next(); !t.empty(); t = tokens.Next()) out += (out.empty() ? "" : "|") + t;
    return out;
}

TEST(CommentFreeTokensTest, CommentsAndStrings) {
    struct Row {
        const char* name;
        std::string text;
        std::string tokens;
    };
    const std::vector<Row> rows = {
        {"CommentToLf", "a % b c\nd", "a|d"},
        {"CommentToCrLf", "a %b\r\nd", "a|d"},
        {"CommentToBareCr", "a %b c\rd", "a|d"},
        {"CommentOfOneToken", "/Type /Page % 1\n/Parent", "/Type|/Page|/Parent"},
        {"EmptyComment", "%\n/A", "/A"},
        {"CommentEndsAToken", "/Page%c /x\n/Next", "/Page|/Next"},
        {"CommentBeforeDelimiter", "1 %c<</A (b) [2]\n2", "1|2"},
        {"CommentAtEndOfFile", "a % b", "a"},
        {"CommentsInArray", "[1 %c\n2 %d\r\n]", "[|1|2|]"},
        {"PercentInString", "(x % y) z", "(x % y)|z"},
        {"EscapedParenthesis", "(a\\)b) c", "(a\\)b)|c"},
        {"EscapedBackslashBeforeClose", "(a\\\\) b", "(a\\\\)|b"},
        {"NestedParentheses", "(a (b) c) d", "(a (b) c)|d"},
        {"LineBreakInString", "(line\r\nbreak) e", "(line\r\nbreak)|e"},
        {"BracketsInString", "(<< ] endobj) >>", "(<< ] endobj)|>>"},
        {"StringNextToName", "/T(x)/U", "/T|(x)|/U"},
        {"UnclosedString", "(open %c\n/A", "(|open|/A"},
        // The strings inside an unclosed one are answered from its pass.
        {"StringsInsideAnUnclosedOne", "( x (y (z) \\() w ( v", "(|x|(y (z) \\()|w|(|v"},
        {"EscapedOpenInsideAnUnclosedOne", "( ( \\(a) z", "(|( \\(a)|z"},
        {"NulBytesInString", std::string("(\xFE\xFF\0A) b", 8), std::string("(\xFE\xFF\0A)|b", 8)},
    };
    for (const Row& row : rows) EXPECT_EQ(Tokens(row.text), row.tokens) << row.name;
}

TEST(CommentFreeTokensTest, KeysInCommentsAndStringsAreNotFound) {
    PdfFile file;
    file.OpenMemory("<< /T (/Contents 9 0 R endobj) % /Contents 8 0 R\n/Contents 5 0 R >> endobj /Contents 6");
    TokenReader reader(file);
    CommentFreeTokens tokens(reader);
    ASSERT_EQ(tokens.FindKey("/Contents"), FindResult::Found);
    EXPECT_EQ(tokens.ReadInt(), 5);
    EXPECT_EQ(tokens.FindKey("/Contents"), FindResult::EndOfObject);
    EXPECT_TRUE(tokens.SearchToken("/CONTENTS"));
    EXPECT_EQ(tokens.ReadInt(), 6);
    EXPECT_EQ(tokens.FindKey("/Contents"), FindResult::EndOfFile);
    EXPECT_FALSE(tokens.SearchToken("x"));
}

TEST(CommentFreeTokensTest, SeekStartsAfresh) {
    PdfFile file;
    file.OpenMemory("a (b) % c\nd");
    TokenReader reader(file);
    CommentFreeTokens tokens(reader);
    EXPECT_EQ(tokens.Next(), "a");
    const int64_t at = tokens.Tell();
    EXPECT_EQ(tokens.Next(), "(b)");
    EXPECT_EQ(tokens.Next(), "d");
    ASSERT_TRUE(tokens.Seek(at));
    EXPECT_EQ(tokens.Next(), "(b)");
}

}  // namespace
}  // namespace sgry
