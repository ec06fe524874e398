#pragma once
#include "platform/Translation.h"
// The rules of the page range and margins page, without a user interface:
// the page-selection list and the pair OddFlag, the accepted number ranges of
// its edits, and the order of the two page numbers. Messages are UTF-8.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sgry {

inline constexpr Translatable kPageOrderMessage = N_("The first page must not be after the last page.");

// Entries of the page-selection list: 0 all pages of the range, 1 odd pages
// only, 2 even pages only. OddFlag is [0] even positions, [1] odd positions.
// [true, true] shows 0, [true, false] shows 2, anything with [0] false shows 1.
int32_t PageSelectionIndex(const std::array<bool, 2>& oddFlag);
// 0 [true, true], 1 [false, true], 2 [true, false]; other indices [true, true].
std::array<bool, 2> OddFlagForSelection(int32_t index);

// A closed range an edit accepts, and the narrower one its arrows step in.
struct NumberRange {
    double minimum;
    double maximum;
    bool Contains(double value) const { return value >= minimum && value <= maximum; }
};

inline constexpr NumberRange kStartPageAccepted{0, 99999};
inline constexpr NumberRange kEndPageAccepted{0, 999999};
inline constexpr NumberRange kPageSpin{1, 32000};
inline constexpr NumberRange kStartWithAccepted{-65535, 65535};
inline constexpr NumberRange kStartWithSpin{-1000, 32000};
inline constexpr NumberRange kMarginAccepted{0, 100};  // millimetres, arrows and edit alike

// The refusal of a number outside its range: "0 から 99999 までの整数を入力
// してください。" for whole numbers, "...までの数値を..." for decimals.
std::string IntegerRangeMessage(const NumberRange& range);
std::string DecimalRangeMessage(const NumberRange& range);

// With only part of the pages selected, the to-page must not be less than the
// from-page; the refusal message, or nothing.
std::optional<std::string> PageOrderRefusal(bool allPages, int32_t startPage, int32_t endPage);

}  // namespace sgry
