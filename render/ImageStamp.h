#pragma once
// The image watermark's content fragment for one page: the image XObject
// painted one point per pixel at one of the nine positions, under the
// image's graphics state (opacity, multiply blend).
#include <string>
#include <string_view>

#include "pdf/PageEntry.h"
#include "render/StampGeometry.h"

namespace sgry {

class ImageStamp {
public:
    // position: 0-8 (anything else is centred); width, height: the image's
    // pixel size as the image writer reported it; imageName and
    // graphicsStateName: the page's resource names ("/UK0"); margins in
    // millimetres, applied only when followMargins is true.
    static std::string Place(int position, const PageEntry& page, int width, int height,
                             std::string_view imageName, std::string_view graphicsStateName,
                             const MarginsMm& margins, bool followMargins);
};

}  // namespace sgry
