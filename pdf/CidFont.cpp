#include "pdf/CidFont.h"

#include <optional>
#include <utility>

#include "pdf/PdfIndirectObject.h"
#include "platform/Format.h"
#include "platform/SjisText.h"

namespace sgry {

namespace {

// Byte length of the Shift-JIS character at the start of text (1 or 2). A
// lead byte with nothing after it is a character of its own.
std::size_t CharLength(std::string_view text) {
    return (text.size() >= 2 && sjis::IsLeadByte(static_cast<unsigned char>(text[0]))) ? 2 : 1;
}

// Shown in place of a character that is not valid CP932.
constexpr char16_t kReplacementUnit = u'\u30FB';

std::u16string ToUtf16PerCharacter(std::string_view text) {
    std::u16string units;
    while (!text.empty()) {
        const std::size_t length = CharLength(text);
        const std::optional<std::u16string> one = sjis::ToUtf16(text.substr(0, length));
        units += (one && one->size() == 1) ? *one : std::u16string(1, kReplacementUnit);
        text.remove_prefix(length);
    }
    return units;
}

}  // namespace

CidFont::CidFont() : cidFontName_("KozMinPro-Regular"), descriptorFontName_("KozMinPro-Regular") {
    hexText_ = true;
}

CidFont::CidFont(std::string type0BaseFont, std::string cidName, bool fixedPitch,
                 std::span<const WidthPair> widths, int32_t ascent, int32_t descent,
                 int32_t capHeight, std::array<int32_t, 4> fontBBox, int32_t stemV)
    : cidFontName_(cidName), descriptorFontName_(cidName), stemV_(stemV),
      map_(std::make_unique<SjisCidMap>()) {
    hexText_ = true;
    fixedPitch_ = fixedPitch;
    baseFontName_ = std::move(type0BaseFont);
    encoding_ = FontEncoding::UniJisUcs2;
    widths_ = widths;
    defaultWidth_ = 1000;
    fontBBox_ = fontBBox;
    ascent_ = ascent;
    descent_ = descent;
    capHeight_ = capHeight;
}

CidFont::~CidFont() = default;

std::string_view CidFont::ShownText(std::string_view text) {
    std::size_t end = 0;
    for (std::size_t chars = 0; chars < kMaxShownChars && end < text.size(); ++chars)
        end += CharLength(text.substr(end));
    return text.substr(0, end);
}

namespace {

// The shown part of a text as UTF-16 code units. CP932 gives one unit per
// character, so the shown part always fits the 80-unit buffer; only invalid
// bytes make the conversion fail.
std::u16string ShownUnits(std::string_view shown) {
    std::optional<std::u16string> units = sjis::ToUtf16(shown, CidFont::kMaxShownChars);
    return units ? *units : ToUtf16PerCharacter(shown);
}

std::string HexUnit(char16_t unit) { return Format("%02X", (unit >> 8) & 0xFF) + Format("%02X", unit & 0xFF); }

// UniJIS-UCS2-H draws U+0020-U+007E with the proportional Latin CIDs 1-95.
constexpr int32_t kFirstLatinCid = 1;
constexpr int32_t kHalfWidth = 500;

}  // namespace

std::string CidFont::ShowTextHex(std::string_view text) {
    std::string result = "<";
    for (char16_t unit : ShownUnits(ShownText(text))) result += HexUnit(unit);
    result += "> Tj\r\n";
    return result;
}

int32_t CidFont::OneByteAdvance(char16_t unit) const { return CharWidth(unit - 0x20 + kFirstLatinCid); }

std::string CidFont::ShowTextHalfWidth(std::string_view text) const {
    std::string result = "[<";
    for (char16_t unit : ShownUnits(ShownText(text))) {
        result += HexUnit(unit);
        if (unit < 0x20 || unit > 0x7E || OneByteAdvance(unit) <= kHalfWidth) continue;
        result += Format("> %d <", OneByteAdvance(unit) - kHalfWidth);
    }
    result += "> ] TJ\r\n";
    return result;
}

float CidFont::HalfWidthTextWidth(std::string_view text, float size) const {
    float total = 0.0f;
    for (std::string_view rest = ShownText(text); !rest.empty();) {
        const std::size_t length = CharLength(rest);
        uint16_t code = static_cast<unsigned char>(rest[0]);
        if (length == 2) code = static_cast<uint16_t>(code * 256 + static_cast<unsigned char>(rest[1]));
        const bool latin = length == 1 && code >= 0x20 && code <= 0x7E;
        total += ScaledWidth(latin ? std::min(OneByteAdvance(code), kHalfWidth) : CharWidth(ToCid(code)), size);
        rest.remove_prefix(length);
    }
    return total;
}

uint16_t CidFont::ToCid(uint16_t code) const {
    return map_ ? map_->ToCid(code) : 0;
}

float CidFont::TextWidth(std::string_view text, float size) const {
    // Full-width conversion keeps one character per character, so the
    // measured characters are exactly the shown ones.
    const std::string fullWidth = sjis::ToFullWidth(ShownText(text));
    std::string_view rest = fullWidth;
    float total = 0.0f;
    while (!rest.empty()) {
        const std::size_t length = CharLength(rest);
        uint16_t code = static_cast<unsigned char>(rest[0]);
        if (length == 2) code = static_cast<uint16_t>(code * 256 + static_cast<unsigned char>(rest[1]));
        total += ScaledWidth(CharWidth(ToCid(code)), size);
        rest.remove_prefix(length);
    }
    return total;
}

int CidFont::WriteObjects(ObjectWriter& writer) {
    if (!map_) return 0;
    descriptorNumber_ = WriteDescriptor(writer);
    descriptorGeneration_ = 0;
    cidFontNumber_ = WriteCidFont(writer, descriptorNumber_);
    cidFontGeneration_ = 0;
    objectNumber_ = WriteType0Font(writer, cidFontNumber_);
    generation_ = 0;
    return 1;
}

int32_t CidFont::WriteDescriptor(ObjectWriter& writer) const {
    PdfDictionary descriptor;
    descriptor.AddLiteral("/Type", "/FontDescriptor");
    descriptor.AddLiteral("/FontName", "/" + descriptorFontName_);
    descriptor.AddInteger("/Descent", descent_);
    descriptor.AddInteger("/Ascent", ascent_);
    descriptor.AddInteger("/CapHeight", capHeight_);
    descriptor.AddInteger("/Flags", flags_);
    descriptor.AddInteger("/ItalicAngle", italicAngle_);
    descriptor.AddInteger("/StemV", stemV_);
    auto bbox = std::make_unique<PdfArray>();
    for (int32_t value : fontBBox_) bbox->AddInteger(value);
    descriptor.AddObject("/FontBBox", std::move(bbox));
    return WriteNewObject(writer, ObjectKind::Font, std::move(descriptor));
}

int32_t CidFont::WriteCidFont(ObjectWriter& writer, int32_t descriptorNumber) const {
    PdfDictionary cidFont;
    cidFont.AddLiteral("/Type", "/Font");
    cidFont.AddLiteral("/BaseFont", "/" + cidFontName_);
    cidFont.AddObject("/FontDescriptor", std::make_unique<PdfObjectRef>(descriptorNumber, 0));
    auto systemInfo = std::make_unique<PdfDictionary>();
    systemInfo->AddInteger("/Supplement", supplement_);
    systemInfo->AddLiteral("/Ordering", ordering_);
    systemInfo->AddLiteral("/Registry", registry_);
    cidFont.AddObject("/CIDSystemInfo", std::move(systemInfo));
    cidFont.AddLiteral("/Subtype", "/CIDFontType0");
    cidFont.AddInteger("/DW", defaultWidth_);
    if (!widths_.empty()) cidFont.AddObject("/W", WidthArray());
    return WriteNewObject(writer, ObjectKind::Font, std::move(cidFont));
}

int32_t CidFont::WriteType0Font(ObjectWriter& writer, int32_t cidFontNumber) const {
    PdfDictionary type0;
    type0.AddLiteral("/Type", "/Font");
    type0.AddLiteral("/BaseFont", "/" + baseFontName_);
    auto descendants = std::make_unique<PdfArray>();
    descendants->AddEntry(std::make_unique<PdfObjectRef>(cidFontNumber, 0));
    type0.AddObject("/DescendantFonts", std::move(descendants));
    if (encoding_ == FontEncoding::UniJisUcs2) type0.AddLiteral("/Encoding", "/UniJIS-UCS2-H");
    type0.AddLiteral("/Subtype", "/Type0");
    return WriteNewObject(writer, ObjectKind::Font, std::move(type0));
}

std::unique_ptr<PdfArray> CidFont::WidthArray() const {
    auto outer = std::make_unique<PdfArray>();
    std::unique_ptr<PdfArray> run;
    for (std::size_t i = 0; i < widths_.size(); ++i) {
        if (!run) {
            outer->AddInteger(widths_[i].code);
            run = std::make_unique<PdfArray>();
        }
        run->AddInteger(widths_[i].width);
        const bool runEnds = i + 1 == widths_.size() || widths_[i + 1].code != widths_[i].code + 1;
        if (runEnds) outer->AddEntry(std::move(run));
    }
    return outer;
}

namespace {

constexpr std::array<int32_t, 4> kHeiseiBBox{0, -141, 1000, 859};

}  // namespace

KozMinProRegularFont::KozMinProRegularFont()
    : CidFont("KozMinPro-Regular-UniJIS-UCS2-H", "KozMinPro-Regular", true, {}, 880, -120, 880,
              {-195, -272, 1110, 1075}, 93) {}

HeiseiMinW3Font::HeiseiMinW3Font()
    : CidFont("HeiseiMin-W3-UniJIS-UCS2-H", "HeiseiMin-W3", true, {}, 859, -141, 859, kHeiseiBBox,
              78) {}

HeiseiPMinW3Font::HeiseiPMinW3Font()
    : CidFont("HeiseiMin-W3-UniJIS-UCS2-H", "HeiseiMin-W3", false, font_tables::HeiseiPMinW3Widths(),
              859, -141, 859, kHeiseiBBox, 78) {}

HeiseiKakuGoW5Font::HeiseiKakuGoW5Font() : HeiseiKakuGoW5Font(false, false) {}

HeiseiKakuGoW5Font::HeiseiKakuGoW5Font(bool bold, bool italic)
    : CidFont("HeiseiKakuGo-W5-UniJIS-UCS2-H", "HeiseiKakuGo-W5", true, {}, 859, -141, 859,
              kHeiseiBBox, 78) {
    if (bold) {
        stemV_ = 156;
        flags_ += 0x40000;
        cidFontName_ = "HeiseiKakuGo-W5,Bold";
        descriptorFontName_ = "HeiseiKakuGo-W5,Bold";
        baseFontName_ = "HeiseiKakuGo-W5-UniJIS-UCS2-H,Bold";
    }
    if (italic) {
        italicAngle_ = -11;
        flags_ += 64;
    }
}

HeiseiKakuPGoW5Font::HeiseiKakuPGoW5Font()
    : CidFont("HeiseiKakuGo-W5-UniJIS-UCS2-H", "HeiseiKakuGo-W5", false,
              font_tables::HeiseiKakuPGoW5Widths(), 859, -141, 859, kHeiseiBBox, 78) {}

}  // namespace sgry
