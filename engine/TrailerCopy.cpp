#include "engine/TrailerCopy.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "engine/CommentFreeTokens.h"
#include "pdf/PdfLexer.h"
#include "pdf/PdfParser.h"
#include "platform/Format.h"

namespace sgry {

namespace {

// The root reference a reader takes from text: the two numbers after the
// first "/Root" token (any letter case), as the job's page count reads it.
std::optional<std::pair<int64_t, int64_t>> FirstRoot(TokenReader& reader) {
    if (!CommentFreeTokens(reader).SearchToken("/Root")) return std::nullopt;
    const int64_t number = reader.ReadInt();
    return std::make_pair(number, reader.ReadInt());
}

// Positions the reader after the "<<" of the section's dictionary: the
// trailer of a classic section, or the dictionary of a cross-reference
// stream ("N G obj <<" at the offset).
bool SeekSectionDictionary(CommentFreeTokens& tokens, int64_t sectionOffset, int64_t searchFrom, bool& isStream) {
    if (!tokens.Seek(sectionOffset)) return false;
    isStream = TokenReader::IsDigits(tokens.Next()) && TokenReader::IsDigits(tokens.Next()) && tokens.Next() == "obj";
    if (isStream) return tokens.Next() == "<<";
    return tokens.Seek(searchFrom) && tokens.SearchToken("trailer") && tokens.SearchToken("<<");
}

// Keys that describe the section itself rather than the document: the update
// writes its own. /XRefStm of a hybrid file stays with the section it belongs
// to (readers reach it through /Prev).
bool IsSectionKey(const std::string& key, bool isStream) {
    if (key == "/Size" || key == "/Prev" || key == "/XRefStm") return true;
    return isStream && (key == "/Type" || key == "/W" || key == "/Index" || key == "/Length" || key == "/Filter" ||
                        key == "/DecodeParms" || key == "/F" || key == "/FFilter" || key == "/FDecodeParms" ||
                        key == "/DL");
}

// A stream dictionary's values are taken as whole values, since a value
// dropped here may be a name (/Type /XRef) or a dictionary (/DecodeParms),
// which the token-by-token skip of a classic trailer would not tell from the
// next key.
std::string CopyStreamKeys(CommentFreeTokens& tokens) {
    std::string out;
    for (std::string t = tokens.Next(); !t.empty(); t = tokens.Next()) {
        if (t == ">>") return out + ">> ";
        std::vector<std::string> value;
        tokens.ReadValue(tokens.Next(), value);
        if (IsSectionKey(t, true)) continue;
        out += t + " ";
        for (const std::string& token : value)
            if (!token.empty()) out += token + " ";
    }
    return out + ">> ";
}

// Comments are left out, since the keys are joined on one line; literal
// strings are copied whole.
std::string CopyKeys(TokenReader& reader, int64_t sectionOffset, int64_t searchFrom) {
    CommentFreeTokens tokens(reader);
    bool isStream = false;
    if (!SeekSectionDictionary(tokens, sectionOffset, searchFrom, isStream)) return ">> ";
    if (isStream) return CopyStreamKeys(tokens);
    std::string out;

    int depth = 1;
    bool skipping = false;  // inside the value of a key of the section
    for (std::string t = tokens.Next(); !t.empty(); t = tokens.Next()) {
        // A trailer that never closes ends where the section's "startxref"
        // begins: copying past it would carry the old startxref and %%EOF
        // into the new trailer.
        if (t == "startxref") break;
        // A key of the trailer itself starts or ends a skip; the closing ">>" ends it too.
        if (depth == 1 && t[0] == '/') skipping = IsSectionKey(t, false);
        if (depth == 1 && t == ">>") skipping = false;
        if (t == "<<") ++depth;
        if (t == ">>") --depth;
        if (!skipping) out += t + " ";
        if (depth == 0) return out;
    }
    for (; depth > 0; --depth) out += ">> ";
    return out;
}

// The copied keys as a reader takes them: one dictionary that closes where
// they end, or nullptr. A string or hexadecimal string left open in a damaged
// trailer is copied token by token as if it were closed, but a reader runs it
// on to its first ")" or ">", past the trailer's end.
std::unique_ptr<PdfDictionary> ReadAsOneDictionary(const std::string& keys) {
    PdfFile file;
    file.OpenMemory(keys);
    TokenReader reader(file);
    auto dictionary = std::make_unique<PdfDictionary>();
    if (!PdfDictParser(reader).Parse(*dictionary) || !reader.NextSignificantToken().empty()) return nullptr;
    return dictionary;
}

// The reference a reader takes for the root: the value of the dictionary's
// own /Root key.
std::optional<std::pair<int64_t, int64_t>> RootEntry(const PdfDictionary* dictionary) {
    const PdfDictEntry* entry = dictionary ? dictionary->Find("/Root") : nullptr;
    const auto* root = entry ? PdfCast<PdfReference>(entry->Value()) : nullptr;
    if (!root) return std::nullopt;
    return std::make_pair(int64_t{root->Number()}, int64_t{root->Generation()});
}

// The trailer's keys as the object parser reads them, entry by entry, up to
// the first entry that does not parse, whose key is no name or whose value is
// the keyword "startxref": what a reader can take of a damaged trailer.
std::string CopyWholeEntries(TokenReader& reader, int64_t sectionOffset, int64_t searchFrom) {
    CommentFreeTokens tokens(reader);
    bool isStream = false;
    std::string out;
    if (SeekSectionDictionary(tokens, sectionOffset, searchFrom, isStream)) {
        for (;;) {
            PdfDictEntry entry;
            if (PdfEntryParser(reader).Parse(entry) != EntryStatus::Read) break;
            const std::string key = entry.KeyText();
            // A trailer that never closes ends where "startxref" begins.
            if (!key.starts_with('/') || (entry.Value() && entry.Value()->ToText() == "startxref")) break;
            if (!IsSectionKey(key, isStream)) out += entry.ToText() + " ";
        }
    }
    return out + ">> ";
}

}  // namespace

// The job found its root by the first "/Root" after the section offset. When
// the copied keys would lead a reader elsewhere (a section whose "trailer"
// keyword is damaged, a /Root outside the trailer dictionary), the reference
// the job used goes first, so that the updated file still reads (and names
// the same root) rather than losing its catalog.
std::string CopyTrailerKeys(TokenReader& reader, int64_t sectionOffset, int64_t searchFrom) {
    if (searchFrom < 0) searchFrom = sectionOffset;
    std::string out = CopyKeys(reader, sectionOffset, searchFrom);
    std::unique_ptr<PdfDictionary> copied = ReadAsOneDictionary(out);
    if (!copied) {
        out = CopyWholeEntries(reader, sectionOffset, searchFrom);
        copied = ReadAsOneDictionary(out);
    }
    std::optional<std::pair<int64_t, int64_t>> sourceRoot;
    if (reader.Seek(searchFrom)) sourceRoot = FirstRoot(reader);
    if (sourceRoot && RootEntry(copied.get()) != sourceRoot)
        out.insert(0, Format("/Root %ld %ld R ", sourceRoot->first, sourceRoot->second));
    return out;
}

// Only the names that stand as keys of the outer dictionary count: a name
// inside a string, an array or a nested dictionary is a value.
bool TrailerKeysName(const std::string& keys, std::string_view key) {
    const PdfLexer lexer(keys, true);
    int dictionaries = 1, arrays = 0;
    for (PdfToken token = lexer.Next(0); token.kind != PdfTokenKind::End; token = lexer.Next(token.end)) {
        const std::string_view text = lexer.Text(token);
        if (token.kind == PdfTokenKind::DictOpen) ++dictionaries;
        if (token.kind == PdfTokenKind::DictClose) --dictionaries;
        if (token.kind == PdfTokenKind::Delimiter) arrays += text == "[" ? 1 : text == "]" ? -1 : 0;
        if (token.kind == PdfTokenKind::Name && dictionaries == 1 && arrays == 0 && PdfLexer::DecodeName(text) == key)
            return true;
    }
    return false;
}

}  // namespace sgry
