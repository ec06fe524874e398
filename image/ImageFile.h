#pragma once
// An image file opened with the C library, closed when its owner goes.
#include <cstdio>
#include <memory>

namespace sgry {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using ImageFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace sgry
