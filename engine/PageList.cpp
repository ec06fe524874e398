#include "engine/PageList.h"

#include <algorithm>
#include <new>

#include "engine/TryReserve.h"

namespace sgry {

bool PageList::Add(const PageEntry& entry, const ResourcesOrigin& origin) {
    try {
        if (entries_.size() == entries_.capacity()) {
            // Room for 1000 pages first, then 100 more or half the list again,
            // whichever is larger: a tree of a million kids must not copy the
            // list ten thousand times.
            const std::size_t step = entries_.empty() ? 1000 : std::max<std::size_t>(100, entries_.capacity() / 2);
            entries_.reserve(entries_.capacity() + step);
            origins_.reserve(entries_.capacity());
        }
        entries_.push_back(entry);
        origins_.push_back(origin);
    } catch (const std::bad_alloc&) {
        if (origins_.size() < entries_.size()) entries_.pop_back();
        error_ = PageListError::OutOfMemory;
        return false;
    }
    return true;
}

void PageList::Reserve(std::size_t pages) { TryReserve(pages, entries_, origins_); }

bool PageList::GetPage(int32_t index, PageEntry& out) const {
    if (index < 0 || index >= Count()) return false;
    out = entries_[static_cast<std::size_t>(index)];
    return true;
}

void PageList::SetPageResources(int32_t index, int32_t number, int32_t generation) {
    if (index < 0 || index >= Count()) return;
    PageEntry& e = entries_[static_cast<std::size_t>(index)];
    e.resourcesNumber = number;
    e.resourcesGeneration = generation;
    e.resourcesInline = number == kInlineResources ? 1 : 0;
}

void PageList::RequireOwnResources(int32_t index) { SetPageResources(index, kInlineResources, 0); }

void PageList::Clear() {
    entries_.clear();
    origins_.clear();
    tooSmall_ = {};
    error_ = PageListError::None;
}

}  // namespace sgry
