#include "engine/GraphicsStateBalance.h"

#include "pdf/PdfStrings.h"

#include <algorithm>

namespace sgry {

namespace {

constexpr std::size_t kNotEnded = std::string_view::npos;
// How far after an "EI" candidate the bytes are checked to read as content.
constexpr std::size_t kLookAhead = 32;

std::size_t AfterRegular(std::string_view text, std::size_t pos) {
    while (pos < text.size() && CharClassOf(text[pos]) == PdfCharClass::Regular) ++pos;
    return pos;
}

// The end of a token that runs to pos: the text's end counts only when it is
// the stream's end.
std::size_t EndedAt(std::string_view text, std::size_t pos, bool final) {
    return pos < text.size() || final ? pos : kNotEnded;
}

// Whether the bytes after an "EI" candidate read as content again: binary
// image data that happens to hold " EI " goes on with bytes no content
// stream holds (controls other than white space, bytes above 126), as
// readers check before they take the candidate.
bool ContentFollows(std::string_view text, std::size_t pos) {
    const std::string_view next = text.substr(pos, kLookAhead);
    return std::all_of(next.begin(), next.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return IsPdfWhite(c) || (byte >= 0x20 && byte < 0x7F);
    });
}

// Inline image data run from pos to an "EI" between white space that content
// follows; the end of that "EI".
std::size_t InlineImageEnd(std::string_view text, std::size_t pos, bool final) {
    for (std::size_t at = text.find("EI", pos); at != std::string_view::npos; at = text.find("EI", at + 1)) {
        const bool before = at > 0 && IsPdfWhite(text[at - 1]);
        if (!before) continue;
        const std::size_t end = at + 2;
        if (!final && text.size() - end < kLookAhead) return kNotEnded;  // the next piece decides
        if ((end == text.size() || IsPdfWhite(text[end])) && ContentFollows(text, end)) return end;
    }
    return final ? text.size() : kNotEnded;
}

// Where the delimiter at pos and what it opens end: a string, a comment, a
// hex string, a name, or the delimiter alone ("<<" and ">>" as one).
std::size_t AfterDelimited(std::string_view text, std::size_t pos, bool final) {
    switch (text[pos]) {
        case '(': {
            const std::size_t end = LiteralEnd(text, pos);
            return end != std::string_view::npos ? end : EndedAt(text, text.size(), final);
        }
        case '%':
            return EndedAt(text, std::min(text.find_first_of("\r\n", pos), text.size()), final);
        case '<': {
            if (pos + 1 == text.size()) return EndedAt(text, pos + 1, final);
            if (text[pos + 1] == '<') return pos + 2;
            const std::size_t close = text.find('>', pos);
            return close != std::string_view::npos ? close + 1 : EndedAt(text, text.size(), final);
        }
        case '>':
            return pos + 1 < text.size() && text[pos + 1] == '>' ? pos + 2 : pos + 1;
        case '/':
            return EndedAt(text, AfterRegular(text, pos + 1), final);
        default:
            return pos + 1;
    }
}

}  // namespace

void GraphicsStateBalance::Feed(std::string_view piece) {
    if (carry_.empty()) {
        Scan(piece, false);
        return;
    }
    std::string text = std::move(carry_);
    carry_.clear();
    text.append(piece);
    Scan(text, false);
}

void GraphicsStateBalance::EndStream() {
    if (!carry_.empty()) {
        const std::string text = std::move(carry_);
        carry_.clear();
        Scan(text, true);
    }
    inImage_ = false;
}

void GraphicsStateBalance::Scan(std::string_view text, bool final) {
    std::size_t pos = 0;
    if (inImage_) {
        pos = InlineImageEnd(text, 1, final);
        if (pos == kNotEnded) return CarryImageData(text, 1);
        inImage_ = false;
    }
    while (pos < text.size()) {
        switch (CharClassOf(text[pos])) {
            case PdfCharClass::White:
                ++pos;
                break;
            case PdfCharClass::Delimiter: {
                const std::size_t end = AfterDelimited(text, pos, final);
                if (end == kNotEnded) return CarryDelimited(text, pos);
                pos = end;
                break;
            }
            case PdfCharClass::Regular: {
                const std::size_t start = pos;
                pos = AfterRegular(text, pos);
                const std::string_view word = text.substr(start, pos - start);
                if (EndedAt(text, pos, final) == kNotEnded) {
                    // Only words of one or two bytes count; a longer one stays longer.
                    carry_ = word.size() <= 2 ? std::string(word) : std::string("...");
                    return;
                }
                Operator(word);
                if (word != "ID") break;
                pos = InlineImageEnd(text, pos, final);
                if (pos == kNotEnded) return CarryImageData(text, start + 2);
                break;
            }
        }
    }
}

// What decides the end of a string is its depth; of a hex string, a comment
// or a name, only that it is one.
void GraphicsStateBalance::CarryDelimited(std::string_view text, std::size_t pos) {
    switch (text[pos]) {
        case '(': {
            OpenLiteral open;
            LiteralEnd(text, pos, &open);
            carry_.assign(static_cast<std::size_t>(open.depth), '(');
            if (open.escaping) carry_ += '\\';
            return;
        }
        case '<':
            carry_ = pos + 1 == text.size() ? "<" : "<0";
            return;
        default:
            carry_ = text[pos];
    }
}

// The bytes where an "EI" may still begin, with the byte before them; every
// candidate before them has been judged with all the bytes after it it needs.
void GraphicsStateBalance::CarryImageData(std::string_view text, std::size_t searchFrom) {
    constexpr std::size_t kKept = kLookAhead + 8;
    const std::size_t from = std::max(searchFrom, text.size() > kKept ? text.size() - kKept : std::size_t{0});
    carry_ = text.substr(from - 1);
    inImage_ = true;
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
