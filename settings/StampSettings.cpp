#include "settings/StampSettings.h"

#include "platform/Format.h"

namespace sgry {

namespace {

// Single-precision constants of the layout arithmetic.
constexpr float kTenth = 0.1f;
constexpr float kPerByte = 1.0f / 255.0f;
constexpr float kPointsPerMm = 2.8346457f;

float ChannelFraction(int32_t color, int shift) {
    const auto byte = static_cast<uint32_t>(color) >> shift & 0xFFu;
    return static_cast<float>(byte) * kPerByte;
}

}  // namespace

double FontSizePoints(const HeaderFooterSlot& slot) {
    return static_cast<double>(slot.StylePointSize) * static_cast<double>(kTenth);
}

std::string ColorText(int32_t color) {
    return Format("%.2f %.2f %.2f", ChannelFraction(color, 0), ChannelFraction(color, 8),
                  ChannelFraction(color, 16));
}

std::string ColorText(const HeaderFooterSlot& slot) { return ColorText(slot.StyleColor); }

float MmToPoints(float millimetres) { return millimetres * kPointsPerMm; }

bool UsesBatesNumbers(const StampSettings& settings) {
    for (const HeaderFooterSlot& slot : settings.Slots)
        if (slot.StyleType == HeaderFooterStyle::PageNumber && slot.StylePageType == PageNumberFormat::Bates)
            return true;
    return false;
}

float MarginPoints(const StampSettings& settings, int32_t index) {
    if (index < 0 || index >= kMarginCount) return 0.0f;
    return MmToPoints(settings.Margin[static_cast<size_t>(index)]);
}

}  // namespace sgry
