#include "pdf/FlateBuffer.h"

#include <zlib.h>

namespace sgry {

bool FlateBuffer::Compress(std::string_view input) {
    data_.clear();
    const float scaled = static_cast<float>(input.size()) * 1.2f;
    auto capacity = static_cast<uLongf>(scaled);
    if (capacity == 0) return false;
    std::string out(capacity, '\0');
    uLongf length = capacity;
    if (compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(input.data()),
                 static_cast<uLong>(input.size())) != Z_OK)
        return false;
    out.resize(length);
    data_ = std::move(out);
    return true;
}

}  // namespace sgry
