#include "pdf/TokenReader.h"

#include "pdf/PdfStrings.h"

#include <limits>

namespace sgry {

namespace {

// The format's white space (CR LF is read as one line end).
bool IsSeparator(int c) { return c >= 0 && IsPdfWhite(static_cast<char>(c)); }
bool IsBracket(int c) { return c == '[' || c == ']' || c == '(' || c == ')'; }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::string_view TokenReader::PeekTokenAhead(size_t& next) const {
    const std::string_view ahead = file_.Buffered();
    size_t start = 0;
    while (start < ahead.size() && IsSeparator(ahead[start])) ++start;
    if (start == ahead.size()) return std::string_view();
    const char first = ahead[start];
    size_t end = start + 1;
    if (IsBracket(first)) {
        next = end;
        return ahead.substr(start, 1);
    }
    if (first == '<' || first == '>') {
        if (end == ahead.size()) return std::string_view();
        next = ahead[end] == first ? end + 1 : end;
        return ahead.substr(start, next - start);
    }
    auto endsToken = [](char c) { return IsSeparator(c) || IsBracket(c) || c == '/' || c == '<' || c == '>'; };
    while (end < ahead.size() && !endsToken(ahead[end])) ++end;
    // The separator after the token is read with it (CR LF as one); a
    // delimiter is left for the next token.
    if (end == ahead.size()) return std::string_view();
    next = end;
    if (ahead[end] == '\r') {
        if (end + 1 == ahead.size()) return std::string_view();
        next = ahead[end + 1] == '\n' ? end + 2 : end + 1;
    } else if (IsSeparator(ahead[end])) {
        next = end + 1;
    }
    return ahead.substr(start, end - start);
}

std::string TokenReader::NextToken() {
    size_t next = 0;
    if (const std::string_view ahead = PeekTokenAhead(next); !ahead.empty()) {
        std::string token(ahead);
        file_.Skip(next);
        return token;
    }
    int c = file_.ReadByte();
    while (c >= 0 && IsSeparator(c)) c = file_.ReadByte();
    if (c < 0) return std::string();

    std::string token(1, static_cast<char>(c));
    if (IsBracket(c)) return token;

    // "<" and ">" stand alone or double up as "<<" and ">>"; any other token
    // ends before them.
    const char first = static_cast<char>(c);
    const bool angle = first == '<' || first == '>';
    for (;;) {
        c = file_.ReadByte();
        if (c < 0) return token;
        if (c == '\r') {
            int after = file_.ReadByte();
            if (after >= 0 && after != '\n') file_.Unread();
            return token;
        }
        if (IsSeparator(c)) return token;
        if (c == '/' || IsBracket(c)) {
            file_.Unread();
            return token;
        }
        if (angle || c == '<' || c == '>') {
            if (angle && token.size() == 1 && c == first) return token += static_cast<char>(c);
            file_.Unread();
            return token;
        }
        token += static_cast<char>(c);
    }
}

int64_t TokenReader::LeadingInt(std::string_view token) {
    size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
        const int digit = token[i] - '0';
        value = (value > (kMax - digit) / 10) ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

bool TokenReader::IsDigits(std::string_view token) {
    if (token.empty()) return false;
    for (char c : token)
        if (c < '0' || c > '9') return false;
    return true;
}

int64_t TokenReader::ReadInt() { return LeadingInt(NextToken()); }

std::string TokenReader::NextSignificantToken() {
    for (;;) {
        std::string token = NextToken();
        const size_t percent = token.find('%');
        if (percent == std::string::npos) return token;
        SkipRestOfLine();
        if (percent > 0) {
            token.resize(percent);
            return token;
        }
    }
}

// NextToken stops a token at a separator and consumes it, or at a delimiter
// that it leaves for the next token. When the byte before the position is a
// line end, the comment's line is already over.
void TokenReader::SkipRestOfLine() {
    if (file_.Seek(-1, PdfFile::Origin::Current)) {
        const int previous = file_.ReadByte();
        if (previous == '\r' || previous == '\n') return;
    }
    for (int byte = file_.ReadByte(); byte >= 0; byte = file_.ReadByte())
        if (byte == '\r' || byte == '\n') return;  // a LF after CR is a separator to NextToken
}

bool TokenReader::SearchToken(std::string_view word) {
    for (;;) {
        std::string t = NextToken();
        if (t.empty()) return false;
        if (EqualsIgnoreCase(t, word)) return true;
    }
}

FindResult TokenReader::FindKey(std::string_view key) {
    for (;;) {
        std::string t = NextToken();
        if (t.empty()) return FindResult::EndOfFile;
        if (t == key) return FindResult::Found;
        if (t == "endobj") return FindResult::EndOfObject;
    }
}

}  // namespace sgry
