#include "render/BandWatermark.h"

#include <algorithm>

#include "platform/Format.h"
#include "platform/SjisText.h"

namespace sgry {
namespace {

constexpr std::string_view kFullWidthSpace = "\x81\x40";

}  // namespace

BandWatermark::BandWatermark() {
    SetPosition(kCentrePosition);
    SetFollowMargins(false);
}

float BandWatermark::ThicknessRatio(BandThickness thickness) {
    switch (thickness) {
        case BandThickness::ExtraThick: return 0.2f;
        case BandThickness::Thick: return 0.15f;
        case BandThickness::Medium: return 0.1f;
        case BandThickness::Thin: return 0.06f;
        case BandThickness::ExtraThin: return 0.03f;
    }
    return 0.1f;
}

float BandWatermark::FormHeight() const {
    return ThicknessRatio(thickness_) * static_cast<float>(Frame().height);
}

float BandWatermark::FitFontSize() const {
    // An empty text has no width to fit: the bar is drawn alone.
    if (!Font() || Text().empty()) return 0.0f;
    const float height = FormHeight();
    const float margin = 2.0f * kTextMarginRatio * height;
    return std::min(Font()->SizeForWidth(Text(), FormWidth() - margin), Font()->SizeForHeight(height - margin));
}

std::string BandWatermark::TextToDraw(float size) const {
    std::string drawn = Text();
    const float unitWidth = MeasureText(Text(), size);
    if (!repeat_ || !(unitWidth > 0.0f)) return drawn;
    // A text that fits 2.5 times gets three more copies.
    for (float copies = FormWidth() / unitWidth; copies > 0.0f; copies -= 1.0f) {
        drawn += sjis::IsAscii(drawn) ? std::string_view(" ") : kFullWidthSpace;
        drawn += Text();
    }
    return drawn;
}

std::string BandWatermark::FormContent(float x, float y, float size) const {
    const float width = FormWidth();
    const float height = FormHeight();
    const std::string barColor = ColorText(barColor_);
    std::string content = Format("%s gs\r\n", kGraphicsStateName) + barColor + " RG\r\n" + barColor + " rg\r\n" +
                          "1 J 1 j 1 w 10 M []0 d\r\n1 i\r\n" +
                          Format("%.2f %.2f %.2f %.2f re\r\nB\r\n", x, y, width, height);

    const float fontSize = ResolveSize(size);
    if (Text().empty() || !(fontSize > 0.0f)) return content;
    const std::string drawn = TextToDraw(fontSize);
    // Wider than the bar when repeated: the text then runs past both ends.
    const float textX = (width - MeasureText(drawn, fontSize)) * 0.5f;
    const float textY = (height - MeasureLine(fontSize)) * 0.5f;
    return content + TextBlock(drawn, x + textX, y + textY, fontSize);
}

std::string BandWatermark::PlacementContent() const {
    return PaintForm(PlaceBand(verticalPosition_, Page(), FormHeight()), FormResourceName());
}

std::unique_ptr<BandWatermark> MakeBandWatermark(const StampSettings& settings, const PageEntry& sizeClass) {
    auto band = std::make_unique<BandWatermark>();
    band->SetFont(MakePdfFont(settings.bWmFont));
    band->SetText(settings.bWmText);
    band->SetColor(settings.bWmTextColor);
    band->SetBarColor(settings.bWmBarColor);
    band->SetDensity(settings.bWmDensity);
    band->SetVerticalPosition(settings.bWmYPos);
    band->SetRepeat(settings.bWmIsRepeat);
    band->SetThickness(settings.bWmThick);
    band->SetPage(sizeClass);
    return band;
}

}  // namespace sgry
