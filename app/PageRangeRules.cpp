#include "app/PageRangeRules.h"

#include "platform/Format.h"
#include "platform/Translation.h"

namespace sgry {

int32_t PageSelectionIndex(const std::array<bool, 2>& oddFlag) {
    if (!oddFlag[0]) return 1;
    return oddFlag[1] ? 0 : 2;
}

std::array<bool, 2> OddFlagForSelection(int32_t index) {
    switch (index) {
        case 1: return {false, true};
        case 2: return {true, false};
        default: return {true, true};
    }
}

std::string IntegerRangeMessage(const NumberRange& range) {
    return Format(Translate("Please enter a whole number from %d to %d."),
                  static_cast<long long>(range.minimum), static_cast<long long>(range.maximum));
}

std::string DecimalRangeMessage(const NumberRange& range) {
    return Format(Translate("Please enter a number from %d to %d."), static_cast<long long>(range.minimum),
                  static_cast<long long>(range.maximum));
}

std::optional<std::string> PageOrderRefusal(bool allPages, int32_t startPage, int32_t endPage) {
    if (!allPages && endPage < startPage) return std::string(kPageOrderMessage);
    return std::nullopt;
}

}  // namespace sgry
