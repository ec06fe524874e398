#pragma once
// A page entry of a given size and rotation, the rest zero: what the
// placement tests hand to the stamp generators.
#include <cstdint>

#include "pdf/PageEntry.h"

namespace sgry::test {

inline PageEntry Page(int32_t width, int32_t height, int32_t rotation = 0) {
    PageEntry page;
    page.width = width;
    page.height = height;
    page.rotation = rotation;
    return page;
}

}  // namespace sgry::test
