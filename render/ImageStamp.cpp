#include "render/ImageStamp.h"

#include "platform/Format.h"

namespace sgry {

std::string ImageStamp::Place(int position, const PageEntry& page, int width, int height,
                              std::string_view imageName, std::string_view graphicsStateName,
                              const MarginsMm& margins, bool followMargins) {
    const PlacementMatrix m = PlaceBox(position, page, static_cast<float>(width), static_cast<float>(height),
                                       followMargins, margins);
    std::string out = Format("q\r\n%s gs\r\n", graphicsStateName);
    out += Format("1 0 0 1 %.2f %.2f cm\r\n", m.e, m.f);
    out += Format("%.2f %.2f %.2f %.2f 0 0 cm\r\n", m.a, m.b, m.c, m.d);
    out += Format("%d 0 0 %d 0 0 cm\r\n", width, height);
    out += Format("%s Do\r\nQ\r\n", imageName);
    return out;
}

}  // namespace sgry
