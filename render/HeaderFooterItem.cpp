#include "render/HeaderFooterItem.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "pdf/CidFont.h"
#include "platform/Format.h"
#include "platform/SjisText.h"

namespace sgry {
namespace {

// A header text's baseline lies size x 0.585 below the top margin; the border
// line keeps 5 points more from the tallest text of its row.
constexpr float kBaselineFactor = 0.585f;
constexpr float kLineGap = 5.0f;

float SlotSizePoints(const StampSettings& settings, int slot) {
    if (!IsValidSlot(slot)) return 0.0f;
    return static_cast<float>(FontSizePoints(settings.Slots[static_cast<std::size_t>(slot)]));
}

}  // namespace

std::string BatesNumberText(const StampSettings& settings, int64_t number) {
    const int digits = std::clamp(settings.BatesDigits, kBatesMinDigits, kBatesMaxDigits);
    return settings.BatesPrefix + Format(Format("%%0%dld", digits), number) + settings.BatesSuffix;
}

bool BatesNumberFits(const StampSettings& settings, int64_t last) {
    const int digits = std::clamp(settings.BatesDigits, kBatesMinDigits, kBatesMaxDigits);
    int64_t limit = 1;
    for (int i = 0; i < digits; ++i) limit *= 10;
    return last < limit;
}

namespace {

// Length of the UTF-8 sequence that starts with `lead`; 1 for a byte that
// starts none, so that it is replaced on its own.
std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

}  // namespace

std::string FileNameText(std::string_view path, FileNameFormat format) {
    std::string_view name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    if (format == FileNameFormat::WithoutExtension && dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    if (const std::optional<std::string> whole = sjis::FromUtf8(name)) return *whole;
    // Character by character, so that one unknown character costs only itself.
    std::string text;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = std::min(Utf8Length(static_cast<unsigned char>(name[i])), name.size() - i);
        const std::optional<std::string> one = sjis::FromUtf8(name.substr(i, length));
        text += one ? *one : std::string("?");
        i += length;
    }
    return text;
}

std::tm SystemLocalTime() { return LocalTimeAt(std::time(nullptr)); }

std::tm LocalTimeAt(std::time_t time) {
    std::tm broken{};
    localtime_r(&time, &broken);
    return broken;
}

std::string EscapeLiteralText(std::string_view text) {
    // Pair the parentheses first: only those left without a partner would end
    // the string early or leave it open, so only they get a backslash.
    std::vector<bool> unpaired(text.size(), false);
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '(') {
            open.push_back(i);
        } else if (text[i] == ')') {
            if (open.empty()) {
                unpaired[i] = true;
            } else {
                open.pop_back();
            }
        }
    }
    for (std::size_t i : open) unpaired[i] = true;

    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' || unpaired[i]) escaped += '\\';
        escaped += text[i];
    }
    return escaped;
}

HeaderFooterItem::HeaderFooterItem(const StampSettings& settings)
    : settings_(settings), margins_(MarginsFromSettingsOrder(settings.Margin)) {}

HeaderFooterItem::~HeaderFooterItem() = default;

void HeaderFooterItem::SetSlot(int slot, const PageEntry& page, std::string_view fontResourceName,
                               const PdfFont& font) {
    slot_ = slot;
    page_ = &page;
    fontResourceName_ = std::string(fontResourceName);
    font_ = &font;
    fontSize_ = SlotSizePoints(settings_, slot);
}

std::string HeaderFooterItem::TextObject(std::string_view shownText, std::string_view showLine) const {
    return TextObjectOfWidth(font_->TextWidth(shownText, fontSize_), showLine);
}

std::string HeaderFooterItem::TextObjectOfWidth(float width, std::string_view showLine) const {
    const std::string colour =
        IsValidSlot(slot_) ? ColorText(settings_.Slots[static_cast<std::size_t>(slot_)]) : ColorText(0);
    const PlacementMatrix matrix = PlaceHeaderFooterTextWidth(slot_, *page_, margins_, fontSize_, width);
    std::string text = "BT\r\n0 Tc\r\n0 Tr\r\n";
    text += Format("%s %.2f Tf\r\n", fontResourceName_, fontSize_);
    text += Format("%s rg\r\n", colour);
    text += MatrixOperands(matrix);
    text += "Tm\r\n";
    text += showLine;
    text += "ET\r\n";
    return text;
}

std::string HeaderFooterItem::LiteralShowLine(std::string_view text) {
    return Format("(%s) Tj\r\n", EscapeLiteralText(text));
}

PageNumberItem::PageNumberItem(const StampSettings& settings, int32_t documentPageCount)
    : HeaderFooterItem(settings), documentPageCount_(documentPageCount) {}

void PageNumberItem::Set(int slot, PageNumberFormat format, const PageEntry& page,
                         std::string_view fontResourceName, const PdfFont& font) {
    SetSlot(slot, page, fontResourceName, font);
    format_ = format;
}

std::string PageNumberItem::PageNumberText(PageNumberFormat format, int32_t label, int32_t pageCount) {
    switch (format) {
        case PageNumberFormat::Dashed:
            return Format("-%d-", label);
        case PageNumberFormat::OfTotal:
            return Format("%d/%d", label, pageCount);
        case PageNumberFormat::DashedOfTotal:
            return Format("-%d/%d-", label, pageCount);
        case PageNumberFormat::Plain:
        default:
            return Format("%d", label);
    }
}

std::string PageNumberItem::Generate() const {
    if (!IsSet()) return {};
    const std::string text = PageNumberText(format_, Page().label, documentPageCount_);
    return TextObject(text, LiteralShowLine(text));
}

DateTimeItem::DateTimeItem(const StampSettings& settings, LocalTimeSource clock)
    : HeaderFooterItem(settings), clock_(std::move(clock)) {}

void DateTimeItem::Set(int slot, DateFormat format, const PageEntry& page, std::string_view fontResourceName,
                       const PdfFont& font) {
    SetSlot(slot, page, fontResourceName, font);
    format_ = format;
}

std::string DateTimeItem::DateText(DateFormat format, const std::tm& time) {
    const int year = time.tm_year + 1900;
    const int month = time.tm_mon + 1;
    switch (format) {
        case DateFormat::Time:
            return Format("%02d:%02d", time.tm_hour, time.tm_min);
        case DateFormat::DateTime:
            return Format("%04d/%02d/%02d %02d:%02d", year, month, time.tm_mday, time.tm_hour, time.tm_min);
        case DateFormat::Date:
        default:
            return Format("%04d/%02d/%02d", year, month, time.tm_mday);
    }
}

std::string DateTimeItem::Generate() const {
    if (!IsSet()) return {};
    const std::string text = DateText(format_, clock_ ? clock_() : SystemLocalTime());
    return TextObject(text, LiteralShowLine(text));
}

TextItem::TextItem(const StampSettings& settings) : HeaderFooterItem(settings) {}

void TextItem::Set(int slot, std::string_view customText, const PageEntry& page,
                   std::string_view fontResourceName, const PdfFont& font, bool keepHalfWidth) {
    SetSlot(slot, page, fontResourceName, font);
    text_ = std::string(customText);
    keepHalfWidth_ = keepHalfWidth;
}

std::string TextItem::Generate() const {
    if (!IsSet()) return {};
    if (sjis::IsAscii(text_)) return TextObject(text_, LiteralShowLine(text_));
    if (const auto* cid = dynamic_cast<const CidFont*>(&Font()); cid && keepHalfWidth_)
        return TextObjectOfWidth(cid->HalfWidthTextWidth(text_, FontSize()), cid->ShowTextHalfWidth(text_));
    // The hexadecimal form shows at most the first 80 characters; the layout
    // measures that same part, so centred and right-aligned texts stay in place.
    return TextObject(CidFont::ShownText(text_), CidFont::ShowTextHex(text_));
}

BorderLine::BorderLine(const StampSettings& settings) : settings_(settings) {}

std::string BorderLine::Generate(const PageEntry& page, int which) const {
    if (which != 0 && which != 1) return {};
    const MarginsPt m = MarginsToPoints(MarginsFromSettingsOrder(settings_.Margin));
    const ViewFrame frame = MakeViewFrame(page);

    float tallest = 0.0f;
    const int firstSlot = which * kSlotsPerRow;
    for (int slot = firstSlot; slot < firstSlot + kSlotsPerRow; ++slot) {
        tallest = std::max(tallest, SlotSizePoints(settings_, slot) * kBaselineFactor);
    }
    const float y = which == 0 ? static_cast<float>(frame.height) - m.top - tallest - kLineGap
                               : m.bottom + tallest + kLineGap;
    const float rightEnd = static_cast<float>(frame.width) - m.right;

    const UserPoint start = MapToPage(page, frame, m.left, y);
    const UserPoint end = MapToPage(page, frame, rightEnd, y);
    std::string text = "0 0 0 RG\r\n0.75 w\r\n";
    text += Format("%.2f %.2f m\r\n", start.x, start.y);
    text += Format("%.2f %.2f l\r\n", end.x, end.y);
    text += "S\r\n";
    return text;
}

}  // namespace sgry
