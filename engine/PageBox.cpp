#include "engine/PageBox.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace sgry {

namespace {

const PageBox kUsLetter{0.0f, 0.0f, 612.0f, 792.0f};

// 2^31 points: a box with a value beyond it is read as missing.
constexpr float kLargestCoordinate = 2147483648.0f;

std::optional<float> Number(const std::string& token) {
    const char* begin = token.data();
    const char* end = begin + token.size();
    if (begin != end && *begin == '+') ++begin;  // from_chars takes no plus sign
    float value = 0.0f;
    const auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || rest != end || !std::isfinite(value)) return std::nullopt;
    if (std::fabs(value) > kLargestCoordinate) return std::nullopt;
    return value;
}

PageBox MediaOrLetter(const std::optional<PageBox>& mediaBox) {
    return mediaBox && !mediaBox->IsDegenerate() ? *mediaBox : kUsLetter;
}

PageBox Clipped(const PageBox& media, const PageBox& crop) {
    return {std::max(media.left, crop.left), std::max(media.bottom, crop.bottom), std::min(media.right, crop.right),
            std::min(media.top, crop.top)};
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
    const PageBox media = MediaOrLetter(mediaBox);
    if (!cropBox) return media;
    const PageBox clipped = Clipped(media, *cropBox);
    return clipped.IsDegenerate() ? media : clipped;
}

bool TooSmallForStamps(const std::optional<PageBox>& mediaBox, const std::optional<PageBox>& cropBox) {
    if (cropBox && Clipped(MediaOrLetter(mediaBox), *cropBox).IsDegenerate()) return true;
    const PageBox area = VisibleArea(mediaBox, cropBox);
    return area.right - area.left < 1.0f || area.top - area.bottom < 1.0f;
}

void SetPageFrame(const PageBox& area, PageEntry& page) {
    page.width = WholePoints(area.right - area.left);
    page.height = WholePoints(area.top - area.bottom);
    page.originX = area.left;
    page.originY = area.bottom;
}

}  // namespace sgry
