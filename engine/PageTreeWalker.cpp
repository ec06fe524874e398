#include "engine/PageTreeWalker.h"

#include <limits>

#include "engine/CommentFreeTokens.h"
#include "engine/PdfJob.h"

namespace sgry {

namespace {
bool InInt32(int64_t v) { return v >= 0 && v <= std::numeric_limits<int32_t>::max(); }
}  // namespace

bool PageTreeWalker::Fail(PageListError code) {
    job_.pages_.SetErrorCode(code);
    return false;
}

bool PageTreeWalker::Walk() {
    job_.pages_.Clear();
    int64_t rootNumber = 0;
    int64_t rootGeneration = 0;
    if (!job_.ReadRoot(rootNumber, rootGeneration)) return Fail(PageListError::NoRoot);
    if (!job_.SeekObject(rootNumber, rootGeneration)) return Fail(PageListError::Unreachable);
    if (CommentFreeTokens(job_.Reader()).FindKey("/Pages") != FindResult::Found) return Fail(PageListError::NoPages);
    // The catalog stands above the tree: a node or a kid naming it is a loop
    // (stamped as a page, it would lose the catalog). So does the encryption
    // dictionary: replaced by a page, it would leave a file no password opens.
    visitedNodes_.insert({rootNumber, rootGeneration});
    if (job_.encryptObject_.first >= 0) visitedNodes_.insert(job_.encryptObject_);
    const int64_t pagesNumber = job_.ReadInt();
    const int64_t pagesGeneration = job_.ReadInt();
    return WalkNode(pagesNumber, pagesGeneration, Inherited{}, 0);
}

// Reads the node's own keys (whatever their place in the dictionary), then
// visits its kids in order with the values this node passes down.
bool PageTreeWalker::WalkNode(int64_t number, int64_t generation, Inherited inherited, int depth) {
    if (depth > kMaxDepth || !visitedNodes_.insert({number, generation}).second)
        return Fail(PageListError::Unreachable);
    if (!job_.SeekObject(number, generation)) return Fail(PageListError::Unreachable);

    std::vector<Kid> kids;
    if (!ReadEntries(number, generation, inherited, &kids).kidsArray) return Fail(PageListError::KidsNotArray);
    return WalkKids(kids, inherited, depth);
}

bool PageTreeWalker::WalkKids(const std::vector<Kid>& kids, const Inherited& inherited, int depth) {
    for (const Kid& kid : kids)
        if (!VisitKid(kid, inherited, depth + 1)) return false;
    job_.pages_.SetErrorCode(PageListError::None);
    return true;
}

// A kid that names a node of the tree (an ancestor whose /Type is not
// "/Pages") is a loop: stamping it as a page would replace that node and cut
// the tree off below it. A kid that cannot be read takes its label and is
// left out, which is no error.
bool PageTreeWalker::VisitKid(const Kid& kid, const Inherited& inherited, int depth) {
    const std::pair<int64_t, int64_t> id{kid.number, kid.generation};
    if (visitedNodes_.count(id) != 0) return Fail(PageListError::Unreachable);
    if (!InInt32(kid.number) || !InInt32(kid.generation) || !job_.SeekObject(kid.number, kid.generation)) {
        selector_.Next();
        return true;
    }
    Inherited values = inherited;
    std::vector<Kid> kids;
    const Entries entries = ReadEntries(kid.number, kid.generation, values, &kids);
    if (entries.type == "/Pages") {
        if (depth > kMaxDepth) return Fail(PageListError::Unreachable);
        visitedNodes_.insert(id);
        if (!entries.kidsArray) return Fail(PageListError::KidsNotArray);
        return WalkKids(kids, values, depth);
    }
    // A page's /Kids are a value like any other: read again without them.
    if (entries.hasKids) {
        values = inherited;
        if (job_.SeekObject(kid.number, kid.generation)) ReadEntries(kid.number, kid.generation, values, nullptr);
    }
    return AddPage(kid, values);
}

// The reader stands at the object's header. Only the dictionary's own
// entries count: a key inside a nested value or a string is no entry of it.
PageTreeWalker::Entries PageTreeWalker::ReadEntries(int64_t number, int64_t generation, Inherited& values,
                                                    std::vector<Kid>* kids) {
    Entries entries;
    CommentFreeTokens tokens(job_.Reader());
    for (int i = 0; i < 3; ++i) tokens.Next();  // number, generation, "obj"
    if (tokens.Next() != "<<") return entries;
    bool hasResources = false;
    bool hasType = false;
    for (std::string key = tokens.Next(); !key.empty() && key != ">>" && key != "endobj"; key = tokens.Next()) {
        const std::string first = tokens.Next();
        if (first == ">>") break;
        if (key == "/Kids" && kids) {
            entries.hasKids = true;
            if (first == "[") {
                ReadKids(tokens, *kids);
            } else {
                entries.kidsArray = false;
                tokens.SkipValue(first);
            }
        } else if (key == "/MediaBox" || key == "/CropBox") {
            std::optional<PageBox>& box = key == "/MediaBox" ? values.mediaBox : values.cropBox;
            if (const std::optional<PageBox> read = PageBox::FromArrayTokens(ResolvedValue(tokens, first))) box = read;
        } else if (key == "/Rotate") {
            values.rotation = NormaliseRotation(TokenReader::LeadingInt(ResolvedValue(tokens, first).front()));
        } else if (key == "/Resources" && !hasResources) {
            hasResources = true;
            // Of an inline dictionary only its place counts: it is read again when the page is written.
            std::vector<std::string> value;
            if (first == "<<") {
                value.push_back(first);
                tokens.SkipValue(first);
            } else {
                tokens.ReadValue(first, value);
            }
            values.resources = Resources(value, number, generation);
        } else {
            if (key == "/Type" && !hasType) {
                hasType = true;
                entries.type = first;
            }
            tokens.SkipValue(first);
        }
    }
    return entries;
}

// After "/Kids [": pairs "number generation" each followed by "R", up to "]".
void PageTreeWalker::ReadKids(CommentFreeTokens& tokens, std::vector<Kid>& kids) {
    for (std::string t = tokens.Next(); !t.empty() && t != "]" && t != "endobj"; t = tokens.Next()) {
        const int64_t number = TokenReader::LeadingInt(t);
        const int64_t generation = tokens.ReadInt();
        tokens.Next();  // "R"
        kids.push_back({number, generation});
    }
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

bool PageTreeWalker::AddPage(const Kid& page, const Inherited& inherited) {
    const std::optional<int32_t> label = selector_.Next();
    if (!label) return true;
    const int64_t number = page.number;
    const int64_t generation = page.generation;

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
    if (TooSmallForStamps(inherited.mediaBox, inherited.cropBox)) job_.pages_.NoteTooSmall(entry.ordinal);
    entry.rotation = inherited.rotation;
    entry.sizeClass = job_.sizeClasses_.Lookup(entry.width, entry.height, entry.rotation);
    if (entry.sizeClass < 0) return Fail(PageListError::OutOfMemory);
    entry.contentNumber = job_.AllocateObjectNumber();
    entry.contentGeneration = 0;
    return job_.pages_.Add(entry, origin);
}

}  // namespace sgry
