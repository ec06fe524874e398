#include "engine/PageTreeWalker.h"

#include <limits>

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
    if (job_.FindKey("/Pages") != FindResult::Found) return Fail(page_error::kNoPages);
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
    bool hasResources = false;
    for (std::string t = job_.NextToken(); !t.empty() && t != "endobj"; t = job_.NextToken()) {
        if (t == "/Kids") {
            if (!ReadKids(kids)) return Fail(page_error::kKidsNotArray);
        } else if (t == "/MediaBox") {
            ReadMediaBox(inherited);
        } else if (t == "/Rotate") {
            inherited.rotation = NormaliseRotation(job_.ReadInt());
        } else if (t == "/Resources" && !hasResources) {
            hasResources = true;
            inherited.resources = ReadResources(number, generation);
        }
    }

    for (const Kid& kid : kids) {
        const bool ok = kid.isNode ? WalkNode(kid.number, kid.generation, inherited, depth + 1)
                                   : VisitPage(kid.number, kid.generation, inherited);
        if (!ok) return false;
    }
    job_.pages_.SetErrorCode(page_error::kNone);
    return true;
}

// After "/Kids": "[" then triples "number generation R" up to "]".
bool PageTreeWalker::ReadKids(std::vector<Kid>& kids) {
    if (job_.NextToken() != "[") return false;
    for (std::string t = job_.NextToken(); !t.empty() && t != "]" && t != "endobj"; t = job_.NextToken()) {
        const int64_t number = TokenReader::LeadingInt(t);
        const int64_t generation = job_.ReadInt();
        job_.NextToken();  // "R"
        // ObjectType keeps the reader's position inside this /Kids array.
        kids.push_back({number, generation, job_.ObjectType(number, generation) == "/Pages"});
    }
    return true;
}

// Only a direct array replaces the media box (an indirect one is ignored).
void PageTreeWalker::ReadMediaBox(Inherited& values) {
    if (job_.NextToken() != "[") return;
    for (int32_t& v : values.mediaBox) {
        const int64_t n = job_.ReadInt();
        v = static_cast<int32_t>(n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : n);
    }
}

ResourcesOrigin PageTreeWalker::ReadResources(int64_t number, int64_t generation) {
    ResourcesOrigin origin;
    const std::string t = job_.NextToken();
    if (t == "<<") {
        origin.kind = ResourcesOrigin::Kind::Inline;
        origin.number = static_cast<int32_t>(number);
        origin.generation = static_cast<int32_t>(generation);
        return origin;
    }
    const int64_t resNumber = TokenReader::LeadingInt(t);
    const int64_t resGeneration = job_.ReadInt();
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

    bool hasResources = false;
    for (std::string t = job_.NextToken(); !t.empty() && t != "endobj"; t = job_.NextToken()) {
        if (t == "/Resources" && !hasResources) {
            hasResources = true;
            inherited.resources = ReadResources(number, generation);
        } else if (t == "/MediaBox") {
            ReadMediaBox(inherited);
        } else if (t == "/Rotate") {
            inherited.rotation = NormaliseRotation(job_.ReadInt());
        }
    }

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
    entry.width = inherited.mediaBox[2];
    entry.height = inherited.mediaBox[3];
    entry.rotation = inherited.rotation;
    entry.sizeClass = job_.sizeClasses_.Lookup(entry.width, entry.height, entry.rotation);
    if (entry.sizeClass < 0) return Fail(page_error::kOutOfMemory);
    entry.contentNumber = job_.AllocateObjectNumber();
    entry.contentGeneration = 0;
    return job_.pages_.Add(entry, origin);
}

}  // namespace sgry
