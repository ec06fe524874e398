#include "engine/CommentFreeTokens.h"

#include <utility>

namespace sgry {

std::string CommentFreeTokens::Next() {
    std::string t = reader_.NextSignificantToken();
    if (t == "(") ReadStringRest(t);
    return t;
}

bool CommentFreeTokens::ReadStringRest(std::string& text) {
    PdfFile& file = reader_.File();
    const int64_t start = file.Tell();
    if (const auto known = stringEnds_.find(start); known != stringEnds_.end()) {
        if (known->second < 0) return false;
        std::string rest(static_cast<size_t>(known->second - start), '\0');
        rest.resize(file.Read(rest.data(), rest.size()));
        text += rest;
        return true;
    }
    // A "(" inside a string that runs on to the end of the file starts one
    // for the tokens after the lone "(": its own ")" closes it, or nothing does.
    std::vector<std::pair<int64_t, int64_t>> nested;
    if (reader_.ReadStringRest('(', text, &nested)) return true;
    for (const auto& [from, to] : nested) stringEnds_.emplace(from, to);
    return false;
}

// A token read ahead that is no comment and no string is compared where it
// lies; the others go through Next.
std::string_view CommentFreeTokens::NextPlainOrRead(std::string& read) {
    size_t next = 0;
    const std::string_view ahead = reader_.PeekTokenAhead(next);
    if (!ahead.empty() && ahead.front() != '(' && ahead.find('%') == std::string_view::npos) {
        reader_.File().Skip(next);
        return ahead;
    }
    read = Next();
    return read;
}

bool CommentFreeTokens::SearchToken(std::string_view word) {
    std::string read;
    for (std::string_view t = NextPlainOrRead(read); !t.empty(); t = NextPlainOrRead(read))
        if (TokenReader::EqualsIgnoringCase(t, word)) return true;
    return false;
}

FindResult CommentFreeTokens::FindKey(std::string_view key) {
    std::string read;
    for (std::string_view t = NextPlainOrRead(read); !t.empty(); t = NextPlainOrRead(read)) {
        if (TokenReader::IsKey(t, key)) return FindResult::Found;
        if (t == "endobj") return FindResult::EndOfObject;
    }
    return FindResult::EndOfFile;
}

void CommentFreeTokens::ReadValue(const std::string& first, std::vector<std::string>& out) {
    out.push_back(first);
    TakeValueRest(first, &out, nullptr);
}

void CommentFreeTokens::AppendValue(const std::string& first, std::string& text) {
    text += first;
    text += ' ';
    TakeValueRest(first, nullptr, &text);
}

void CommentFreeTokens::SkipValue(const std::string& first) { TakeValueRest(first, nullptr, nullptr); }

// Tokens that go nowhere or into joined are compared and appended where they
// lie, never copied on their own.
void CommentFreeTokens::TakeValueRest(const std::string& first, std::vector<std::string>* out, std::string* joined) {
    std::string_view open;
    std::string_view close;
    if (first == "<<" || first == "[" || first == "<") {
        open = first;
        close = first == "<<" ? ">>" : first == "[" ? "]" : ">";
    }
    if (!open.empty()) {
        std::string read;
        for (int depth = 1; depth > 0;) {
            const std::string_view t = out ? (read = Next(), std::string_view(read)) : NextPlainOrRead(read);
            if (t.empty() || t == "endobj") return;
            if (t == open && open != "<") ++depth;
            if (t == close) --depth;
            if (joined) (*joined += t) += ' ';
            if (out) out->push_back(std::move(read));
        }
        return;
    }
    if (!TokenReader::IsDigits(first)) return;
    const int64_t position = Tell();
    std::string generation = Next();
    std::string keyword = Next();
    if (TokenReader::IsDigits(generation) && keyword == "R") {
        if (joined) *joined += generation + " R ";
        if (!out) return;
        out->push_back(std::move(generation));
        out->push_back(std::move(keyword));
    } else {
        Seek(position);
    }
}

bool CommentFreeTokens::IsReference(const std::vector<std::string>& value) {
    return value.size() == 3 && value[2] == "R";
}

}  // namespace sgry
