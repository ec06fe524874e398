#include "engine/ResourcesMerger.h"

#include "engine/CommentFreeTokens.h"
#include "engine/PdfJob.h"
#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfParser.h"

namespace sgry {

namespace {
const char* CategoryName(ResourceRequest::Category category) {
    switch (category) {
        case ResourceRequest::Category::Font:
            return "/Font";
        case ResourceRequest::Category::XObject:
            return "/XObject";
        case ResourceRequest::Category::ExtGState:
            return "/ExtGState";
    }
    return "/Font";
}
}  // namespace

// The reader stands just after "<<".
std::unique_ptr<PdfDictionary> ResourcesMerger::ParseDictionaryHere() {
    auto dictionary = std::make_unique<PdfDictionary>();
    PdfDictParser parser(job_.Reader());
    if (!parser.Parse(*dictionary)) return nullptr;
    return dictionary;
}

// Comments (pdfTeX writes one before every object of its object streams)
// and strings are read as tokens on the way to the dictionary.
std::unique_ptr<PdfDictionary> ResourcesMerger::Load(const ResourcesOrigin& origin) {
    CommentFreeTokens tokens(job_.Reader());
    switch (origin.kind) {
        case ResourcesOrigin::Kind::Empty:
            return std::make_unique<PdfDictionary>();
        case ResourcesOrigin::Kind::Object:
            if (!job_.SeekObject(origin.number, origin.generation)) return nullptr;
            for (int i = 0; i < 3; ++i) tokens.Next();  // number, generation, "obj"
            if (tokens.Next() != "<<") return nullptr;
            return ParseDictionaryHere();
        case ResourcesOrigin::Kind::Inline: {
            const int64_t at = job_.ResourcesValueAt(origin.number, origin.generation);
            if (at < 0 || !tokens.Seek(at) || tokens.Next() != "<<") return nullptr;
            return ParseDictionaryHere();
        }
    }
    return nullptr;
}

PdfDictionary* ResourcesMerger::CategoryDictionary(PdfDictionary& resources, const char* category) {
    PdfDictEntry* entry = resources.Find(category);
    if (!entry) {
        if (!resources.AddObject(category, std::make_unique<PdfDictionary>())) return nullptr;
        entry = resources.Find(category);
        if (!entry) return nullptr;
    }
    if (const auto* reference = PdfCast<PdfReference>(entry->Value())) {
        if (!job_.SeekObject(reference->Number(), reference->Generation())) return nullptr;
        PdfIndirectObject loaded;
        PdfObjectParser parser(job_.Reader());
        if (!parser.Parse(loaded) || !PdfCast<PdfDictionary>(loaded.GetItem(0))) return nullptr;
        entry->SetValue(loaded.TakeItem(0));
    }
    return PdfCast<PdfDictionary>(entry->Value());
}

std::string ResourcesMerger::Add(PdfDictionary& resources, const ResourceRequest& request) {
    PdfDictionary* category = CategoryDictionary(resources, CategoryName(request.category));
    if (!category) return std::string();
    std::string name = category->UniqueKey();
    if (!category->AddObject(name, std::make_unique<PdfReference>(request.number, request.generation)))
        return std::string();
    return name;
}

}  // namespace sgry
