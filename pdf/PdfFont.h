#pragma once
// Font resources of the update. Every stamp text uses one of ten fonts: the
// five base-14 Type 1 fonts (Type1Font.h) and five Japanese CID-keyed fonts
// (CidFont.h). A font object measures texts for the stamp layout and writes
// its PDF objects once; no font program is ever embedded.
//
// Use: create with MakePdfFont (or a concrete class), call WriteObjects once,
// then refer to ObjectNumber()/Generation() from resource dictionaries. The
// same object measures texts during layout; measuring needs no writer.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "pdf/FontMetricsTables.h"
#include "pdf/ObjectWriter.h"

namespace sgry {

// /Encoding a font writes: Type 1 fonts None or WinAnsi, CID fonts UniJisUcs2.
enum class FontEncoding : int32_t {
    None = 0,        // no /Encoding entry (Symbol, ZapfDingbats)
    WinAnsi = 1,     // /Encoding /WinAnsiEncoding
    UniJisUcs2 = 2,  // /Encoding /UniJIS-UCS2-H
};

class PdfFont {
public:
    virtual ~PdfFont() = default;
    PdfFont(const PdfFont&) = delete;
    PdfFont& operator=(const PdfFont&) = delete;

    // Width in points of a Shift-JIS text at a size in points.
    virtual float TextWidth(std::string_view text, float size) const = 0;
    // (ascent + |descent|) * size * 0.001, in points.
    virtual float LineHeight(float size) const;
    // The size in points at which the text is `width` points wide:
    // width / TextWidth(text, 100) * 100. A text of width 0 (an empty text)
    // gives 0, never a division by zero.
    virtual float SizeForWidth(std::string_view text, float width) const;
    // The size in points whose LineHeight is `height` points.
    virtual float SizeForHeight(float height) const;
    // Appends the font's objects to the update (kind Font): one object for a
    // Type 1 font, three for a CID font, numbers taken from the writer. Sets
    // ObjectNumber(). Returns 1; write failures are left in the recorded
    // offsets (-1), as for every writer of the update. Calling it again
    // writes the objects again under new numbers.
    virtual int WriteObjects(ObjectWriter& writer) = 0;

    // The object pages and forms refer to (Type1 font or Type0 font); 0
    // until WriteObjects has run. The generation is always 0.
    int32_t ObjectNumber() const { return objectNumber_; }
    int32_t Generation() const { return generation_; }

    // True for CID fonts: their text is shown with CidFont::ShowTextHex; a
    // Type 1 font's text is shown as a literal string by the caller.
    bool IsHexText() const { return hexText_; }
    bool IsFixedPitch() const { return fixedPitch_; }
    const std::string& BaseFontName() const { return baseFontName_; }
    FontEncoding Encoding() const { return encoding_; }
    // Widths, ascent, descent (negative), cap height and bounding box are in
    // thousandths of the em.
    int32_t DefaultWidth() const { return defaultWidth_; }
    std::span<const WidthPair> Widths() const { return widths_; }
    int32_t Ascent() const { return ascent_; }
    int32_t Descent() const { return descent_; }
    int32_t CapHeight() const { return capHeight_; }
    const std::array<int32_t, 4>& FontBBox() const { return fontBBox_; }

protected:
    PdfFont() = default;

    // Width of one character code (a byte code or a CID): the default width
    // for a fixed-pitch font or a code the table lacks.
    int32_t CharWidth(int32_t code) const;
    // One character's share of a text width: w * size * 0.001.
    static float ScaledWidth(int32_t width, float size);

    int32_t objectNumber_ = 0;
    int32_t generation_ = 0;
    bool hexText_ = false;
    bool fixedPitch_ = false;
    std::string baseFontName_;
    FontEncoding encoding_ = FontEncoding::None;
    std::span<const WidthPair> widths_;  // static table; empty for fixed pitch
    int32_t defaultWidth_ = 0;
    std::array<int32_t, 4> fontBBox_{};
    int32_t ascent_ = 0;
    int32_t descent_ = 0;
    int32_t capHeight_ = 0;
};

// The font of a PDF font name: "Courier", "Helvetica", "Times-Roman",
// "Symbol", "ZapfDingbats", "HeiseiMin-W3", "HeiseiKakuGo-W5" (not bold, not
// italic), "HeiseiPMin-W3", "HeiseiKakuPGo-W5", "KozMinPro-Regular"; any
// other name (also "") gives Courier. Never null; the caller owns it.
std::unique_ptr<PdfFont> MakePdfFont(std::string_view pdfFontName);

}  // namespace sgry
