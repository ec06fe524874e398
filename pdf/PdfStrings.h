#pragma once
// The string values inside an object's text: decoding a literal "(...)" or
// hexadecimal "<...>" string to its bytes, writing bytes as a hexadecimal
// string, and rewriting every string of an object's text through one
// function (the security handler's decryption or encryption).
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pdf/PdfLexer.h"

namespace sgry {

// The bytes of a string token: "(...)" with its escapes (\n \r \t \b \f \( \)
// \\, octal \ddd, a backslash before a line end continues the line) or
// "<...>" (white space ignored, an odd last digit counts as followed by 0).
// nullopt when token is neither.
std::optional<std::string> DecodeStringToken(std::string_view token);

// "<" + two upper-case hex digits per byte + ">".
std::string HexStringToken(std::string_view bytes);

// How an object's text ended for StringRewrite.
enum class TextEnd {
    Endobj,      // the keyword "endobj" was reached
    Stream,      // the keyword "stream" was reached (the data follows it)
    Incomplete,  // the text ended first (inside a string, or before either keyword)
};

struct RewrittenText {
    std::string text;         // up to the keyword (exclusive), strings rewritten
    std::size_t stop = 0;     // where the keyword begins in the input (its size when Incomplete)
    TextEnd end = TextEnd::Incomplete;
};

// Copies text, from its start, up to the first "stream" or "endobj" keyword
// that stands outside strings, names and comments, replacing every string by
// HexStringToken(transform(bytes)). Everything else is copied byte for byte.
using StringTransform = std::function<std::string(std::string_view bytes)>;
RewrittenText RewriteStrings(std::string_view text, const StringTransform& transform);

}  // namespace sgry
