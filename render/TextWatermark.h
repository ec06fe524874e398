#pragma once
// The text watermark: one preset word drawn large into a form XObject whose
// size follows the page, painted by every page of its page-size class at one
// of the nine positions or, at the centre, along the page diagonal.
//
// TextWatermark holds what every text-drawing element shares: the text, the
// margins, the diagonal flag, the form width and the page placement. The
// three styles supply the form height, the fitted font size and the content:
//   PlainTextWatermark    the word alone
//   FramedTextWatermark   the word in a rectangular frame
//   CircledTextWatermark  one character in a circle (the form is square)
// Sizes are in points; colours 0x00BBGGRR; texts CP932 bytes.
#include <memory>
#include <string>
#include <string_view>

#include "pdf/FormElement.h"
#include "pdf/PageEntry.h"
#include "render/StampGeometry.h"
#include "render/WatermarkPlacement.h"
#include "settings/StampSettings.h"

namespace sgry {

class TextWatermark : public FormElement {
public:
    // The word to draw (CP932).
    void SetText(std::string text) { text_ = std::move(text); }
    const std::string& Text() const { return text_; }
    // Diagonal layout; it applies only at the centre position.
    void SetDiagonal(bool diagonal) { diagonal_ = diagonal; }
    bool Diagonal() const { return diagonal_; }
    // Page margins in millimetres; used when FollowMargins() is true.
    void SetMargins(const MarginsMm& margins) { margins_ = margins; }

    // vw / 4 off the centre; at the centre vw - (l + r) when following the
    // margins, else vw (view frame turned for any quarter turn).
    float FormWidth() const override;
    // The diagonal layout at the centre with the diagonal flag, else the
    // nine-position layout; "q", three "cm" lines, "<name> Do", "Q".
    std::string PlacementContent() const override;

protected:
    // "BT", font and size, graphics state, colour, "Tm" at (x, baseline
    // raised by the descent), the text, "ET". Empty without a font.
    std::string TextBlock(std::string_view text, float x, float y, float size) const;
    // TextBlock of Text() centred in the form (framed and circled styles).
    std::string CentredTextBlock(float x, float y, float size) const;
    // "1 g", "0 G", the colour as stroke colour, line style with the width, "1 i".
    std::string StrokeSetup(float lineWidth) const;
    // The size to draw with: FitFontSize() for a negative request.
    float ResolveSize(float size) const { return size < 0.0f ? FitFontSize() : size; }
    // Width and line height of the text at a size; 0 without a font.
    float MeasureText(std::string_view text, float size) const;
    float MeasureLine(float size) const;
    ViewFrame Frame() const { return MakeViewFrame(Page(), SideTurnRule::AllQuarterTurns); }
    MarginsPt MarginPoints() const { return MarginsToPoints(margins_, FollowMargins()); }

private:
    std::string text_;
    bool diagonal_ = true;
    MarginsMm margins_;
};

class PlainTextWatermark : public TextWatermark {
public:
    float FormHeight() const override;   // LineHeight(FitFontSize())
    float FitFontSize() const override;  // SizeForWidth(text, W)
    std::string FormContent(float x, float y, float size) const override;
};

class FramedTextWatermark : public TextWatermark {
public:
    static constexpr float kInsetPercent = 5.5f;     // of the form width, each side
    static constexpr float kLineWidthPercent = 2.5f;  // of the form width

    float FormHeight() const override;   // LineHeight(s) + 2 x inset + line width
    float FitFontSize() const override;  // SizeForWidth(text, W - (2 x inset + line width))
    std::string FormContent(float x, float y, float size) const override;
};

class CircledTextWatermark : public TextWatermark {
public:
    static constexpr float kMarginPercent = 5.0f;     // of the form width, inside the circle
    static constexpr float kLineWidthPercent = 5.0f;  // of the form width

    float FormHeight() const override;   // W: the form is square
    float FitFontSize() const override;  // (W - 2 x margin) / the text's diagonal at size 1
    std::string FormContent(float x, float y, float size) const override;
};

// The text of a Latin preset drawn with a CID font is shown in full-width
// letters ("DRAFT" in five two-byte letters); any other text is kept.
std::string WatermarkText(std::string_view presetText, const PdfFont& font);

// The element of the preset WaterMarkType for one page-size class, with every
// field set from the settings: the style by the word's group, the font
// WaterMarkFont, the colour, density, position, margins and diagonal flag.
// nullptr when the preset is the "(なし)" row (or no row has that Id): no
// watermark is drawn then.
std::unique_ptr<TextWatermark> MakeTextWatermark(const StampSettings& settings, const PageEntry& sizeClass);

// "(" + text + ") Tj" with CR LF, the bytes "(", ")" and "\" escaped so that
// any text keeps the content stream intact; a CID font's hexadecimal string
// when hexText is true.
std::string ShowText(std::string_view text, bool hexText);

}  // namespace sgry
