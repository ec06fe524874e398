#include "engine/GraphicsStateBalance.h"

#include "pdf/PdfStrings.h"

#include <algorithm>
#include <array>
#include <string>

namespace sgry {

namespace {

enum CharClass : unsigned char { kRegular, kWhite, kDelimiter };

// The class of every byte, looked up once per byte.
constexpr std::array<CharClass, 256> kClasses = [] {
    std::array<CharClass, 256> classes{};
    for (unsigned char c : {' ', '\r', '\n', '\t', '\f', '\0'}) classes[c] = kWhite;
    for (unsigned char c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'}) classes[c] = kDelimiter;
    return classes;
}();

CharClass ClassOf(char c) { return kClasses[static_cast<unsigned char>(c)]; }

std::size_t AfterRegular(std::string_view text, std::size_t pos) {
    while (pos < text.size() && ClassOf(text[pos]) == kRegular) ++pos;
    return pos;
}

std::size_t AfterLine(std::string_view text, std::size_t pos) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    return end == std::string_view::npos ? text.size() : end;
}

// Whether the bytes after an "EI" candidate read as content again: binary
// image data that happens to hold " EI " goes on with bytes no content
// stream holds (controls other than white space, bytes above 126), as
// readers check before they take the candidate.
bool ContentFollows(std::string_view text, std::size_t pos) {
    constexpr std::size_t kLookAhead = 32;
    const std::string_view next = text.substr(pos, kLookAhead);
    return std::all_of(next.begin(), next.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return ClassOf(c) == kWhite || (byte >= 0x20 && byte < 0x7F);
    });
}

// Inline image data runs from after "ID" to an "EI" between white space
// that content follows.
std::size_t AfterInlineImage(std::string_view text, std::size_t pos) {
    for (std::size_t at = text.find("EI", pos); at != std::string_view::npos; at = text.find("EI", at + 1)) {
        const bool before = at > 0 && ClassOf(text[at - 1]) == kWhite;
        const bool after = at + 2 == text.size() || ClassOf(text[at + 2]) == kWhite;
        if (before && after && ContentFollows(text, at + 2)) return at + 2;
    }
    return text.size();
}

// Where the delimiter at pos and what it opens end: a string, a comment, a
// hex string, a name, or the delimiter alone ("<<" and ">>" as one).
std::size_t AfterDelimited(std::string_view text, std::size_t pos) {
    const char c = text[pos];
    const bool doubled = pos + 1 < text.size() && text[pos + 1] == c;
    switch (c) {
        case '(': {
            const std::size_t end = LiteralEnd(text, pos);
            return end == std::string_view::npos ? text.size() : end;
        }
        case '%':
            return AfterLine(text, pos);
        case '<': {
            if (doubled) return pos + 2;
            const std::size_t close = text.find('>', pos);
            return close == std::string_view::npos ? text.size() : close + 1;
        }
        case '>':
            return doubled ? pos + 2 : pos + 1;
        case '/':
            return AfterRegular(text, pos + 1);
        default:
            return pos + 1;
    }
}

}  // namespace

void GraphicsStateBalance::Add(std::string_view content) {
    std::size_t pos = 0;
    while (pos < content.size()) {
        switch (ClassOf(content[pos])) {
            case kWhite:
                ++pos;
                break;
            case kDelimiter:
                pos = AfterDelimited(content, pos);
                break;
            case kRegular: {
                const std::size_t start = pos;
                pos = AfterRegular(content, pos);
                const std::string_view word = content.substr(start, pos - start);
                if (word == "ID") pos = AfterInlineImage(content, pos);
                Operator(word);
                break;
            }
        }
    }
}

// A stream that closes r states it did not open and leaves o open closes
// min(r, open) of the states open before it and r - open beyond them.
void GraphicsStateBalance::AddCounted(int32_t extraRestores, int32_t openStates) {
    const int32_t closedHere = extraRestores < open_ ? extraRestores : open_;
    const int32_t beyond = extraRestores - closedHere;
    extra_ = extra_ + beyond < kMaxExtraRestores ? extra_ + beyond : kMaxExtraRestores;
    open_ = open_ - closedHere + openStates;
}

void GraphicsStateBalance::Operator(std::string_view word) {
    if (word == "q") {
        ++open_;
    } else if (word == "Q") {
        if (open_ > 0)
            --open_;
        else if (extra_ < kMaxExtraRestores)
            ++extra_;
    }
}

}  // namespace sgry
