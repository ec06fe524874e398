#pragma once
// Which pages the page walk keeps and the number each kept page prints, and
// the normal form of a /Rotate value.
#include <cstdint>
#include <optional>

namespace sgry {

// The four page-range settings the walk needs (the all-pages choice, the
// first and last page of the range, the start value of page numbers).
struct PageRangeChoice {
    bool isAllPage = true;
    int32_t startPage = 0;
    int32_t endPage = 0;
    int32_t startWith = 1;

    // Takes the four values from any settings object that has them.
    template <class Settings>
    static PageRangeChoice From(const Settings& s) {
        return {static_cast<bool>(s.IsAllPage), static_cast<int32_t>(s.StartPage), static_cast<int32_t>(s.EndPage),
                static_cast<int32_t>(s.StartWith)};
    }
};

// Decides page by page, in document order. Call Next() once for every page
// visited; it returns the label of a selected page, or nothing.
class PageSelector {
public:
    explicit PageSelector(const PageRangeChoice& choice);

    std::optional<int32_t> Next();
    int32_t Ordinal() const { return ordinal_; }

private:
    PageRangeChoice choice_;
    int32_t first_ = 1;                // first selected ordinal
    int32_t last_ = INT32_MAX;         // last selected ordinal
    int32_t ordinal_ = 0;
};

// The quarter turn a reader shows for a /Rotate value: the value modulo 360
// (negative values too, so -270 is 90), 0 when that is no multiple of 90,
// and 270 written as -90. The result is 0, 90, 180 or -90.
int32_t NormaliseRotation(int64_t rotate);

}  // namespace sgry
