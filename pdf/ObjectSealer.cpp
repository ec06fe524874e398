#include "pdf/ObjectSealer.h"

#include "pdf/PdfStrings.h"
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

bool ReadNumber(std::string_view text, std::size_t& pos, int64_t& value) {
    while (pos < text.size() && IsPdfWhite(text[pos])) ++pos;
    const std::size_t start = pos;
    value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 10; ++pos)
        value = value * 10 + (text[pos] - '0');
    return pos > start && value <= INT32_MAX;
}

// Past "g R" when the number just read begins a reference "n g R".
void SkipReferenceTail(std::string_view text, std::size_t& pos) {
    std::size_t at = pos;
    int64_t generation = 0;
    if (at >= text.size() || !IsPdfWhite(text[at]) || !ReadNumber(text, at, generation)) return;
    while (at < text.size() && IsPdfWhite(text[at])) ++at;
    if (at < text.size() && text[at] == 'R') pos = at + 1;
}

// Replaces the value of the dictionary's "/Length" with length. A reference
// "n g R" is replaced too: the object it names holds the plain length, and
// the update does not rewrite it.
std::string WithLength(std::string head, std::size_t length) {
    for (std::size_t at = head.find("/Length"); at != std::string::npos; at = head.find("/Length", at + 1)) {
        std::size_t pos = at + 7;
        if (pos < head.size() && !IsPdfWhite(head[pos])) continue;  // /Length1 and the like
        int64_t old = 0;
        const std::size_t valueStart = pos;
        if (!ReadNumber(head, pos, old)) continue;
        SkipReferenceTail(head, pos);
        head.replace(valueStart, pos - valueStart, Format(" %ld", static_cast<int64_t>(length)));
        return head;
    }
    return head;
}

}  // namespace

bool ObjectHeader(std::string_view text, int32_t& number, int32_t& generation) {
    std::size_t pos = 0;
    int64_t n = 0;
    int64_t g = 0;
    if (!ReadNumber(text, pos, n) || pos >= text.size() || !IsPdfWhite(text[pos]) || !ReadNumber(text, pos, g)) return false;
    while (pos < text.size() && IsPdfWhite(text[pos])) ++pos;
    if (text.substr(pos, 3) != "obj") return false;
    number = static_cast<int32_t>(n);
    generation = static_cast<int32_t>(g);
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
