#pragma once
// The metric tables the font objects are built from. The numbers live in
// pdf/generated/*.cpp, written by tools/gen_font_tables.py from the published
// AFM files, the 90ms-RKSJ-H CMap and the proportional width lists; the
// generated files keep the notices of their sources.
#include <cstdint>
#include <span>

namespace sgry {

// One width entry: for a Type 1 font a character code, for a CID font a CID;
// width in thousandths of the em.
struct WidthPair {
    int32_t code;
    int32_t width;
};

// One Shift-JIS code range and the CID of its first code. One-byte codes are
// 0x00-0xFF, two-byte codes are lead byte * 256 + trail byte.
struct CidRange {
    uint16_t first;
    uint16_t last;
    uint16_t firstCid;
};

namespace font_tables {

// Encoded characters of the base-14 fonts, in code order (Courier needs no
// table: every character is 600 wide).
std::span<const WidthPair> HelveticaWidths();     // 149 pairs, codes 32-251
std::span<const WidthPair> TimesRomanWidths();    // 149 pairs, codes 32-251
std::span<const WidthPair> SymbolWidths();        // 189 pairs, codes 32-254
std::span<const WidthPair> ZapfDingbatsWidths();  // 202 pairs, codes 32-254

// The 171 code ranges of 90ms-RKSJ-H in the CMap's order (sorted by first
// byte, so the one-byte range 0xA0-0xDF stands among the two-byte ranges).
std::span<const CidRange> SjisCidRanges();

// (CID, width) of the proportional fonts, in CID order: 460 pairs each, in the
// runs 1-94, 326-389, 633-695, 771-778, 780-1010.
std::span<const WidthPair> HeiseiKakuPGoW5Widths();
std::span<const WidthPair> HeiseiPMinW3Widths();

}  // namespace font_tables
}  // namespace sgry
