#pragma once
// How many more graphics states a page's content closes ("Q") than it opens
// ("q"), and how many it leaves open. iText 5 and pdftk write pages that
// close more; a reader that stops at the extra "Q" would draw the stamp
// after them partly or not at all, so the stream the stamped page draws
// first opens that many states more. A page that leaves states open would
// have the stamp drawn under its last transformation and clip, so the
// stamp's stream closes them first.
//
// Content is read as it is decoded, a piece at a time: a token that a
// piece's end cuts is carried into the next piece, shortened to what decides
// where it ends (the depth of a string, the last bytes of inline image data),
// so that neither a stream nor a hostile token is ever held whole.
#include <cstdint>
#include <string>
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
    void Add(std::string_view content) {
        Feed(content);
        EndStream();
    }
    // The next piece of the content stream being read.
    void Feed(std::string_view piece);
    // The stream's last piece has been fed: what a piece left open ends here.
    void EndStream();

    int32_t ExtraRestores() const { return extra_; }
    // The states still open after the content added so far (at most kMaxExtraRestores).
    int32_t OpenStates() const { return open_ < kMaxExtraRestores ? open_ : kMaxExtraRestores; }
    // Continues after content whose own count, started from no open state,
    // was extraRestores and openStates (a stream counted once for many pages).
    void AddCounted(int32_t extraRestores, int32_t openStates);

private:
    // Counts the operators of text; final: text is the rest of the stream.
    // Otherwise a token that may go on past text's end is left in carry_.
    void Scan(std::string_view text, bool final);
    // Keeps in carry_ what decides the end of the token that starts at pos.
    void CarryUnfinished(std::string_view text, std::size_t pos);
    void CarryImageData(std::string_view text, std::size_t searchFrom);
    void Operator(std::string_view word);

    int32_t open_ = 0;
    int32_t extra_ = 0;
    std::string carry_;
    // carry_ holds the last bytes of inline image data: the search for the
    // "EI" that ends it goes on at carry_[1], carry_[0] being the byte before.
    bool inImage_ = false;
};

}  // namespace sgry
