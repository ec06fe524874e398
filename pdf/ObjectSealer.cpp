#include "pdf/ObjectSealer.h"

#include "pdf/PdfStrings.h"
#include "pdf/TokenReader.h"
#include "platform/Format.h"

namespace sgry {

namespace {

bool EndsWithKeyword(std::string_view text, std::string_view keyword) {
    while (!text.empty() && IsPdfWhite(text.back())) text.remove_suffix(1);
    return text.ends_with(keyword);
}

// A stream's head ends with the keyword and its end of line.
bool EndsWithStreamKeyword(std::string_view text) {
    return text.ends_with("stream\r\n") || text.ends_with("stream\n");
}

// The value of a word of at most ten digits that fits an int32_t.
bool ObjectNumber(std::string_view word, int32_t& value) {
    if (word.empty() || word.size() > 10 || !TokenReader::IsDigits(word)) return false;
    const int64_t number = TokenReader::LeadingInt(word);
    if (number > INT32_MAX) return false;
    value = static_cast<int32_t>(number);
    return true;
}

bool IsWord(const PdfLexer& lexer, const PdfToken& token, std::string_view word) {
    return token.kind == PdfTokenKind::Word && lexer.Text(token) == word;
}

// Where the value of the dictionary's own "/Length" lies (a number, or a
// reference "n g R"), from just after the key; false when it has none.
bool FindLengthValue(const PdfLexer& lexer, std::size_t& from, std::size_t& to) {
    int depth = 0;
    for (PdfToken token = lexer.Next(0); token.kind != PdfTokenKind::End; token = lexer.Next(token.end)) {
        if (token.kind == PdfTokenKind::DictOpen) ++depth;
        if (token.kind == PdfTokenKind::DictClose) --depth;
        if (depth != 1 || token.kind != PdfTokenKind::Name || lexer.Text(token) != "/Length") continue;
        const PdfToken number = lexer.Next(token.end);
        int32_t ignored = 0;
        if (number.kind != PdfTokenKind::Word || !TokenReader::IsDigits(lexer.Text(number))) continue;
        from = token.end;
        to = number.end;
        const PdfToken generation = lexer.Next(number.end);
        const PdfToken keyword = lexer.Next(generation.end);
        if (ObjectNumber(lexer.Text(generation), ignored) && IsWord(lexer, keyword, "R")) to = keyword.end;
        return true;
    }
    return false;
}

// Replaces the value of the dictionary's "/Length" with length. A reference
// "n g R" is replaced too: the object it names holds the plain length, and
// the update does not rewrite it.
std::string WithLength(std::string head, std::size_t length) {
    std::size_t from = 0;
    std::size_t to = 0;
    if (FindLengthValue(PdfLexer(head, true), from, to))
        head.replace(from, to - from, Format(" %ld", static_cast<int64_t>(length)));
    return head;
}

}  // namespace

bool ObjectHeader(std::string_view text, int32_t& number, int32_t& generation) {
    const PdfLexer lexer(text, true);
    const PdfToken first = lexer.Next(0);
    const PdfToken second = lexer.Next(first.end);
    int32_t n = 0;
    int32_t g = 0;
    if (first.kind != PdfTokenKind::Word || !ObjectNumber(lexer.Text(first), n)) return false;
    if (second.kind != PdfTokenKind::Word || !ObjectNumber(lexer.Text(second), g)) return false;
    if (!IsWord(lexer, lexer.Next(second.end), "obj")) return false;
    number = n;
    generation = g;
    return true;
}

std::string EncryptObjectStrings(const SecurityHandler& handler, int32_t number, int32_t generation,
                                 std::string_view text) {
    const RewrittenText rewritten = RewriteStrings(text, [&](std::string_view bytes) {
        return handler.EncryptString(number, generation, bytes);
    });
    return rewritten.text + std::string(text.substr(rewritten.stop));
}

bool ObjectSealer::TakeText(std::string_view text) {
    if (state_ == State::Idle) {
        if (!ObjectHeader(text, number_, generation_)) return false;
        state_ = State::Head;
        complete_ = false;
    }
    if (state_ == State::Head) {
        head_ += text;
        if (EndsWithStreamKeyword(head_)) state_ = State::Data;
        complete_ = EndsWithKeyword(head_, "endobj");
        return true;
    }
    state_ = State::Tail;
    tail_ += text;
    complete_ = EndsWithKeyword(tail_, "endobj");
    return true;
}

bool ObjectSealer::TakeBytes(std::string_view bytes) {
    if (state_ == State::Idle) return false;
    if (state_ == State::Head) state_ = State::Data;  // bytes right after the head's "stream"
    data_ += bytes;
    return true;
}

std::string ObjectSealer::SealedHead() const { return EncryptObjectStrings(handler_, number_, generation_, head_); }

std::string ObjectSealer::Release() {
    std::string out = SealedHead();
    if (state_ == State::Data || state_ == State::Tail) {
        const std::string data = handler_.EncryptStream(number_, generation_, data_);
        if (data.size() != data_.size()) out = WithLength(std::move(out), data.size());
        out += data;
    }
    out += tail_;
    Reset();
    return out;
}

void ObjectSealer::Reset() {
    state_ = State::Idle;
    complete_ = false;
    head_.clear();
    data_.clear();
    tail_.clear();
}

}  // namespace sgry
