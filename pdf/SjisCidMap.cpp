#include "pdf/SjisCidMap.h"

namespace sgry {

SjisCidMap::SjisCidMap() : ranges_(font_tables::SjisCidRanges()) {}

SjisCidMap::SjisCidMap(std::span<const CidRange> ranges) : ranges_(ranges) {}

uint16_t SjisCidMap::ToCid(uint16_t code) const {
    for (const CidRange& range : ranges_)
        if (range.first <= code && code <= range.last)
            return static_cast<uint16_t>(code - range.first + range.firstCid);
    return 0;
}

}  // namespace sgry
