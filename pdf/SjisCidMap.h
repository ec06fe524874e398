#pragma once
// Shift-JIS code to Adobe-Japan1 CID, by the code ranges of 90ms-RKSJ-H.
#include <cstdint>
#include <span>

#include "pdf/FontMetricsTables.h"

namespace sgry {

class SjisCidMap {
public:
    // The 171 ranges of 90ms-RKSJ-H.
    SjisCidMap();
    // Other ranges (tests); the span must outlive the map.
    explicit SjisCidMap(std::span<const CidRange> ranges);
    virtual ~SjisCidMap() = default;

    // code: a one-byte code (0x00-0xFF) or lead byte * 256 + trail byte.
    // The CID of the first range holding the code: code - first + firstCid;
    // 0 when no range holds it.
    uint16_t ToCid(uint16_t code) const;

    std::span<const CidRange> Ranges() const { return ranges_; }

private:
    std::span<const CidRange> ranges_;
};

}  // namespace sgry
