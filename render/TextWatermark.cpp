#include "render/TextWatermark.h"

#include <cmath>

#include "pdf/CidFont.h"
#include "platform/Format.h"
#include "platform/SjisText.h"

namespace sgry {
namespace {

// value percent of the form width, applied as value x 0.01 in single precision.
float PercentOf(float width, float percent) { return width * percent * 0.01f; }

// Kappa of the four Bezier arcs that approximate the circle.
constexpr float kCircleKappa = 0.55235f;

}  // namespace

float TextWatermark::FormWidth() const {
    const auto vw = static_cast<float>(Frame().width);
    if (Position() != kCentrePosition) return vw * 0.25f;
    if (!FollowMargins()) return vw;
    const MarginsPt margins = MarginPoints();
    return vw - (margins.left + margins.right);
}

std::string TextWatermark::PlacementContent() const {
    const FormSize size{FormWidth(), FormHeight()};
    const FormPlacement placement = (Position() == kCentrePosition && diagonal_)
                                        ? PlaceDiagonal(Page(), size)
                                        : PlaceTextWatermark(Position(), Page(), size, MarginPoints());
    return PaintForm(placement, FormResourceName());
}

std::string TextWatermark::TextBlock(std::string_view text, float x, float y, float size) const {
    const PdfFont* font = Font();
    if (!font) return {};
    // The descent is negative: the baseline rises by the depth of the descenders.
    const float baseline = y - static_cast<float>(font->Descent()) * size * 0.001f;
    return "BT\r\n" + Format("%s %f Tf\r\n", kFontResourceName, size) + Format("%s gs\r\n", kGraphicsStateName) +
           ColorText(Color()) + " rg\r\n" + Format("1 0 0 1 %.2f %.2f Tm\r\n", x, baseline) +
           ShowText(text, font->IsHexText()) + "ET\r\n";
}

std::string TextWatermark::StrokeSetup(float lineWidth) const {
    return "1 g\r\n0 G\r\n" + ColorText(Color()) + " RG\r\n" +
           Format("1 J 1 j %.2f w 10 M []0 d\r\n", lineWidth) + "1 i\r\n";
}

float TextWatermark::MeasureText(std::string_view text, float size) const {
    return Font() ? Font()->TextWidth(text, size) : 0.0f;
}

float TextWatermark::MeasureLine(float size) const { return Font() ? Font()->LineHeight(size) : 0.0f; }

std::string TextWatermark::CentredTextBlock(float x, float y, float size) const {
    const float tw = MeasureText(Text(), size);
    const float th = MeasureLine(size);
    return TextBlock(Text(), x + (FormWidth() - tw) * 0.5f, y + (FormHeight() - th) * 0.5f, size);
}

// ---- plain

float PlainTextWatermark::FitFontSize() const {
    return Font() ? Font()->SizeForWidth(Text(), FormWidth()) : 0.0f;
}

float PlainTextWatermark::FormHeight() const { return MeasureLine(FitFontSize()); }

std::string PlainTextWatermark::FormContent(float x, float y, float size) const {
    return TextBlock(Text(), x, y, ResolveSize(size));
}

// ---- framed

float FramedTextWatermark::FitFontSize() const {
    if (!Font()) return 0.0f;
    const float width = FormWidth();
    const float frame = 2.0f * PercentOf(width, kInsetPercent) + PercentOf(width, kLineWidthPercent);
    return Font()->SizeForWidth(Text(), width - frame);
}

float FramedTextWatermark::FormHeight() const {
    const float width = FormWidth();
    return MeasureLine(FitFontSize()) + 2.0f * PercentOf(width, kInsetPercent) +
           PercentOf(width, kLineWidthPercent);
}

std::string FramedTextWatermark::FormContent(float x, float y, float size) const {
    const float width = FormWidth();
    const float height = FormHeight();
    const float lineWidth = PercentOf(width, kLineWidthPercent);
    const float half = lineWidth / 2.0f;
    return CentredTextBlock(x, y, ResolveSize(size)) + StrokeSetup(lineWidth) +
           Format("%.2f %.2f %.2f %.2f re\r\ns\r\n", x + half, y + half, width - half - half, height - half - half);
}

// ---- circled

float CircledTextWatermark::FitFontSize() const {
    if (!Font()) return 0.0f;
    const float width = FormWidth();
    const float w1 = Font()->TextWidth(Text(), 1.0f);
    const float h1 = Font()->LineHeight(1.0f);
    const float room = width - 2.0f * PercentOf(width, kMarginPercent);
    return static_cast<float>(room / std::sqrt(static_cast<double>(w1 * w1 + h1 * h1)));
}

float CircledTextWatermark::FormHeight() const { return FormWidth(); }

std::string CircledTextWatermark::FormContent(float x, float y, float size) const {
    const float width = FormWidth();
    const float height = FormHeight();
    const float lineWidth = PercentOf(width, kLineWidthPercent);
    const float cx = x + width * 0.5f;
    const float cy = y + height * 0.5f;
    const float r = (width - lineWidth) * 0.5f;
    const float k = r * kCircleKappa;
    const char* arc = "%.2f %.2f %.2f %.2f %.2f %.2f c\r\n";
    return CentredTextBlock(x, y, ResolveSize(size)) + StrokeSetup(lineWidth) +
           Format("%.2f %.2f m\r\n", cx + r, cy) + Format(arc, cx + r, cy + k, cx + k, cy + r, cx, cy + r) +
           Format(arc, cx - k, cy + r, cx - r, cy + k, cx - r, cy) +
           Format(arc, cx - r, cy - k, cx - k, cy - r, cx, cy - r) +
           Format(arc, cx + k, cy - r, cx + r, cy - k, cx + r, cy) + "s\r\n";
}

// ---- creation

std::string WatermarkText(std::string_view presetText, const PdfFont& font) {
    if (font.IsHexText() && sjis::IsAscii(presetText)) return sjis::ToFullWidth(presetText);
    return std::string(presetText);
}

std::unique_ptr<TextWatermark> MakeTextWatermark(const StampSettings& settings, const PageEntry& sizeClass) {
    const WatermarkWord& word = WatermarkWordTable[static_cast<std::size_t>(FindWordRow(settings.WaterMarkType))];
    std::unique_ptr<TextWatermark> element;
    switch (word.WordGroup) {
        case WatermarkWordGroup::English: element = std::make_unique<PlainTextWatermark>(); break;
        case WatermarkWordGroup::Japanese: element = std::make_unique<FramedTextWatermark>(); break;
        case WatermarkWordGroup::Circled: element = std::make_unique<CircledTextWatermark>(); break;
        case WatermarkWordGroup::None: return nullptr;
    }
    if (!element) return nullptr;

    std::unique_ptr<PdfFont> font = MakePdfFont(settings.WaterMarkFont);
    element->SetText(WatermarkText(word.Text, *font));
    element->SetFont(std::move(font));
    element->SetColor(settings.WaterMarkColor);
    element->SetDensity(settings.WaterMarkDensity);
    element->SetPosition(static_cast<int32_t>(settings.WaterMarkPosition));
    element->SetFollowMargins(settings.WaterMarkMargin);
    element->SetMargins(MarginsFromSettingsOrder(settings.Margin));
    element->SetDiagonal(settings.WawterMarkDiagonal);
    element->SetPage(sizeClass);
    return element;
}

std::string ShowText(std::string_view text, bool hexText) {
    if (hexText) return CidFont::ShowTextHex(text);
    std::string escaped;
    escaped.reserve(text.size() + 2);
    for (const char byte : text) {
        if (byte == '(' || byte == ')' || byte == '\\') escaped += '\\';
        escaped += byte;
    }
    return "(" + escaped + ") Tj\r\n";
}

}  // namespace sgry
