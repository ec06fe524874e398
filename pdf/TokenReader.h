#pragma once
// The token reader that all reading of a source PDF rests on. It does not
// build an object tree: callers walk the file token by token from the offset
// of the object they need and pick out the keys they care about. The tokens
// are the lexer's words (pdf/PdfLexer.h): "(" and "<" of a string come alone,
// and ReadStringRest reads the rest. NextToken does not recognise comments;
// NextSignificantToken passes over them.
// At end of file every call returns the empty token.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/PdfFile.h"

namespace sgry {

enum class FindResult { Found, EndOfObject, EndOfFile };

class TokenReader {
public:
    explicit TokenReader(PdfFile& file) : file_(file) {}

    std::string NextToken();
    // Leading decimal integer of the next token (optional sign, then digits;
    // 0 when there are none). Saturates instead of overflowing.
    int64_t ReadInt();
    // The next token that is not part of a comment: outside a literal string
    // a "%" starts a comment that runs to the end of its line (a "%" inside a
    // token, as in "/Page%c", ends the token there). The caller reads literal
    // strings itself after their "(".
    std::string NextSignificantToken();
    // After a "(" or "<" token: the rest of the literal or hex string, up to
    // and including its closing byte, appended to text (nested parentheses
    // and escapes counted). False, and the position unchanged, when the file
    // ends first: then nested, when given, receives for the literal string
    // and every "(" inside it the position just after the "(" and where its
    // own string ends (-1: nowhere).
    bool ReadStringRest(char open, std::string& text, std::vector<std::pair<int64_t, int64_t>>* nested = nullptr);
    // Reads tokens until one equals word without regard to letter case.
    bool SearchToken(std::string_view word);
    // Reads tokens until one equals key exactly (a name's "#xx" read as its
    // byte), "endobj", or end of file.
    FindResult FindKey(std::string_view key);
    static bool EqualsIgnoringCase(std::string_view a, std::string_view b);
    // Whether token is key, a name's "#xx" read as its byte.
    static bool IsKey(std::string_view token, std::string_view key);

    int64_t Tell() const { return file_.Tell(); }
    bool Seek(int64_t offset) { return file_.Seek(offset, PdfFile::Origin::Start); }
    PdfFile& File() { return file_; }

    static int64_t LeadingInt(std::string_view token);
    // Whether token is one or more decimal digits and nothing else.
    static bool IsDigits(std::string_view token);

    // The next token when it and the byte after it lie in the bytes read
    // ahead, without reading it: the token NextToken would give, and in next
    // how many bytes NextToken would read (File().Skip(next) reads them).
    // Empty when the bytes read ahead do not decide it.
    std::string_view PeekTokenAhead(size_t& next) const;

    // What a lexing function takes from a window of bytes from the
    // position on: the token [begin, end) and where the reading goes on.
    // next is npos when the window does not decide them, kUnclosed when the
    // file ends before the token does.
    static constexpr size_t kUnclosed = std::string_view::npos - 1;
    struct Lexed {
        size_t begin = std::string_view::npos;
        size_t end = std::string_view::npos;
        size_t next = std::string_view::npos;
    };

private:
    void SkipRestOfLine();
    // Lexes the bytes from the position with lex(window, final), on the
    // bytes read ahead first and on a window read on purpose, twice as long
    // each time, while lex cannot decide; the token goes to out and the
    // position past next. False at kUnclosed (the position is then unspecified).
    template <class Lex>
    bool TakeLexed(Lex lex, std::string& out);

    PdfFile& file_;
};

}  // namespace sgry
