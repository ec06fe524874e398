#pragma once
// The job's tokens without comments, for the copies that join an old
// object's tokens on one line (the rest of a page dictionary, a contents
// array, the trailer keys). A comment left in such a line would swallow
// everything after it, including the keys and brackets the update adds.
//
// Outside a literal string, a "%" starts a comment that runs to the end of
// its line (TokenReader::NextSignificantToken passes over it).
//
// A literal string comes as one token, "(" to its matching ")" (nested pairs
// counted, backslash escapes honoured), byte for byte: its "%" is no
// comment, and re-joining its words with spaces would break an escaped
// parenthesis ("\)" becoming "\ )", which ends the string early). A
// "(" without a matching ")" before the end of the file comes alone, as the
// token reader gives it.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/TokenReader.h"

namespace sgry {

class CommentFreeTokens {
public:
    // Reads through reader (borrowed) from its current position.
    explicit CommentFreeTokens(TokenReader& reader) : reader_(reader) {}

    // The next token that is not part of a comment; empty at end of file. A
    // literal string is one token and never equals a key, bracket or keyword.
    std::string Next();
    // Leading integer of the next token, as TokenReader::ReadInt.
    int64_t ReadInt() { return TokenReader::LeadingInt(Next()); }
    // Reads tokens until one equals word without regard to letter case;
    // false at end of file.
    bool SearchToken(std::string_view word);
    // Reads tokens until one equals key exactly, "endobj", or end of file.
    FindResult FindKey(std::string_view key);

    // Appends to out the tokens of the value that begins with first (already
    // read): a dictionary, array or hexadecimal string up to its matching
    // close (nested ones counted; an unclosed one ends at "endobj" or the end
    // of the file), a reference "n g R", or the single token (a literal
    // string, name, number or keyword).
    void ReadValue(const std::string& first, std::vector<std::string>& out);
    void SkipValue(const std::string& first);
    // The tokens ReadValue would give, each followed by a space, appended to text.
    void AppendValue(const std::string& first, std::string& text);
    // Whether the tokens ReadValue gave are a reference "n g R".
    static bool IsReference(const std::vector<std::string>& value);

    int64_t Tell() const { return reader_.Tell(); }
    bool Seek(int64_t offset) { return reader_.Seek(offset); }

private:
    // The next token as Next gives it: a view of the bytes read ahead, valid
    // until the next read, or of read, where Next put it.
    std::string_view NextPlainOrRead(std::string& read);
    // ReadValue after first: the tokens go to out, and joined by spaces to
    // joined, where those are not nullptr.
    void TakeValueRest(const std::string& first, std::vector<std::string>* out, std::string* joined);
    // Completes the literal string whose "(" was just read; false (and the
    // position unchanged) when the file ends before its closing ")".
    bool ReadStringRest(std::string& text);

    TokenReader& reader_;
    // Every "(" met by a string that ran on to the end of the file: where its
    // own string ends (just after the matching ")"), or -1 when it ends
    // nowhere. Keyed by the position just after the "(". The "(" tokens that
    // follow an unclosed one are answered from here, so a page of unclosed
    // strings costs one pass instead of one pass each.
    std::unordered_map<int64_t, int64_t> stringEnds_;
};

}  // namespace sgry
