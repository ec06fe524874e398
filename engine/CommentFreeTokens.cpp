#include "engine/CommentFreeTokens.h"

namespace sgry {

namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace

std::string CommentFreeTokens::Next() {
    for (;;) {
        std::string t = reader_.NextToken();
        const size_t percent = t.find('%');
        if (percent != std::string::npos) {
            SkipRestOfLine();
            if (percent == 0) continue;
            t.resize(percent);
        }
        if (t == "(") ReadStringRest(t);
        return t;
    }
}

// The token reader stops a token at a separator and consumes it, or at a
// delimiter that it leaves for the next token. When the byte before the
// position is a line end, the comment's line is already over.
void CommentFreeTokens::SkipRestOfLine() {
    PdfFile& file = reader_.File();
    if (file.Seek(-1, PdfFile::Origin::Current)) {
        const int previous = file.ReadByte();
        if (previous == '\r' || previous == '\n') return;
    }
    for (int byte = file.ReadByte(); byte >= 0; byte = file.ReadByte())
        if (byte == '\r' || byte == '\n') return;  // a LF after CR is a separator to the token reader
}

bool CommentFreeTokens::ReadStringRest(std::string& text) {
    PdfFile& file = reader_.File();
    const int64_t start = file.Tell();
    std::string rest;
    int depth = 1;
    for (int byte = file.ReadByte(); byte >= 0; byte = file.ReadByte()) {
        rest += static_cast<char>(byte);
        if (byte == '\\') {
            const int escaped = file.ReadByte();  // whatever it is, it is no bracket
            if (escaped < 0) break;
            rest += static_cast<char>(escaped);
        } else if (byte == '(') {
            ++depth;
        } else if (byte == ')' && --depth == 0) {
            text += rest;
            return true;
        }
    }
    reader_.Seek(start);
    return false;
}

bool CommentFreeTokens::SearchToken(std::string_view word) {
    for (std::string t = Next(); !t.empty(); t = Next())
        if (EqualsIgnoreCase(t, word)) return true;
    return false;
}

FindResult CommentFreeTokens::FindKey(std::string_view key) {
    for (std::string t = Next(); !t.empty(); t = Next()) {
        if (t == key) return FindResult::Found;
        if (t == "endobj") return FindResult::EndOfObject;
    }
    return FindResult::EndOfFile;
}

}  // namespace sgry
