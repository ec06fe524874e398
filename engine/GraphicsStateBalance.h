#pragma once
// How many more graphics states a page's content closes ("Q") than it opens
// ("q"), and how many it leaves open. iText 5 and pdftk write pages that
// close more; a reader that stops at the extra "Q" would draw the stamp
// after them partly or not at all, so the stream the stamped page draws
// first opens that many states more. A page that leaves states open would
// have the stamp drawn under its last transformation and clip, so the
// stamp's stream closes them first.
#include <cstdint>
#include <string_view>

namespace sgry {

class GraphicsStateBalance {
public:
    // At most this many extra states are counted (a hostile page must not
    // make the saving stream grow without bound).
    static constexpr int32_t kMaxExtraRestores = 256;

    // One decoded content stream of the page, in the page's order: a "q" in
    // one stream may be closed in the next. Strings, comments, names and
    // inline image data are passed over.
    void Add(std::string_view content);
    int32_t ExtraRestores() const { return extra_; }
    // The states still open after the content added so far (at most kMaxExtraRestores).
    int32_t OpenStates() const { return open_ < kMaxExtraRestores ? open_ : kMaxExtraRestores; }
    // Continues after content whose own count, started from no open state,
    // was extraRestores and openStates (a stream counted once for many pages).
    void AddCounted(int32_t extraRestores, int32_t openStates);

private:
    void Operator(std::string_view word);

    int32_t open_ = 0;
    int32_t extra_ = 0;
};

}  // namespace sgry
