#pragma once
// The token reader that all reading of a source PDF rests on. It does not
// build an object tree: callers walk the file token by token from the offset
// of the object they need and pick out the keys they care about.
//
// Token rules: the white-space characters (space, CR, LF, tab, form feed and
// NUL) separate tokens; "[", "]", "(", ")", "<<" and ">>" are tokens of their
// own; a name ends where the next "/", bracket, parenthesis, "<" or ">" starts;
// a hex string gives "<", its digits and ">". NextToken does not recognise
// comments; NextSignificantToken passes over them.
// At end of file every call returns the empty token.
#include <cstdint>
#include <string>
#include <string_view>

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
    // Reads tokens until one equals word without regard to letter case.
    bool SearchToken(std::string_view word);
    // Reads tokens until one equals key exactly, "endobj", or end of file.
    FindResult FindKey(std::string_view key);

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

private:
    void SkipRestOfLine();

    PdfFile& file_;
};

}  // namespace sgry
