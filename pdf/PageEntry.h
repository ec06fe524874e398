#pragma once
// What every stamp generator receives for one page. All 32-bit signed but
// the corner of the visible area.
#include <cstdint>

namespace sgry {

// Resources number of a page whose /Resources is an inline dictionary.
inline constexpr int32_t kInlineResources = -3;

struct PageEntry {
    int32_t ordinal = 0;  // position in the document, 1 for the first page
    int32_t label = 0;    // the number page-number stamps print
    int32_t objectNumber = 0;
    int32_t generation = 0;
    int32_t resourcesNumber = 0;  // kInlineResources for inline resources
    int32_t resourcesGeneration = 0;
    int32_t resourcesInline = 0;  // 1 when resourcesNumber is kInlineResources
    int32_t width = 0;            // size of the visible area (points, whole)
    int32_t height = 0;
    float originX = 0.0f;  // lower-left corner of the visible area in user space (points)
    float originY = 0.0f;
    int32_t contentNumber = 0;  // the page's new stamp content stream
    int32_t contentGeneration = 0;
    int32_t sizeClass = 0;
    int32_t rotation = 0;  // normalised /Rotate: 0, 90, 180 or -90 (for 270)
};

}  // namespace sgry
