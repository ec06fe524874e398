#pragma once
// The five base-14 Type 1 fonts, referenced by name (never embedded).
#include "pdf/PdfFont.h"

namespace sgry {

class Type1Font : public PdfFont {
public:
    // Sum over the bytes of w * size * 0.001. Each byte is taken as a signed
    // value, so bytes 0x80-0xFF never match a table code and count with the
    // default width.
    float TextWidth(std::string_view text, float size) const override;
    // One object: << /Type /Font /BaseFont /<name> /Subtype /Type1
    // [/Encoding /WinAnsiEncoding] >>.
    int WriteObjects(ObjectWriter& writer) override;

protected:
    Type1Font(std::string baseFontName, bool fixedPitch, int32_t defaultWidth,
              std::span<const WidthPair> widths, FontEncoding encoding, int32_t ascent,
              int32_t descent);
};

class CourierFont : public Type1Font {
public:
    CourierFont();
};

class HelveticaFont : public Type1Font {
public:
    HelveticaFont();
};

class TimesRomanFont : public Type1Font {
public:
    TimesRomanFont();
};

class SymbolFont : public Type1Font {
public:
    SymbolFont();
};

class ZapfDingbatsFont : public Type1Font {
public:
    ZapfDingbatsFont();
};

}  // namespace sgry
