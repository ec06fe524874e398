#include "pdf/PdfLexer.h"

#include <algorithm>

namespace sgry {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

}  // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

PdfToken PdfLexer::Delimited(std::size_t pos) const {
    switch (text_[pos]) {
        case '(': {
            const std::size_t end = LiteralEnd(text_, pos);
            if (end != kNone) return {PdfTokenKind::LiteralString, pos, end};
            if (!final_) return {PdfTokenKind::Unfinished, pos, text_.size()};
            return {PdfTokenKind::LiteralString, pos, text_.size(), false};
        }
        case '<': {
            if (pos + 1 < text_.size() && text_[pos + 1] == '<') return {PdfTokenKind::DictOpen, pos, pos + 2};
            const std::size_t close = text_.find('>', pos + 1);
            if (close != kNone) return {PdfTokenKind::HexString, pos, close + 1};
            if (!final_) return {PdfTokenKind::Unfinished, pos, text_.size()};
            return {PdfTokenKind::HexString, pos, text_.size(), false};
        }
        case '>':
            if (pos + 1 < text_.size() && text_[pos + 1] == '>') return {PdfTokenKind::DictClose, pos, pos + 2};
            return RunningTo(PdfTokenKind::Delimiter, pos, pos + 1);
        case '/':
            return RunningTo(PdfTokenKind::Name, pos, AfterRegular(pos + 1));
        case '%':
            return RunningTo(PdfTokenKind::Comment, pos, std::min(text_.find_first_of("\r\n", pos), text_.size()));
        default:
            return {PdfTokenKind::Delimiter, pos, pos + 1};
    }
}

std::size_t PdfLexer::InlineImageEnd(std::size_t pos) const {
    auto readsAsContent = [this](std::size_t from) {
        const std::string_view next = text_.substr(from, kImageLookAhead);
        return std::all_of(next.begin(), next.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return IsPdfWhite(c) || (byte >= 0x20 && byte < 0x7F);
        });
    };
    for (std::size_t at = text_.find("EI", pos); at != kNone; at = text_.find("EI", at + 1)) {
        if (at == 0 || !IsPdfWhite(text_[at - 1])) continue;
        const std::size_t end = at + 2;
        if (!final_ && text_.size() - end < kImageLookAhead) return kNone;  // the next window decides
        if ((end == text_.size() || IsPdfWhite(text_[end])) && readsAsContent(end)) return end;
    }
    return final_ ? text_.size() : kNone;
}

std::size_t PdfLexer::LiteralEnd(std::string_view text, std::size_t begin, OpenLiteral* open, int depth,
                                 std::vector<std::pair<std::size_t, std::size_t>>* nested) {
    // Most bytes of a string are none of the three that count; they are
    // passed over by one look in a table each.
    static constexpr std::array<bool, 256> kCounts = [] {
        std::array<bool, 256> counts{};
        counts['\\'] = counts['('] = counts[')'] = true;
        return counts;
    }();
    std::vector<std::size_t> opened;  // just after each "(" not yet closed, when nested is wanted
    if (nested && depth > 0) opened.push_back(begin);
    bool escaping = false;
    for (std::size_t i = begin; i < text.size(); ++i) {
        while (i < text.size() && !kCounts[static_cast<unsigned char>(text[i])]) ++i;
        if (i == text.size()) break;
        if (text[i] == '\\') {
            escaping = ++i == text.size();
        } else if (text[i] == '(') {
            ++depth;
            if (nested) opened.push_back(i + 1);
        } else {
            if (nested && !opened.empty()) {
                nested->emplace_back(opened.back(), i + 1);
                opened.pop_back();
            }
            if (--depth == 0) return i + 1;
        }
    }
    if (open) *open = {depth, escaping};
    if (nested)
        for (const std::size_t from : opened) nested->emplace_back(from, kNone);
    return kNone;
}

std::string PdfLexer::DecodeName(std::string_view name) {
    std::string decoded;
    decoded.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '#' && i + 2 < name.size() && HexDigitValue(name[i + 1]) >= 0 &&
            HexDigitValue(name[i + 2]) >= 0) {
            decoded += static_cast<char>(HexDigitValue(name[i + 1]) * 16 + HexDigitValue(name[i + 2]));
            i += 2;
        } else {
            decoded += name[i];
        }
    }
    return decoded;
}

}  // namespace sgry
