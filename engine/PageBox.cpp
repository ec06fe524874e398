#include "engine/PageBox.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace sgry {

namespace {

const PageBox kA4{0.0f, 0.0f, 595.0f, 842.0f};
const PageBox kUsLetter{0.0f, 0.0f, 612.0f, 792.0f};

std::optional<float> Number(const std::string& token) {
    const char* begin = token.data();
    const char* end = begin + token.size();
    if (begin != end && *begin == '+') ++begin;  // from_chars takes no plus sign
    float value = 0.0f;
    const auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || rest != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

int32_t WholePoints(float value) {
    constexpr auto kMax = static_cast<float>(std::numeric_limits<int32_t>::max());
    if (!(value < kMax)) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

}  // namespace

std::optional<PageBox> PageBox::FromArrayTokens(const std::vector<std::string>& tokens) {
    if (tokens.size() != 6 || tokens.front() != "[" || tokens.back() != "]") return std::nullopt;
    float v[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::optional<float> number = Number(tokens[i + 1]);
        if (!number) return std::nullopt;
        v[i] = *number;
    }
    return PageBox{std::min(v[0], v[2]), std::min(v[1], v[3]), std::max(v[0], v[2]), std::max(v[1], v[3])};
}

PageBox VisibleArea(const std::optional<PageBox>& mediaBox, const std::optional<PageBox>& cropBox) {
    PageBox media = mediaBox ? *mediaBox : cropBox ? *cropBox : kA4;
    if (media.IsDegenerate()) media = kUsLetter;
    if (!cropBox) return media;
    const PageBox clipped{std::max(media.left, cropBox->left), std::max(media.bottom, cropBox->bottom),
                          std::min(media.right, cropBox->right), std::min(media.top, cropBox->top)};
    return clipped.IsDegenerate() ? media : clipped;
}

void SetPageFrame(const PageBox& area, PageEntry& page) {
    page.width = WholePoints(area.right - area.left);
    page.height = WholePoints(area.top - area.bottom);
    page.originX = area.left;
    page.originY = area.bottom;
}

}  // namespace sgry
