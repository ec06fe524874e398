#pragma once
// The Japanese CID-keyed fonts. Each writes three objects: a font descriptor,
// a CIDFont (Adobe-Japan1-4) and the Type0 font that pages refer to, with the
// UniJIS-UCS2-H encoding; their texts are shown as hexadecimal UTF-16.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/PdfFont.h"
#include "pdf/PdfObject.h"
#include "pdf/SjisCidMap.h"

namespace sgry {

class CidFont : public PdfFont {
public:
    // At most this many characters of a text are shown and measured: the
    // UTF-16 conversion buffer holds 80 code units, and every Shift-JIS
    // character is one code unit.
    static constexpr std::size_t kMaxShownChars = 80;

    // The plain object: both CID names "KozMinPro-Regular", flags 4, italic
    // angle 0, StemV 93, no map. Only good for ShowTextHex; never written or
    // measured.
    CidFont();
    ~CidFont() override;

    // The part of a Shift-JIS text that ShowTextHex shows and TextWidth
    // measures: its first kMaxShownChars characters (a lead byte and the byte
    // after it are one character). Longer texts are cut, never refused.
    static std::string_view ShownText(std::string_view text);

    // The text-showing operator for a Shift-JIS text: "<" + the UTF-16
    // code units of ShownText(text), big-endian, "%02X" per byte + "> Tj\r\n".
    // A character that is not valid CP932 is shown as U+30FB (katakana middle
    // dot), so a broken byte never loses the rest of the text.
    static std::string ShowTextHex(std::string_view text);

    // The same for a text whose one-byte characters keep their half width (a
    // file's name, a Bates number), as a TJ array: a one-byte character that
    // the font draws wider than half the em (every one of a fixed-pitch font,
    // which has only its default width 1000) is followed by the difference,
    // so that it advances by 500: "[<5951> <0032> 500 <0030> 500 <> ] TJ\r\n".
    std::string ShowTextHalfWidth(std::string_view text) const;
    // Width of ShownText(text) as ShowTextHalfWidth draws it.
    float HalfWidthTextWidth(std::string_view text, float size) const;

    // Width of ShownText(text): each character converted to full width, then
    // measured by the width of its CID (default width for fixed pitch or a CID
    // the table lacks).
    float TextWidth(std::string_view text, float size) const override;
    // Descriptor, CIDFont and Type0 font, in this order, each of kind Font.
    // The plain object has no Type0 name and no map: it writes nothing and
    // returns 0.
    int WriteObjects(ObjectWriter& writer) override;

    // The CID of a Shift-JIS code by the font's map; 0 without a map.
    uint16_t ToCid(uint16_t code) const;

    const std::string& CidFontName() const { return cidFontName_; }
    const std::string& DescriptorFontName() const { return descriptorFontName_; }
    int32_t Flags() const { return flags_; }
    int32_t ItalicAngle() const { return italicAngle_; }
    int32_t StemV() const { return stemV_; }
    // Numbers of the descriptor and the CIDFont; 0 until WriteObjects.
    int32_t DescriptorNumber() const { return descriptorNumber_; }
    int32_t CidFontNumber() const { return cidFontNumber_; }

protected:
    // A concrete font: hex text, UniJIS-UCS2-H, flags 4, italic angle 0,
    // the 90ms-RKSJ-H map. cidName is both the CIDFont and descriptor name.
    CidFont(std::string type0BaseFont, std::string cidName, bool fixedPitch,
            std::span<const WidthPair> widths, int32_t ascent, int32_t descent,
            int32_t capHeight, std::array<int32_t, 4> fontBBox, int32_t stemV);

    std::string cidFontName_;
    std::string descriptorFontName_;
    int32_t flags_ = 4;
    int32_t italicAngle_ = 0;
    int32_t stemV_ = 93;

private:
    // The advance of a one-byte character's CID under UniJIS-UCS2-H.
    int32_t OneByteAdvance(char16_t unit) const;
    int32_t WriteDescriptor(ObjectWriter& writer) const;
    int32_t WriteCidFont(ObjectWriter& writer, int32_t descriptorNumber) const;
    int32_t WriteType0Font(ObjectWriter& writer, int32_t cidFontNumber) const;
    // The "/W" array: first CID, [widths of the run], next first CID, ...
    std::unique_ptr<PdfArray> WidthArray() const;

    std::unique_ptr<SjisCidMap> map_;
    int32_t descriptorNumber_ = 0;
    int32_t descriptorGeneration_ = 0;
    int32_t cidFontNumber_ = 0;
    int32_t cidFontGeneration_ = 0;
    int32_t supplement_ = 4;
    std::string ordering_ = "(Japan1)";
    std::string registry_ = "(Adobe)";
};

class KozMinProRegularFont : public CidFont {
public:
    KozMinProRegularFont();
};

class HeiseiMinW3Font : public CidFont {
public:
    HeiseiMinW3Font();
};

// Proportional; written under the names of HeiseiMin-W3, plus a /W array.
class HeiseiPMinW3Font : public CidFont {
public:
    HeiseiPMinW3Font();
};

class HeiseiKakuGoW5Font : public CidFont {
public:
    HeiseiKakuGoW5Font();
    // Header and footer slots. Bold: StemV 156, flags + 0x40000, names
    // "HeiseiKakuGo-W5,Bold" and Type0 "HeiseiKakuGo-W5-UniJIS-UCS2-H,Bold".
    // Italic: italic angle -11, flags + 64.
    HeiseiKakuGoW5Font(bool bold, bool italic);
};

// Proportional; written under the names of HeiseiKakuGo-W5, plus a /W array.
class HeiseiKakuPGoW5Font : public CidFont {
public:
    HeiseiKakuPGoW5Font();
};

}  // namespace sgry
