#pragma once
// The page boxes a reader uses to show a page, and the visible area they
// give: the /CropBox clipped to the /MediaBox when the page has one, else
// the /MediaBox, with its lower-left corner wherever it lies.
#include <optional>
#include <string>
#include <vector>

#include "pdf/PageEntry.h"

namespace sgry {

// A rectangle in default user space (points), normalised so that
// left <= right and bottom <= top.
struct PageBox {
    float left = 0.0f;
    float bottom = 0.0f;
    float right = 0.0f;
    float top = 0.0f;

    // The box of the tokens "[" a b c d "]" (any two opposite corners);
    // nothing when they are not four numbers in brackets, or a number is
    // not finite as a float or lies beyond +-2^31: such a box counts as
    // missing.
    static std::optional<PageBox> FromArrayTokens(const std::vector<std::string>& tokens);
    // True when the box encloses no area ([0 0 0 0], a line, a point).
    bool IsDegenerate() const { return !(right > left) || !(top > bottom); }
};

// The area a reader shows: the crop box clipped to the media box, or the
// media box alone. A missing, empty or degenerate media box is read as US
// Letter (612 x 792), the size readers assume; a crop box that leaves
// nothing of the media box is ignored.
PageBox VisibleArea(const std::optional<PageBox>& mediaBox, const std::optional<PageBox>& cropBox);

// True when a reader may show nothing of the stamps: the visible area is
// under one point wide or high, or the crop box leaves nothing of the media
// box (the stamps then follow the media box all the same).
bool TooSmallForStamps(const std::optional<PageBox>& mediaBox, const std::optional<PageBox>& cropBox);

// Width and height of the area (truncated to whole points, as the stamps
// measure pages) and its lower-left corner into page.
void SetPageFrame(const PageBox& area, PageEntry& page);

}  // namespace sgry
