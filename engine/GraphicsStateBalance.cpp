#include "engine/GraphicsStateBalance.h"

#include "pdf/PdfLexer.h"

#include <algorithm>

namespace sgry {

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
    const PdfLexer lexer(text, final);
    std::size_t pos = 0;
    if (inImage_) {
        pos = lexer.InlineImageEnd(1);
        if (pos == std::string_view::npos) return CarryImageData(text, 1);
        inImage_ = false;
    }
    for (PdfToken token = lexer.Next(pos); token.kind != PdfTokenKind::End; token = lexer.Next(pos)) {
        if (token.kind == PdfTokenKind::Unfinished) return CarryUnfinished(text, token.begin);
        pos = token.end;
        if (token.kind != PdfTokenKind::Word) continue;
        const std::string_view word = lexer.Text(token);
        Operator(word);
        if (word != "ID") continue;
        pos = lexer.InlineImageEnd(pos);
        if (pos == std::string_view::npos) return CarryImageData(text, token.begin + 2);
    }
}

// What decides the end of a string is its depth; of a hex string, a comment
// or a name, only that it is one; of a word, only a word of one or two bytes
// may be an operator that counts.
void GraphicsStateBalance::CarryUnfinished(std::string_view text, std::size_t pos) {
    switch (text[pos]) {
        case '(': {
            OpenLiteral open;
            PdfLexer::LiteralEnd(text, pos, &open);
            carry_.assign(static_cast<std::size_t>(open.depth), '(');
            if (open.escaping) carry_ += '\\';
            return;
        }
        case '<':
            carry_ = pos + 1 == text.size() ? "<" : "<0";
            return;
        default:
            if (CharClassOf(text[pos]) != PdfCharClass::Regular) {
                carry_ = text[pos];
            } else {
                const std::string_view word = text.substr(pos);
                carry_ = word.size() <= 2 ? std::string(word) : std::string("...");
            }
    }
}

// The bytes where an "EI" may still begin, with the byte before them; every
// candidate before them has been judged with all the bytes after it it needs.
void GraphicsStateBalance::CarryImageData(std::string_view text, std::size_t searchFrom) {
    constexpr std::size_t kKept = PdfLexer::kImageLookAhead + 8;
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
