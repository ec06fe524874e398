#include "engine/PageTreeWalker.h"

#include <limits>

#include "engine/CommentFreeTokens.h"
#include "engine/PdfJob.h"

namespace sgry {

namespace {
bool InInt32(int64_t v) { return v >= 0 && v <= std::numeric_limits<int32_t>::max(); }
}  // namespace

bool PageTreeWalker::Fail(int code) {
    job_.pages_.SetErrorCode(code);
    return false;
}

bool PageTreeWalker::Walk() {
    job_.pages_.Clear();
    if (!job_.SeekToRoot()) return Fail(page_error::kNoRoot);
    const int64_t rootNumber = job_.ReadInt();
    const int64_t rootGeneration = job_.ReadInt();
    if (!job_.SeekObject(rootNumber, rootGeneration)) return Fail(page_error::kUnreachable);
    if (CommentFreeTokens(job_.Reader()).FindKey("/Pages") != FindResult::Found) return Fail(page_error::kNoPages);
    // The catalog stands above the tree: a node or a kid naming it is a loop
    // (stamped as a page, it would lose the catalog).
    visitedNodes_.insert({rootNumber, rootGeneration});
    const int64_t pagesNumber = job_.ReadInt();
    const int64_t pagesGeneration = job_.ReadInt();
    return WalkNode(pagesNumber, pagesGeneration, Inherited{}, 0);
}

// Reads the node's own keys (whatever their place in the dictionary), then
// visits its kids in order with the values this node passes down.
bool PageTreeWalker::WalkNode(int64_t number, int64_t generation, Inherited inherited, int depth) {
    if (depth > kMaxDepth || !visitedNodes_.insert({number, generation}).second)
        return Fail(page_error::kUnreachable);
    if (!job_.SeekObject(number, generation)) return Fail(page_error::kUnreachable);

    std::vector<Kid> kids;
    if (!ReadEntries(number, generation, inherited, &kids)) return Fail(page_error::kKidsNotArray);
    for (const Kid& kid : kids) {
        const bool ok = kid.isNode ? WalkNode(kid.number, kid.generation, inherited, depth + 1)
                                   : VisitPage(kid.number, kid.generation, inherited);
        if (!ok) return false;
    }
    job_.pages_.SetErrorCode(page_error::kNone);
    return true;
}

// The reader stands at the object's header. Only the dictionary's own
// entries count: a key inside a nested value or a string is no entry of it.
bool PageTreeWalker::ReadEntries(int64_t number, int64_t generation, Inherited& values, std::vector<Kid>* kids) {
    CommentFreeTokens tokens(job_.Reader());
    for (int i = 0; i < 3; ++i) tokens.Next();  // number, generation, "obj"
    if (tokens.Next() != "<<") return true;
    bool hasResources = false;
    for (std::string key = tokens.Next(); !key.empty() && key != ">>" && key != "endobj"; key = tokens.Next()) {
        const std::string first = tokens.Next();
        if (first == ">>") break;
        if (key == "/Kids" && kids) {
            if (first != "[" || !ReadKids(tokens, *kids)) return false;
        } else if (key == "/MediaBox" || key == "/CropBox") {
            std::optional<PageBox>& box = key == "/MediaBox" ? values.mediaBox : values.cropBox;
            if (const std::optional<PageBox> read = PageBox::FromArrayTokens(ResolvedValue(tokens, first))) box = read;
        } else if (key == "/Rotate") {
            values.rotation = NormaliseRotation(TokenReader::LeadingInt(ResolvedValue(tokens, first).front()));
        } else if (key == "/Resources" && !hasResources) {
            hasResources = true;
            std::vector<std::string> value;
            tokens.ReadValue(first, value);
            values.resources = Resources(value, number, generation);
        } else {
            tokens.SkipValue(first);
        }
    }
    return true;
}

// After "/Kids [": triples "number generation R" up to "]".
bool PageTreeWalker::ReadKids(CommentFreeTokens& tokens, std::vector<Kid>& kids) {
    for (std::string t = tokens.Next(); !t.empty() && t != "]" && t != "endobj"; t = tokens.Next()) {
        const int64_t number = TokenReader::LeadingInt(t);
        const int64_t generation = tokens.ReadInt();
        tokens.Next();  // "R"
        // ObjectType keeps the reader's position inside this /Kids array.
        kids.push_back({number, generation, job_.ObjectType(number, generation) == "/Pages"});
    }
    return true;
}

// LuaTeX, ConTeXt and xdvipdfmx write page boxes as indirect objects.
std::vector<std::string> PageTreeWalker::ResolvedValue(CommentFreeTokens& tokens, const std::string& first) {
    std::vector<std::string> value;
    tokens.ReadValue(first, value);
    if (!CommentFreeTokens::IsReference(value)) return value;
    const int64_t position = tokens.Tell();
    std::vector<std::string> resolved{""};
    if (job_.SeekObject(TokenReader::LeadingInt(value[0]), TokenReader::LeadingInt(value[1]))) {
        for (int i = 0; i < 3; ++i) tokens.Next();  // number, generation, "obj"
        resolved.clear();
        tokens.ReadValue(tokens.Next(), resolved);
    }
    tokens.Seek(position);
    return resolved;
}

ResourcesOrigin PageTreeWalker::Resources(const std::vector<std::string>& value, int64_t number,
                                          int64_t generation) {
    ResourcesOrigin origin;
    if (value.front() == "<<") {
        origin.kind = ResourcesOrigin::Kind::Inline;
        origin.number = static_cast<int32_t>(number);
        origin.generation = static_cast<int32_t>(generation);
        return origin;
    }
    if (!CommentFreeTokens::IsReference(value)) return origin;
    const int64_t resNumber = TokenReader::LeadingInt(value[0]);
    const int64_t resGeneration = TokenReader::LeadingInt(value[1]);
    // A reference outside the 32-bit range can never be found; such a page is
    // treated as having no resources rather than letting the number wrap.
    if (!InInt32(resNumber) || !InInt32(resGeneration)) return origin;
    origin.kind = ResourcesOrigin::Kind::Object;
    origin.number = static_cast<int32_t>(resNumber);
    origin.generation = static_cast<int32_t>(resGeneration);
    return origin;
}

bool PageTreeWalker::VisitPage(int64_t number, int64_t generation, Inherited inherited) {
    // A kid that names a node of the tree (an ancestor whose /Type is not
    // "/Pages") is a loop: stamping it as a page would replace that node and
    // cut the tree off below it.
    if (visitedNodes_.count({number, generation}) != 0) return Fail(page_error::kUnreachable);
    const std::optional<int32_t> label = selector_.Next();
    if (!label) return true;
    if (!InInt32(number) || !InInt32(generation)) return true;  // can never be reached
    if (!job_.SeekObject(number, generation)) return true;     // left out, not an error
    ReadEntries(number, generation, inherited, nullptr);

    PageEntry entry;
    entry.ordinal = selector_.Ordinal();
    entry.label = *label;
    entry.objectNumber = static_cast<int32_t>(number);
    entry.generation = static_cast<int32_t>(generation);
    // Inline and missing resources get an object of their own when the page is written.
    const ResourcesOrigin& origin = inherited.resources;
    const bool ownObject = origin.kind == ResourcesOrigin::Kind::Object;
    entry.resourcesNumber = ownObject ? origin.number : kInlineResources;
    entry.resourcesGeneration = ownObject ? origin.generation : 0;
    entry.resourcesInline = ownObject ? 0 : 1;
    SetPageFrame(VisibleArea(inherited.mediaBox, inherited.cropBox), entry);
    entry.rotation = inherited.rotation;
    entry.sizeClass = job_.sizeClasses_.Lookup(entry.width, entry.height, entry.rotation);
    if (entry.sizeClass < 0) return Fail(page_error::kOutOfMemory);
    entry.contentNumber = job_.AllocateObjectNumber();
    entry.contentGeneration = 0;
    return job_.pages_.Add(entry, origin);
}

}  // namespace sgry
