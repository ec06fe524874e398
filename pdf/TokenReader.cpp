#include "pdf/TokenReader.h"

#include "pdf/PdfLexer.h"

#include <limits>

namespace sgry {

namespace {

// A word is read with the white space byte after it (CR LF as one); a
// delimiter token leaves what follows it for the next token. The byte after
// a word that ends with a window that is not final is not known yet: npos.
size_t AfterWord(std::string_view text, const PdfToken& token, bool final) {
    size_t next = token.end;
    const bool word = token.kind == PdfTokenKind::Word || token.kind == PdfTokenKind::Name;
    if (!word || next == text.size() || !IsPdfWhite(text[next])) return next;
    if (text[next] != '\r') return next + 1;
    if (next + 1 == text.size()) return final ? next + 1 : std::string_view::npos;
    return text[next + 1] == '\n' ? next + 2 : next + 1;
}

// What NextToken takes from a window: the token's end and the reading's
// next position, npos when the window does not decide them.
TokenReader::Lexed WordIn(std::string_view window, bool final) {
    const PdfLexer lexer(window, final, PdfLexer::Mode::Words);
    const PdfToken token = lexer.Next(0);
    if (token.kind == PdfTokenKind::Unfinished) return {};
    if (token.kind == PdfTokenKind::End) return {token.begin, token.begin, token.begin};
    return {token.begin, token.end, AfterWord(window, token, final)};
}

}  // namespace

template <class Lex>
bool TokenReader::TakeLexed(Lex lex, std::string& out) {
    const std::string_view ahead = file_.Buffered();
    if (const Lexed lexed = lex(ahead, false); lexed.next != std::string_view::npos) {
        if (lexed.next == kUnclosed) return false;
        out.assign(ahead.substr(lexed.begin, lexed.end - lexed.begin));
        file_.Skip(lexed.next);
        return true;
    }
    const int64_t start = Tell();
    std::string window;
    for (size_t want = ahead.size() + 64;; want *= 2) {
        const size_t had = window.size();
        window.resize(want);
        window.resize(had + file_.Read(window.data() + had, want - had));
        const bool final = window.size() < want;
        const Lexed lexed = lex(std::string_view(window), final);
        if (lexed.next == kUnclosed || (final && lexed.next == std::string_view::npos)) return false;
        if (lexed.next == std::string_view::npos) continue;
        out.assign(window, lexed.begin, lexed.end - lexed.begin);
        return Seek(start + static_cast<int64_t>(lexed.next));
    }
}

std::string_view TokenReader::PeekTokenAhead(size_t& next) const {
    const std::string_view ahead = file_.Buffered();
    const Lexed lexed = WordIn(ahead, false);
    if (lexed.next == std::string_view::npos || lexed.begin == lexed.end) return std::string_view();
    next = lexed.next;
    return ahead.substr(lexed.begin, lexed.end - lexed.begin);
}

std::string TokenReader::NextToken() {
    size_t next = 0;
    if (const std::string_view ahead = PeekTokenAhead(next); !ahead.empty()) {
        std::string token(ahead);
        file_.Skip(next);
        return token;
    }
    // White space that fills the bytes read ahead is passed a byte at a
    // time, so that a long run of it is never held.
    int c = file_.ReadByte();
    while (c >= 0 && IsPdfWhite(static_cast<char>(c))) c = file_.ReadByte();
    if (c < 0) return std::string();
    file_.Unread();
    std::string token;
    TakeLexed(WordIn, token);
    return token;
}

bool TokenReader::ReadStringRest(char open, std::string& text, std::vector<std::pair<int64_t, int64_t>>* nested) {
    const int64_t start = Tell();
    auto stringIn = [&](std::string_view window, bool final) -> Lexed {
        const size_t end = open == '(' ? PdfLexer::LiteralEnd(window, 0, nullptr, 1) : window.find('>');
        if (end != std::string_view::npos) {
            const size_t after = open == '(' ? end : end + 1;
            return {0, after, after};
        }
        if (!final) return {};
        if (nested && open == '(') {
            std::vector<std::pair<size_t, size_t>> ends;
            PdfLexer::LiteralEnd(window, 0, nullptr, 1, &ends);
            for (const auto& [from, to] : ends)
                nested->emplace_back(start + static_cast<int64_t>(from),
                                     to == std::string_view::npos ? -1 : start + static_cast<int64_t>(to));
        }
        return {0, 0, kUnclosed};
    };
    std::string rest;
    if (!TakeLexed(stringIn, rest)) {
        Seek(start);
        return false;
    }
    text += rest;
    return true;
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
        if (EqualsIgnoringCase(t, word)) return true;
    }
}

bool TokenReader::EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool TokenReader::IsKey(std::string_view token, std::string_view key) {
    if (token == key) return true;
    return token.find('#') != std::string_view::npos && PdfLexer::DecodeName(token) == key;
}

FindResult TokenReader::FindKey(std::string_view key) {
    for (;;) {
        std::string t = NextToken();
        if (t.empty()) return FindResult::EndOfFile;
        if (IsKey(t, key)) return FindResult::Found;
        if (t == "endobj") return FindResult::EndOfObject;
    }
}

}  // namespace sgry
