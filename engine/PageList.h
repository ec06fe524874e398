#pragma once
// The selected pages of a job in document order, with the walk's error code,
// and for every page where its resources dictionary is to be loaded from.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pdf/PageEntry.h"

namespace sgry {

// Page-list error codes (kept by the page list, not by the job; the run
// shows their numbers).
enum class PageListError : int {
    None = 0,
    OutOfMemory = 1,   // growing the page list failed
    NoRoot = 2,        // no /Root in the newest trailer
    Unreachable = 3,   // root or a tree node cannot be reached, or the tree loops
    NoPages = 5,       // the root object has no /Pages
    KidsNotArray = 7,  // a /Kids value is not a direct array
};

// Where the resources dictionary of a page is read from when it is merged.
struct ResourcesOrigin {
    enum class Kind {
        Object,  // the indirect object (number, generation)
        Inline,  // the inline /Resources dictionary of object (number, generation): the page or a tree node
        Empty,   // the page has no resources anywhere: start from an empty dictionary
    };
    Kind kind = Kind::Empty;
    int32_t number = 0;
    int32_t generation = 0;
};

// Pages a run says something of: how many, and the first of them.
struct PageTally {
    int32_t count = 0;
    int32_t first = 0;  // its ordinal, 0 for none
    void Note(int32_t ordinal) {
        if (count++ == 0) first = ordinal;
    }
};

class PageList {
public:
    // Appends a page; false (OutOfMemory) when the list cannot grow.
    bool Add(const PageEntry& entry, const ResourcesOrigin& origin);
    // Room for pages entries at once, so that the list does not move while it
    // fills; nothing happens when memory is short (Add then grows as it can).
    void Reserve(std::size_t pages);

    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    // False for an index outside 0..Count()-1.
    bool GetPage(int32_t index, PageEntry& out) const;
    const PageEntry& At(int32_t index) const { return entries_.at(static_cast<std::size_t>(index)); }
    const ResourcesOrigin& OriginAt(int32_t index) const { return origins_.at(static_cast<std::size_t>(index)); }
    // Replaces the resources reference of an entry (clears the inline marker
    // unless number is the marker itself).
    void SetPageResources(int32_t index, int32_t number, int32_t generation);
    // Gives the page a resources object of its own: the writer takes a new
    // number for it; the dictionary is still loaded from the page's origin.
    void RequireOwnResources(int32_t index);

    // The pages whose visible area is too small for stamps to be seen
    // (engine/PageBox.h): they are stamped all the same, and the run says so.
    void NoteTooSmall(int32_t ordinal) { tooSmall_.Note(ordinal); }
    int32_t TooSmallCount() const { return tooSmall_.count; }
    int32_t FirstTooSmall() const { return tooSmall_.first; }  // its ordinal, 0 for none

    PageListError ErrorCode() const { return error_; }
    void SetErrorCode(PageListError code) { error_ = code; }
    void Clear();

private:
    std::vector<PageEntry> entries_;
    std::vector<ResourcesOrigin> origins_;
    PageTally tooSmall_;
    PageListError error_ = PageListError::None;
};

}  // namespace sgry
