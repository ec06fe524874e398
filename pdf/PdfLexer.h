#pragma once
// The one reader of the format's syntax. Every piece of code that reads PDF
// text (the source's objects, a page's content, an object of the update
// before it is sealed) finds its tokens here, so that white space, strings,
// names, comments and inline image data end in the same place for all of
// them.
//
// The lexer works on a window of text that it does not own. When the window
// is not the end of what is being read (final false), a token that runs to
// the window's end comes back Unfinished: the caller reads more and asks
// again, or carries the start of the token into its next window.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sgry {

// The format's classes of bytes: white space (NUL, TAB, LF, FF, CR, space),
// delimiters, and the regular bytes that make up words and numbers.
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

enum class PdfTokenKind : unsigned char {
    End,            // nothing but white space up to the window's end
    Word,           // regular bytes: a number, a keyword, an operator
    Name,           // "/" and the regular bytes after it
    LiteralString,  // "(" to its matching ")"
    HexString,      // "<" to ">"
    DictOpen,       // "<<"
    DictClose,      // ">>"
    Delimiter,      // any other delimiter, alone: "[", "]", "{", "}", ")"
    Comment,        // "%" up to the line end, which it does not include
    Unfinished,     // the window ends before the token does
};

struct PdfToken {
    PdfTokenKind kind = PdfTokenKind::End;
    std::size_t begin = 0;
    std::size_t end = 0;  // one past its last byte
    // False for a string or hex string that the end of the final window cut.
    bool closed = true;
};

// Where a literal string that a window does not close stands at its end: the
// parentheses still open, and whether its last byte is a backslash that
// escapes the byte to come.
struct OpenLiteral {
    int depth = 0;
    bool escaping = false;
};

class PdfLexer {
public:
    enum class Mode {
        // The format's tokens: strings, hex strings, names and comments whole.
        Syntax,
        // A source object read a word at a time, as the token reader has
        // always read it: "(", ")", "<", ">", "[" and "]" stand alone ("<<"
        // and ">>" paired), and a word runs up to white space or one of
        // those or "/" ("%", "{" and "}" being part of it). Strings and hex
        // strings are read by their callers after their opening byte.
        Words,
    };

    PdfLexer(std::string_view text, bool final, Mode mode = Mode::Syntax)
        : text_(text), final_(final), mode_(mode) {}

    // The token at or after pos, white space passed over.
    PdfToken Next(std::size_t pos) const;
    std::string_view Text(const PdfToken& token) const {
        return text_.substr(token.begin, token.end - token.begin);
    }

    // Inline image data runs from pos (just after the "ID" operator) to an
    // "EI" between white space that content follows again: binary data that
    // happens to hold " EI " goes on with bytes no content stream holds
    // (controls other than white space, bytes above 126). The end of that
    // "EI"; the window's end when final and there is none; npos when the
    // window does not decide it.
    std::size_t InlineImageEnd(std::size_t pos) const;
    // How many bytes after an "EI" are checked to read as content.
    static constexpr std::size_t kImageLookAhead = 32;

    // The end (one past ")") of the literal string that opens at
    // text[begin], nested parentheses and escapes counted, or, when depth is
    // given, of the string that stands that deep at text[begin]. npos when it
    // is not closed: then *open, when given, says where it stands, and
    // *nested, when given, receives for every "(" inside it (its position
    // just after the "(") where its own string ends, or npos.
    static std::size_t LiteralEnd(std::string_view text, std::size_t begin, OpenLiteral* open = nullptr,
                                  int depth = 0,
                                  std::vector<std::pair<std::size_t, std::size_t>>* nested = nullptr);

    // A name token's characters with every "#xx" replaced by its byte, so
    // that "/Ty#70e" compares equal to "/Type".
    static std::string DecodeName(std::string_view name);

private:
    PdfToken Delimited(std::size_t pos) const;
    PdfToken WordsModeToken(std::size_t pos) const;
    // A token from begin that runs to end: Unfinished when end is the end of
    // a window that is not final.
    PdfToken RunningTo(PdfTokenKind kind, std::size_t begin, std::size_t end) const;
    std::size_t AfterRegular(std::size_t pos) const;

    std::string_view text_;
    bool final_;
    Mode mode_;
};

// The hot part of the lexer stays in the header, so that the loops that walk
// every token of a page (the token reader, the content scan) inline it.

// In words mode a word ends at white space, a bracket, a parenthesis, an
// angle bracket or "/"; "%", "{" and "}" belong to it.
inline constexpr std::array<bool, 256> kEndsWordsModeWord = [] {
    std::array<bool, 256> ends{};
    for (std::size_t c = 0; c < ends.size(); ++c) ends[c] = kPdfCharClasses[c] != PdfCharClass::Regular;
    ends['%'] = ends['{'] = ends['}'] = false;
    return ends;
}();

inline std::size_t PdfLexer::AfterRegular(std::size_t pos) const {
    while (pos < text_.size() && CharClassOf(text_[pos]) == PdfCharClass::Regular) ++pos;
    return pos;
}

inline PdfToken PdfLexer::RunningTo(PdfTokenKind kind, std::size_t begin, std::size_t end) const {
    if (end == text_.size() && !final_) return {PdfTokenKind::Unfinished, begin, end};
    return {kind, begin, end};
}

inline PdfToken PdfLexer::Next(std::size_t pos) const {
    while (pos < text_.size() && IsPdfWhite(text_[pos])) ++pos;
    if (pos == text_.size()) return {PdfTokenKind::End, pos, pos};
    if (mode_ == Mode::Words) return WordsModeToken(pos);
    if (CharClassOf(text_[pos]) == PdfCharClass::Regular) return RunningTo(PdfTokenKind::Word, pos, AfterRegular(pos));
    return Delimited(pos);
}

inline PdfToken PdfLexer::WordsModeToken(std::size_t pos) const {
    const char first = text_[pos];
    if (first == '[' || first == ']' || first == '(' || first == ')') return {PdfTokenKind::Delimiter, pos, pos + 1};
    if (first == '<' || first == '>') {
        if (pos + 1 == text_.size() && !final_) return {PdfTokenKind::Unfinished, pos, pos + 1};
        if (pos + 1 < text_.size() && text_[pos + 1] == first)
            return {first == '<' ? PdfTokenKind::DictOpen : PdfTokenKind::DictClose, pos, pos + 2};
        return {PdfTokenKind::Delimiter, pos, pos + 1};
    }
    std::size_t end = pos + 1;
    while (end < text_.size() && !kEndsWordsModeWord[static_cast<unsigned char>(text_[end])]) ++end;
    return RunningTo(first == '/' ? PdfTokenKind::Name : PdfTokenKind::Word, pos, end);
}

}  // namespace sgry
