#pragma once
// The objects of an encrypted source as its readers see them. When the job
// seeks an object that stands in the file, it seeks the object's region
// here instead: "N G obj", the object's values with every string decrypted
// with the object's key (and written as a hexadecimal string), and
// "endobj"; a stream keeps its dictionary and loses its data, which no
// reader of the page tree looks at. Objects inside object streams are
// handed to the compressed-object store: the object stream was decrypted as
// a whole, so their strings are plain already.
//
// An object whose header at its offset does not name it, or whose values do
// not end within kMaxObjectBytes, cannot be supplied: the seek fails and
// the job reports it as an object it cannot find.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "pdf/PdfFile.h"
#include "pdf/SecurityHandler.h"

namespace sgry {

class DecryptedObjects final : public RegionSource {
public:
    // Above every position of the compressed-object store.
    static constexpr int64_t kBase = PdfFile::kRegionBase + (int64_t{1} << 61);
    static constexpr int64_t kSpan = int64_t{1} << 28;
    static constexpr std::size_t kMaxObjectBytes = std::size_t{64} << 20;
    static constexpr std::size_t kCacheBytes = std::size_t{16} << 20;

    // file: the job's stream; others: the regions below kBase. Both borrowed.
    DecryptedObjects(PdfFile& file, RegionSource& others) : file_(file), others_(others) {}

    // Borrowed; nullptr for a source that is not encrypted.
    void SetHandler(const SecurityHandler* handler) { handler_ = handler; }
    bool Active() const { return handler_ != nullptr; }

    // The position to seek for object (number, generation) found at the file
    // offset fileOffset.
    int64_t PositionOf(int32_t number, int32_t generation, int64_t fileOffset);

    bool RegionAt(int64_t position, int64_t& base, std::string& bytes) override;

private:
    struct Place {
        int64_t offset;
        int32_t generation;
    };
    bool ReadObject(int32_t number, const Place& place, std::string& bytes);

    PdfFile& file_;
    RegionSource& others_;
    const SecurityHandler* handler_ = nullptr;
    std::map<int32_t, Place> places_;
    std::map<int32_t, std::string> cache_;
    std::size_t cachedBytes_ = 0;
};

}  // namespace sgry
