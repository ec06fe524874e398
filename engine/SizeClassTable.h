#pragma once
// The distinct page shapes (width, height, rotation) of a job, in order of
// first appearance. Pages of one class share one copy of each watermark form.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pdf/PageEntry.h"

namespace sgry {

class SizeClassTable {
public:
    // Index of an equal triple, appending it when new; -1 when appending fails.
    int32_t Lookup(int32_t width, int32_t height, int32_t rotation);
    int32_t Count() const { return static_cast<int32_t>(classes_.size()); }
    // A page entry with the class's width, height and rotation and every other
    // field 0; all zeros for an index outside the table.
    PageEntry GetSizeClass(int32_t index) const;

private:
    struct SizeClass {
        int32_t width;
        int32_t height;
        int32_t rotation;
    };
    std::vector<SizeClass> classes_;
};

}  // namespace sgry
