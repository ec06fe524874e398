#pragma once
// Generators of the header and footer: one text object per slot (page number,
// date and time, or custom text) and the border line under the header or
// above the footer. The stamping pass creates one item of each kind per page,
// calls Set and Generate for each slot of that kind in the order 0, 1, 2,
// header line, 3, 4, 5, footer line, and joins what they return.
//
// Items borrow the settings, the page entry and the font; all three must
// outlive the item's use. Sizes are points, margins millimetres (converted to
// points for every page).
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "pdf/PageEntry.h"
#include "pdf/PdfFont.h"
#include "render/StampGeometry.h"
#include "settings/StampSettings.h"

namespace sgry {

// Broken-down local time, read anew for every generated text.
using LocalTimeSource = std::function<std::tm()>;

// The current calendar time broken down with localtime_r.
std::tm SystemLocalTime();
// A given calendar time broken down with localtime_r (local time zone).
std::tm LocalTimeAt(std::time_t time);

// The bytes that go between "(" and ")" of a literal string: every backslash
// is doubled and every parenthesis without a partner is preceded by a
// backslash. A text whose parentheses balance (and which has no backslash)
// keeps its bytes, so what the viewer shows is exactly the text.
std::string EscapeLiteralText(std::string_view text);

class HeaderFooterItem {
public:
    // Copies the margins; keeps a reference to the settings for the slot's
    // size and colour.
    explicit HeaderFooterItem(const StampSettings& settings);
    virtual ~HeaderFooterItem();
    HeaderFooterItem(const HeaderFooterItem&) = delete;
    HeaderFooterItem& operator=(const HeaderFooterItem&) = delete;

    // The text object of the slot set last:
    //   "BT\r\n0 Tc\r\n0 Tr\r\n" "<name> <size> Tf\r\n" "<r g b> rg\r\n"
    //   "<a b c d e f >Tm\r\n" <text-showing line> "ET\r\n"
    // Empty before the first Set.
    virtual std::string Generate() const = 0;

protected:
    // slot 0-5; the font size becomes FontSizePoints of that slot (0 for a
    // slot outside 0-5, whose text is anchored at the origin).
    void SetSlot(int slot, const PageEntry& page, std::string_view fontResourceName, const PdfFont& font);
    bool IsSet() const { return page_ != nullptr && font_ != nullptr; }
    const PdfFont& Font() const { return *font_; }
    const PageEntry& Page() const { return *page_; }

    // The text object around one text-showing line. shownText is the text
    // as the viewer shows it; it is measured for centre and right alignment.
    std::string TextObject(std::string_view shownText, std::string_view showLine) const;
    // The same for a text `width` points wide.
    std::string TextObjectOfWidth(float width, std::string_view showLine) const;
    float FontSize() const { return fontSize_; }
    // "(" + escaped text + ") Tj\r\n".
    static std::string LiteralShowLine(std::string_view text);

private:
    const StampSettings& settings_;
    MarginsMm margins_;
    int slot_ = 0;
    const PageEntry* page_ = nullptr;
    std::string fontResourceName_;
    const PdfFont* font_ = nullptr;
    float fontSize_ = 0.0f;
};

// "%d", "-%d-", "%d/%d", "-%d/%d-" of the page's label and the document's
// page count; any other format value prints "%d".
class PageNumberItem : public HeaderFooterItem {
public:
    // documentPageCount: /Count of the page tree root (not the last label).
    PageNumberItem(const StampSettings& settings, int32_t documentPageCount);
    void Set(int slot, PageNumberFormat format, const PageEntry& page, std::string_view fontResourceName,
             const PdfFont& font);
    std::string Generate() const override;

    // The page-number text alone, e.g. "-3/12-".
    static std::string PageNumberText(PageNumberFormat format, int32_t label, int32_t pageCount);

private:
    int32_t documentPageCount_;
    PageNumberFormat format_ = PageNumberFormat::Plain;
};

// The Bates number of a page: BatesPrefix, the number zero-padded to
// BatesDigits digits, BatesSuffix (CP932): "ABC000041". A number that needs
// more digits is printed whole; the run refuses files that would need one
// (BatesNumberFits).
std::string BatesNumberText(const StampSettings& settings, int64_t number);
// True when `last` fits BatesDigits digits (and with it every number below).
bool BatesNumberFits(const StampSettings& settings, int64_t last);

// The name a file-name slot prints for a file path (native bytes, UTF-8):
// the last path component, without its last extension for
// WithoutExtension ("report.final.pdf" gives "report.final"; a leading dot
// starts no extension), converted to CP932. A character CP932 has no form
// for, or a byte that is no UTF-8, prints as "?".
std::string FileNameText(std::string_view path, FileNameFormat format);

// "%04d/%02d/%02d", "%02d:%02d" or "%04d/%02d/%02d %02d:%02d" of the local
// time read when Generate runs; any other format value prints the date only.
class DateTimeItem : public HeaderFooterItem {
public:
    DateTimeItem(const StampSettings& settings, LocalTimeSource clock = SystemLocalTime);
    void Set(int slot, DateFormat format, const PageEntry& page, std::string_view fontResourceName,
             const PdfFont& font);
    std::string Generate() const override;

    static std::string DateText(DateFormat format, const std::tm& time);

private:
    LocalTimeSource clock_;
    DateFormat format_ = DateFormat::Date;
};

// Custom text (Shift-JIS). All bytes below 0x80: a literal string, escaped by
// EscapeLiteralText. Any byte of 0x80 or above: hexadecimal UTF-16 by
// CidFont::ShowTextHex, which shows the first CidFont::kMaxShownChars
// characters; the width is measured on exactly that shown part.
// keepHalfWidth (a file's name, a Bates number, whose one-byte characters
// no settings page turned full-width): CidFont::ShowTextHalfWidth instead.
class TextItem : public HeaderFooterItem {
public:
    explicit TextItem(const StampSettings& settings);
    void Set(int slot, std::string_view customText, const PageEntry& page, std::string_view fontResourceName,
             const PdfFont& font, bool keepHalfWidth = false);
    std::string Generate() const override;

private:
    std::string text_;
    bool keepHalfWidth_ = false;
};

// The thin black line between the header (which 0) or footer (which 1) and
// the page body:
//   "0 0 0 RG\r\n0.75 w\r\n" "<x1> <y1> m\r\n" "<x2> <y2> l\r\n" "S\r\n"
// It runs from the left to the right margin, 5 points beyond the tallest
// text of the row (size x 0.585 over the row's three slots, whatever their
// kind). Not wrapped in q/Q: the width and stroke colour stay set.
class BorderLine {
public:
    // Keeps a reference to the settings (slot sizes and margins).
    explicit BorderLine(const StampSettings& settings);
    // Empty for a `which` other than 0 or 1.
    std::string Generate(const PageEntry& page, int which) const;

private:
    const StampSettings& settings_;
};

}  // namespace sgry
