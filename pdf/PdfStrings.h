#pragma once
// The string values inside an object's text: decoding a literal "(...)" or
// hexadecimal "<...>" string to its bytes, writing bytes as a hexadecimal
// string, and rewriting every string of an object's text through one
// function (the security handler's decryption or encryption).
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sgry {

// The format's classes of bytes: white space (NUL, TAB, LF, FF, CR, space),
// delimiters, and the regular bytes that make up words and numbers. Every
// reader of the format's text classifies bytes through this one table.
enum class PdfCharClass : unsigned char { Regular, White, Delimiter };

inline constexpr std::array<PdfCharClass, 256> kPdfCharClasses = [] {
    std::array<PdfCharClass, 256> classes{};
    for (unsigned char c : {' ', '\r', '\n', '\t', '\f', '\0'}) classes[c] = PdfCharClass::White;
    for (unsigned char c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'}) classes[c] = PdfCharClass::Delimiter;
    return classes;
}();

inline PdfCharClass CharClassOf(char c) { return kPdfCharClasses[static_cast<unsigned char>(c)]; }
inline bool IsPdfWhite(char c) { return CharClassOf(c) == PdfCharClass::White; }
inline bool IsPdfDelimiter(char c) { return CharClassOf(c) == PdfCharClass::Delimiter; }
// The value of a hexadecimal digit, -1 for any other byte.
int HexDigitValue(char c);

// The bytes of a string token: "(...)" with its escapes (\n \r \t \b \f \( \)
// \\, octal \ddd, a backslash before a line end continues the line) or
// "<...>" (white space ignored, an odd last digit counts as followed by 0).
// nullopt when token is neither.
std::optional<std::string> DecodeStringToken(std::string_view token);

// Where a literal string that text does not close stands at text's end: the
// parentheses still open, and whether its last byte is a backslash that
// escapes the byte to come.
struct OpenLiteral {
    int depth = 0;
    bool escaping = false;
};

// The end (one past ")") of the literal string that opens at text[begin],
// nested parentheses and escapes counted; npos when it is not closed (then
// *open, when given, says where it stands).
std::size_t LiteralEnd(std::string_view text, std::size_t begin, OpenLiteral* open = nullptr);

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
