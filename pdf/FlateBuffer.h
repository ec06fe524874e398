#pragma once
// The one zlib compression helper of every stream writer. The output buffer
// holds 1.2 times the input (computed in single precision and truncated);
// when compress() does not fit in it or fails, Compress() returns false and
// the caller writes the data uncompressed.
#include <cstddef>
#include <string>
#include <string_view>

namespace sgry {

class FlateBuffer {
public:
    bool Compress(std::string_view input);
    bool Compress(const void* data, std::size_t size) {
        return Compress(std::string_view(static_cast<const char*>(data), size));
    }
    const std::string& Data() const { return data_; }
    std::size_t Size() const { return data_.size(); }

private:
    std::string data_;
};

}  // namespace sgry
