#include "engine/SizeClassTable.h"

#include <new>

namespace sgry {

int32_t SizeClassTable::Lookup(int32_t width, int32_t height, int32_t rotation) {
    for (size_t i = 0; i < classes_.size(); ++i) {
        const SizeClass& c = classes_[i];
        if (c.width == width && c.height == height && c.rotation == rotation) return static_cast<int32_t>(i);
    }
    try {
        if (classes_.size() == classes_.capacity()) classes_.reserve(classes_.capacity() + 10);
        classes_.push_back({width, height, rotation});
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return static_cast<int32_t>(classes_.size() - 1);
}

PageEntry SizeClassTable::GetSizeClass(int32_t index) const {
    PageEntry entry;
    if (index < 0 || index >= Count()) return entry;
    const SizeClass& c = classes_[static_cast<size_t>(index)];
    entry.width = c.width;
    entry.height = c.height;
    entry.rotation = c.rotation;
    return entry;
}

}  // namespace sgry
