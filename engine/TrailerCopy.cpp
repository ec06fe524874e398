#include "engine/TrailerCopy.h"

#include <optional>
#include <utility>

#include "platform/Format.h"

namespace sgry {

namespace {

// The root reference a reader takes from text: the two numbers after the
// first "/Root" token (any letter case), as the job's page count reads it.
std::optional<std::pair<int64_t, int64_t>> FirstRoot(TokenReader& reader) {
    if (!reader.SearchToken("/Root")) return std::nullopt;
    const int64_t number = reader.ReadInt();
    return std::make_pair(number, reader.ReadInt());
}

std::string CopyKeys(TokenReader& reader, int64_t sectionOffset) {
    if (!reader.Seek(sectionOffset) || !reader.SearchToken("trailer") || !reader.SearchToken("<<"))
        return ">> ";
    std::string out;

    int depth = 1;
    bool skipping = false;  // inside the value of /Size or /Prev
    for (std::string t = reader.NextToken(); !t.empty(); t = reader.NextToken()) {
        // A key of the trailer itself starts or ends a skip; the closing ">>" ends it too.
        if (depth == 1 && t[0] == '/') skipping = t == "/Size" || t == "/Prev";
        if (depth == 1 && t == ">>") skipping = false;
        if (t == "<<") ++depth;
        if (t == ">>") --depth;
        if (!skipping) out += t + " ";
        if (depth == 0) return out;
    }
    return out + ">> ";
}

}  // namespace

// The job found its root by the first "/Root" after the section offset. When
// the copied keys would lead a reader elsewhere (a section whose "trailer"
// keyword is damaged, a /Root outside the trailer dictionary), the reference
// the job used goes first, so that the updated file still reads (and names
// the same root) rather than losing its catalog.
std::string CopyTrailerKeys(TokenReader& reader, int64_t sectionOffset) {
    std::string out = CopyKeys(reader, sectionOffset);
    std::optional<std::pair<int64_t, int64_t>> sourceRoot;
    if (reader.Seek(sectionOffset)) sourceRoot = FirstRoot(reader);
    if (!sourceRoot) return out;
    PdfFile copied;
    copied.OpenMemory(out);
    TokenReader copiedReader(copied);
    if (FirstRoot(copiedReader) != sourceRoot)
        out.insert(0, Format("/Root %ld %ld R ", sourceRoot->first, sourceRoot->second));
    return out;
}

}  // namespace sgry
