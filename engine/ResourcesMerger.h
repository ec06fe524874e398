#pragma once
// Loads the old resources dictionary of a page and adds the stamps' resources
// to it under fresh names ("/UK0", "/UK1", ...).
#include <memory>
#include <string>

#include "engine/PageList.h"
#include "pdf/PdfObject.h"

namespace sgry {

class PdfJob;
struct ResourceRequest;

class ResourcesMerger {
public:
    explicit ResourcesMerger(PdfJob& job) : job_(job) {}

    // The dictionary the page's resources come from (an empty one for a page
    // without resources); nullptr when it cannot be reached or parsed.
    std::unique_ptr<PdfDictionary> Load(const ResourcesOrigin& origin);
    // Adds one resource to its category (/Font, /XObject or /ExtGState) and
    // returns the name chosen, or "" when the category is neither a dictionary
    // nor a reference to one. A referenced category is loaded and then held
    // inline.
    std::string Add(PdfDictionary& resources, const ResourceRequest& request);

private:
    std::unique_ptr<PdfDictionary> ParseDictionaryHere();
    PdfDictionary* CategoryDictionary(PdfDictionary& resources, const char* category);

    PdfJob& job_;
};

}  // namespace sgry
