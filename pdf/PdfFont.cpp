#include "pdf/PdfFont.h"

#include <algorithm>
#include <cstdlib>

#include "pdf/CidFont.h"
#include "pdf/Type1Font.h"

namespace sgry {

float PdfFont::LineHeight(float size) const {
    return static_cast<float>(ascent_ + std::abs(descent_)) * size * 0.001f;
}

float PdfFont::SizeForWidth(std::string_view text, float width) const {
    const float widthAt100 = TextWidth(text, 100.0f);
    if (widthAt100 == 0.0f) return 0.0f;
    return width / widthAt100 * 100.0f;
}

float PdfFont::SizeForHeight(float height) const {
    const float heightAt100 = LineHeight(100.0f);
    if (heightAt100 == 0.0f) return 0.0f;
    return height / heightAt100 * 100.0f;
}

int32_t PdfFont::CharWidth(int32_t code) const {
    if (fixedPitch_) return defaultWidth_;
    // The tables are in code order.
    const auto it = std::lower_bound(widths_.begin(), widths_.end(), code,
                                     [](const WidthPair& pair, int32_t c) { return pair.code < c; });
    return (it != widths_.end() && it->code == code) ? it->width : defaultWidth_;
}

float PdfFont::ScaledWidth(int32_t width, float size) {
    return static_cast<float>(width) * size * 0.001f;
}

std::unique_ptr<PdfFont> MakePdfFont(std::string_view pdfFontName) {
    if (pdfFontName == "Helvetica") return std::make_unique<HelveticaFont>();
    if (pdfFontName == "Symbol") return std::make_unique<SymbolFont>();
    if (pdfFontName == "Times-Roman") return std::make_unique<TimesRomanFont>();
    if (pdfFontName == "ZapfDingbats") return std::make_unique<ZapfDingbatsFont>();
    if (pdfFontName == "HeiseiMin-W3") return std::make_unique<HeiseiMinW3Font>();
    if (pdfFontName == "HeiseiKakuGo-W5") return std::make_unique<HeiseiKakuGoW5Font>();
    if (pdfFontName == "HeiseiPMin-W3") return std::make_unique<HeiseiPMinW3Font>();
    if (pdfFontName == "HeiseiKakuPGo-W5") return std::make_unique<HeiseiKakuPGoW5Font>();
    if (pdfFontName == "KozMinPro-Regular") return std::make_unique<KozMinProRegularFont>();
    return std::make_unique<CourierFont>();
}

}  // namespace sgry
