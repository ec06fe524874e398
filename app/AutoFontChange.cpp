#include "app/AutoFontChange.h"

#include <cstddef>

#include "pdf/FontTable.h"
#include "platform/Format.h"
#include "platform/SjisText.h"
#include "platform/Translation.h"

namespace sgry {

bool IsJapaneseFont(std::string_view pdfFontName) {
    for (const FontTableRow& row : FontTable)
        if (row.pdfName == pdfFontName) return row.kind == FontKind::Japanese;
    return false;
}

bool ContainsDoubleByte(std::string_view text) {
    for (char c : text)
        if (sjis::IsLeadByte(static_cast<unsigned char>(c))) return true;
    return false;
}

bool ContainsSingleByte(std::string_view text) {
    // Two bytes a step: with valid CP932 every step lands on a character's
    // first byte until the first one-byte character is reached.
    for (std::size_t i = 0; i < text.size(); i += 2)
        if (!sjis::IsLeadByte(static_cast<unsigned char>(text[i]))) return true;
    return false;
}

int32_t AutoFontChangeHeaderFooter(StampSettings& settings, int32_t group,
                                   std::array<HeaderFooterColumn, 3>& columns) {
    if (group < 0 || group > 1) return 0;
    auto slotOf = [&](std::size_t column) -> HeaderFooterSlot& {
        return settings.Slots[static_cast<std::size_t>(group) * 3 + column];
    };
    int32_t flags = 0;
    const bool japaneseBates = ContainsDoubleByte(settings.BatesPrefix + settings.BatesSuffix);
    const auto needsJapanese = [&](const HeaderFooterColumn& column) {
        return column.style == HeaderFooterStyle::Text ? ContainsDoubleByte(column.text)
                                                       : column.bates && japaneseBates;
    };

    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].style == HeaderFooterStyle::Text && IsJapaneseFont(slotOf(c).FontName) &&
            ContainsSingleByte(columns[c].text)) {
            columns[c].text = sjis::ToFullWidth(columns[c].text);
            flags |= kHeaderTextMadeFullWidth;
        }
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (needsJapanese(columns[c]) && !IsJapaneseFont(slotOf(c).FontName)) {
            slotOf(c).FontName = std::string(kFirstJapaneseFont);
            flags |= kHeaderTextToJapaneseFont;
        }
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const bool numberOrDate = columns[c].style == HeaderFooterStyle::PageNumber ||
                                  columns[c].style == HeaderFooterStyle::DateTime;
        if (numberOrDate && !needsJapanese(columns[c]) && IsJapaneseFont(slotOf(c).FontName)) {
            slotOf(c).FontName = std::string(kFirstLatinFont);
            flags |= kHeaderNumberToLatinFont;
        }
    }
    return flags;
}

int32_t AutoFontChangeWatermark(int32_t wordRow, std::string& waterMarkFont) {
    if (wordRow < 0 || wordRow >= kWatermarkWordCount) return 0;
    const int32_t allowed = WatermarkWordTable[static_cast<std::size_t>(wordRow)].AllowedFonts;
    const bool japanese = IsJapaneseFont(waterMarkFont);
    if (allowed == kAllowJapaneseFonts && !japanese) {
        waterMarkFont = std::string(kWatermarkJapaneseFont);
        return kWatermarkToJapaneseFont;
    }
    if (allowed == kAllowLatinFonts && japanese) {
        waterMarkFont = std::string(kWatermarkLatinFont);
        return kWatermarkToLatinFont;
    }
    return 0;
}

std::string AutoChangeReport(int32_t headerFlags, int32_t footerFlags, int32_t watermarkFlags) {
    std::string lines;
    if ((headerFlags | footerFlags) & kHeaderTextToJapaneseFont)
        lines += Translate(
            "- Header and footer texts that contain full-width characters now use a Japanese font\r\n");
    if (watermarkFlags & kWatermarkToJapaneseFont)
        lines += Translate("- The text watermark now uses a full-width (Japanese) font\r\n");
    if (watermarkFlags & kWatermarkToLatinFont)
        lines += Translate("- The text watermark now uses a half-width (Latin) font\r\n");
    if (lines.empty()) return lines;
    return Format(Translate("Some settings were changed automatically:\r\n\r\n%s"), lines);
}

}  // namespace sgry
