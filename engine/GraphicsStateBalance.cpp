#include "engine/GraphicsStateBalance.h"

#include "pdf/PdfStrings.h"

#include <string>

namespace sgry {

namespace {

bool IsWhite(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDelimiter(char c) {
    switch (c) {
        case '(': case ')': case '<': case '>': case '[': case ']': case '{': case '}': case '/': case '%':
            return true;
        default:
            return false;
    }
}

std::size_t AfterLine(std::string_view text, std::size_t pos) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    return end == std::string_view::npos ? text.size() : end;
}

// Inline image data runs from after "ID" to an "EI" between white space.
std::size_t AfterInlineImage(std::string_view text, std::size_t pos) {
    for (std::size_t at = text.find("EI", pos); at != std::string_view::npos; at = text.find("EI", at + 1)) {
        const bool before = at > 0 && IsWhite(text[at - 1]);
        const bool after = at + 2 == text.size() || IsWhite(text[at + 2]);
        if (before && after) return at + 2;
    }
    return text.size();
}

}  // namespace

void GraphicsStateBalance::Add(std::string_view content) {
    std::size_t pos = 0;
    while (pos < content.size()) {
        const char c = content[pos];
        if (IsWhite(c)) {
            ++pos;
        } else if (c == '(') {
            const std::size_t end = LiteralEnd(content, pos);
            pos = end == std::string_view::npos ? content.size() : end;
        } else if (c == '%') {
            pos = AfterLine(content, pos);
        } else if (content.substr(pos, 2) == "<<" || content.substr(pos, 2) == ">>") {
            pos += 2;
        } else if (c == '<') {
            const std::size_t close = content.find('>', pos);
            pos = close == std::string_view::npos ? content.size() : close + 1;
        } else if (IsDelimiter(c)) {
            ++pos;
            while (c == '/' && pos < content.size() && !IsWhite(content[pos]) && !IsDelimiter(content[pos])) ++pos;
        } else {
            const std::size_t start = pos;
            while (pos < content.size() && !IsWhite(content[pos]) && !IsDelimiter(content[pos])) ++pos;
            const std::string_view word = content.substr(start, pos - start);
            if (word == "ID") pos = AfterInlineImage(content, pos);
            Operator(word);
        }
    }
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
