#include "pdf/Type1Font.h"

#include <utility>

#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfObject.h"

namespace sgry {

Type1Font::Type1Font(std::string baseFontName, bool fixedPitch, int32_t defaultWidth,
                     std::span<const WidthPair> widths, FontEncoding encoding, int32_t ascent,
                     int32_t descent) {
    hexText_ = false;
    fixedPitch_ = fixedPitch;
    baseFontName_ = std::move(baseFontName);
    encoding_ = encoding;
    widths_ = widths;
    defaultWidth_ = defaultWidth;
    ascent_ = ascent;
    descent_ = descent;
}

float Type1Font::TextWidth(std::string_view text, float size) const {
    float total = 0.0f;
    for (char c : text) {
        // Signed on purpose: bytes 0x80-0xFF become negative codes that no
        // table holds, so they count with the default width.
        const int32_t code = static_cast<signed char>(c);
        total += ScaledWidth(CharWidth(code), size);
    }
    return total;
}

int Type1Font::WriteObjects(ObjectWriter& writer) {
    PdfDictionary font;
    font.AddLiteral("/Type", "/Font");
    font.AddLiteral("/BaseFont", "/" + baseFontName_);
    font.AddLiteral("/Subtype", "/Type1");
    if (encoding_ == FontEncoding::WinAnsi) font.AddLiteral("/Encoding", "/WinAnsiEncoding");
    objectNumber_ = WriteNewObject(writer, ObjectKind::Font, std::move(font));
    generation_ = 0;
    return 1;
}

CourierFont::CourierFont() : Type1Font("Courier", true, 600, {}, FontEncoding::WinAnsi, 629, -157) {}

HelveticaFont::HelveticaFont()
    : Type1Font("Helvetica", false, 260, font_tables::HelveticaWidths(), FontEncoding::WinAnsi, 718,
                -207) {}

TimesRomanFont::TimesRomanFont()
    : Type1Font("Times-Roman", false, 250, font_tables::TimesRomanWidths(), FontEncoding::WinAnsi,
                683, -217) {}

SymbolFont::SymbolFont()
    : Type1Font("Symbol", false, 250, font_tables::SymbolWidths(), FontEncoding::None, 1010, -293) {}

ZapfDingbatsFont::ZapfDingbatsFont()
    : Type1Font("ZapfDingbats", false, 278, font_tables::ZapfDingbatsWidths(), FontEncoding::None,
                820, -143) {}

}  // namespace sgry
