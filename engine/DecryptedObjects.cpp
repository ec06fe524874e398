#include "engine/DecryptedObjects.h"

#include "pdf/ObjectSealer.h"
#include "pdf/PdfStrings.h"

namespace sgry {

int64_t DecryptedObjects::PositionOf(int32_t number, int32_t generation, int64_t fileOffset) {
    const auto [at, inserted] = places_.insert_or_assign(number, Place{fileOffset, generation});
    if (!inserted) cache_.erase(number);  // the place may differ from the one cached
    (void)at;
    return kBase + int64_t{number} * kSpan;
}

bool DecryptedObjects::RegionAt(int64_t position, int64_t& base, std::string& bytes) {
    if (position < kBase) return others_.RegionAt(position, base, bytes);
    const int64_t number = (position - kBase) / kSpan;
    const auto place = places_.find(static_cast<int32_t>(number));
    if (number > INT32_MAX || place == places_.end()) return false;
    base = kBase + number * kSpan;
    if (const auto cached = cache_.find(place->first); cached != cache_.end()) {
        bytes = cached->second;
        return true;
    }
    if (!ReadObject(place->first, place->second, bytes)) return false;
    if (cachedBytes_ + bytes.size() > kCacheBytes) {
        cache_.clear();
        cachedBytes_ = 0;
    }
    cachedBytes_ += bytes.size();
    cache_.emplace(place->first, bytes);
    return true;
}

// Reads ever larger pieces of the file until the object's values end.
bool DecryptedObjects::ReadObject(int32_t number, const Place& place, std::string& bytes) {
    if (!handler_) return false;
    for (std::size_t size = 4096; size <= kMaxObjectBytes; size *= 2) {
        std::string piece(size, '\0');
        if (!file_.Seek(place.offset, PdfFile::Origin::Start)) return false;
        piece.resize(file_.Read(piece.data(), piece.size()));
        int32_t headerNumber = 0;
        int32_t headerGeneration = 0;
        if (!ObjectHeader(piece, headerNumber, headerGeneration) || headerNumber != number) return false;
        const std::size_t values = piece.find("obj") + 3;
        const RewrittenText rewritten =
            RewriteStrings(std::string_view(piece).substr(values), [&](std::string_view text) {
                return handler_->DecryptString(number, place.generation, text);
            });
        if (rewritten.end == TextEnd::Incomplete) {
            if (piece.size() < size) return false;  // the file ended first
            continue;
        }
        bytes = piece.substr(0, values) + rewritten.text;
        bytes += rewritten.end == TextEnd::Stream ? "stream\r\nendstream\r\nendobj\r\n" : "endobj\r\n";
        return true;
    }
    return false;
}

}  // namespace sgry
