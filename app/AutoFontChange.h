#pragma once
// The automatic font and text corrections that the header/footer and
// watermark settings pages apply when they store their values, and the report
// the stamp settings sheet shows about them when it closes. No user interface:
// the pages hand in what their controls show and receive the corrected values.
//
// Texts are CP932 byte strings; font names are PDF font names of FontTable.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/StampSettings.h"

namespace sgry {

// ChangeFlags bits of a header or footer page.
inline constexpr int32_t kHeaderTextToJapaneseFont = 1;   // a text slot got a Japanese font
inline constexpr int32_t kHeaderNumberToLatinFont = 2;    // a page-number or date slot got a Latin font
inline constexpr int32_t kHeaderTextMadeFullWidth = 4;    // a text slot's one-byte characters became full-width

// ChangeFlags bits of the watermark page.
inline constexpr int32_t kWatermarkToJapaneseFont = 1;
inline constexpr int32_t kWatermarkToLatinFont = 2;

// The fonts the corrections switch to.
inline constexpr std::string_view kFirstJapaneseFont = "HeiseiMin-W3";  // first Japanese row of FontTable
inline constexpr std::string_view kFirstLatinFont = "Courier";          // first Latin row of FontTable
inline constexpr std::string_view kWatermarkJapaneseFont = "HeiseiPMin-W3";
inline constexpr std::string_view kWatermarkLatinFont = "Times-Roman";

// True when a FontTable row of kind Japanese has this PDF name; a name no
// row has counts as Latin.
bool IsJapaneseFont(std::string_view pdfFontName);

// Some byte lies in 0x81-0x9F or 0xE0-0xFC.
bool ContainsDoubleByte(std::string_view text);

// Steps through the text two bytes at a time from its start: true at the
// first step whose byte is no lead byte, false at the end (and for "").
bool ContainsSingleByte(std::string_view text);

// What one column of a header/footer page shows when its page stores.
struct HeaderFooterColumn {
    HeaderFooterStyle style = HeaderFooterStyle::None;
    std::string text;  // CP932
    bool bates = false;  // a page-number column showing the Bates number
};

// The three passes over the left, centre and right column of group `group`
// (0 header, 1 footer), with the fonts as they stand in settings.Slots[3g+c]:
//   1. text columns with a Japanese font: one-byte characters of the text
//      become full-width (columns[c].text changes), bit 4;
//   2. text columns with a Latin font and a double-byte character: the slot's
//      font becomes HeiseiMin-W3, bit 1; so do Bates columns whose
//      settings.BatesPrefix or BatesSuffix holds a double-byte character;
//   3. page-number and date columns with a Japanese font: the slot's font
//      becomes Courier, bit 2; not Bates columns with such a prefix or suffix.
// File-name columns are left alone: the name is known only when the file is
// stamped, and the run chooses their font then.
// Returns the ChangeFlags bits set. `group` outside 0-1 changes nothing.
int32_t AutoFontChangeHeaderFooter(StampSettings& settings, int32_t group,
                                   std::array<HeaderFooterColumn, 3>& columns);

// The watermark page's correction for the word row `wordRow` of
// WatermarkWordTable (0-26) and the font `waterMarkFont` (changed in place):
// a Japanese-only word with a Latin font gets HeiseiPMin-W3 (bit 1), a
// Latin-only word with a Japanese font gets Times-Roman (bit 2).
int32_t AutoFontChangeWatermark(int32_t wordRow, std::string& waterMarkFont);

// The information text shown when the stamp settings sheet closes, built from
// the ChangeFlags of the header page, the footer page and the watermark page;
// "" when there is nothing to report. UTF-8 with CR LF line breaks.
std::string AutoChangeReport(int32_t headerFlags, int32_t footerFlags, int32_t watermarkFlags);

}  // namespace sgry
