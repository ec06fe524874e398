#include "engine/PageSelection.h"

#include <climits>

namespace sgry {

PageSelector::PageSelector(const PageRangeChoice& choice) : choice_(choice) {
    const int32_t first = choice.startPage;
    const int32_t last = choice.endPage;
    const bool everyPage = choice.isAllPage || first < 0 || (first == 0 && last <= 0) || (first > 0 && last < 0);
    if (everyPage) return;
    if (first > 0) first_ = first;
    if (last > 0) last_ = last;
}

std::optional<int32_t> PageSelector::Next() {
    if (ordinal_ < INT32_MAX) ++ordinal_;
    if (ordinal_ < first_ || ordinal_ > last_) return std::nullopt;
    // The first selected page prints the start value, each following one more.
    const int64_t label = static_cast<int64_t>(choice_.startWith) + (ordinal_ - first_);
    return static_cast<int32_t>(label > INT32_MAX ? INT32_MAX : label);
}

int32_t NormaliseRotation(int64_t rotate) {
    // The remainder keeps the sign of the dividend: -359..359, then 0..359.
    const int64_t r = (rotate % 360 + 360) % 360;
    if (r % 90 != 0) return 0;
    return r == 270 ? -90 : static_cast<int32_t>(r);
}

}  // namespace sgry
