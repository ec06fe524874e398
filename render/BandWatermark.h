#pragma once
// The band watermark: a coloured bar across the whole width of the page at a
// chosen height, with a text centred on it, optionally repeated so that it
// runs along the whole bar. One form per page-size class, like the text
// watermark, with whose text drawing it shares the form width (the page's
// view width: the band stays at the centre position and ignores margins).
//
// Bar height: the thickness ratio of BandThickness times the view height;
// Medium is exactly one tenth, so settings that never chose a thickness draw
// what they always drew. An empty text draws the bar alone.
#include <memory>
#include <string>

#include "render/TextWatermark.h"
#include "settings/StampSettings.h"

namespace sgry {

class BandWatermark : public TextWatermark {
public:
    // Share of the bar height kept free above and below the text, and on
    // either side of the unrepeated text.
    static constexpr float kTextMarginRatio = 0.1f;

    // Position 4 (centre), margins not followed, bar colour 0x646464.
    BandWatermark();

    // The bar's height as a share of the view height: 0.2, 0.15, 0.1, 0.06,
    // 0.03 from ExtraThick to ExtraThin; an unknown value counts as Medium.
    static float ThicknessRatio(BandThickness thickness);

    void SetBarColor(int32_t color) { barColor_ = color; }  // 0x00BBGGRR
    int32_t BarColor() const { return barColor_; }
    void SetRepeat(bool repeat) { repeat_ = repeat; }
    bool Repeat() const { return repeat_; }
    // 0 centres the bar on the top edge, 50 on the page, 100 on the bottom edge.
    void SetVerticalPosition(int32_t position) { verticalPosition_ = position; }
    int32_t VerticalPosition() const { return verticalPosition_; }
    void SetThickness(BandThickness thickness) { thickness_ = thickness; }
    BandThickness Thickness() const { return thickness_; }

    float FormHeight() const override;   // ThicknessRatio x vh
    // The smaller of the sizes at which the unrepeated text fits the bar's
    // width less the side margins and its height less the top and bottom
    // margins; 0 for an empty text.
    float FitFontSize() const override;
    // Bar, then the text (repeated when asked) centred on it.
    std::string FormContent(float x, float y, float size) const override;
    // The bar across the page at the vertical position, unscaled.
    std::string PlacementContent() const override;

    // The text as drawn at a size: with repeat on, further copies joined by a
    // space (a full-width space once the text holds a two-byte character)
    // while copies of the unrepeated text still fit the bar's width; a text
    // of no width is never repeated.
    std::string TextToDraw(float size) const;

private:
    int32_t barColor_ = 0x646464;
    bool repeat_ = false;
    int32_t verticalPosition_ = 50;
    BandThickness thickness_ = BandThickness::Medium;
};

// The band for one page-size class with every field set from the settings
// (bWmFont, bWmText, bWmTextColor, bWmBarColor, bWmDensity, bWmYPos,
// bWmIsRepeat, bWmThick). The caller decides by bWmNeed whether to ask.
std::unique_ptr<BandWatermark> MakeBandWatermark(const StampSettings& settings, const PageEntry& sizeClass);

}  // namespace sgry
