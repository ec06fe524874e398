#pragma once
// The stamp and application settings: one live instance of each for the whole
// process, constructed with the defaults below, filled from the settings file
// at start-up (settings/SettingsFile.h), edited in place by the settings pages
// and read, never written, by a batch run.
//
// Every field carries the name of its settings-file key. Units and ranges:
//   colours   0x00BBGGRR in an int32_t (red in the lowest byte); 0 black, 0xFFFFFF white
//   densities percent 0-100, 100 fully opaque
//   texts     CP932 byte strings; lengths count bytes
//   margins   millimetres, float, 0-100
#include <array>
#include <cstdint>
#include <string>

#include "settings/WatermarkWordTable.h"

namespace sgry {

// Nine positions on the page, row by row from the top left.
enum class StampPosition : int32_t {
    TopLeft = 0,
    TopCenter = 1,
    TopRight = 2,
    MiddleLeft = 3,
    Center = 4,
    MiddleRight = 5,
    BottomLeft = 6,
    BottomCenter = 7,
    BottomRight = 8,
};

// What a header or footer slot shows.
enum class HeaderFooterStyle : int32_t {
    None = 0,
    PageNumber = 1,
    DateTime = 2,
    Text = 3,
    FileName = 4,  // the source file's name, without its folder
};

// Page number forms ("n" is the page count): "1", "-1-", "1/n", "-1/n-",
// and the Bates number: BatesPrefix, the number counted across the files of
// a run with BatesDigits digits, BatesSuffix ("ABC000041").
enum class PageNumberFormat : int32_t {
    Plain = 0,
    Dashed = 1,
    OfTotal = 2,
    DashedOfTotal = 3,
    Bates = 4,
};

// What a file-name slot prints: "report.final.pdf" or "report.final".
enum class FileNameFormat : int32_t {
    WithExtension = 0,
    WithoutExtension = 1,
};

// Date forms: "YYYY/MM/DD", "hh:mm", "YYYY/MM/DD hh:mm".
enum class DateFormat : int32_t {
    Date = 0,
    Time = 1,
    DateTime = 2,
};

// Thickness of the band watermark, thickest first.
enum class BandThickness : int32_t {
    ExtraThick = 0,
    Thick = 1,
    Medium = 2,
    Thin = 3,
    ExtraThin = 4,
};

// How the stamped file is written.
enum class OutputMode : int32_t {
    PrefixedCopy = 0,  // a copy whose name carries the prefix "_"
    SaveAsDialog = 1,  // a copy under a name chosen in a save dialog
    Overwrite = 2,     // the source itself
};

// Language of the desktop program's texts.
enum class UiLanguage : int32_t {
    System = 0,    // the locale's: Japanese in a Japanese locale, English elsewhere
    English = 1,
    Japanese = 2,
};

// QR error-correction level.
enum class QrEcLevel : int32_t {
    L = 0,
    M = 1,
    Q = 2,
    H = 3,
};

// Number of entries of each enumeration (values run 0..count-1).
inline constexpr int32_t kStampPositionCount = 9;
inline constexpr int32_t kHeaderFooterStyleCount = 5;
inline constexpr int32_t kPageNumberFormatCount = 5;
inline constexpr int32_t kFileNameFormatCount = 2;
inline constexpr int32_t kDateFormatCount = 3;
inline constexpr int32_t kBandThicknessCount = 5;
inline constexpr int32_t kOutputModeCount = 3;
inline constexpr int32_t kQrEcLevelCount = 4;
// The values that settings files held before the file-name kind and the
// Bates format were added. A later value is read by this version only; any
// other value beyond these still falls back to the last of them, as it did.
inline constexpr int32_t kFirstHeaderFooterStyleCount = 4;
inline constexpr int32_t kFirstPageNumberFormatCount = 4;
inline constexpr int32_t kUiLanguageCount = 3;

// One text slot of the header or footer.
struct HeaderFooterSlot {
    std::string FontName = "Courier";  // PDF font name of the font table
    bool FontIsBold = false;           // stored and loaded only
    bool FontIsItalic = false;         // stored and loaded only
    int32_t StyleColor = 0;            // 0x00BBGGRR
    int32_t StylePointSize = 105;      // tenths of a point, 0-9999
    std::string CustomText;            // text of a text slot, at most 80 bytes
    DateFormat StyleDateType = DateFormat::Date;
    PageNumberFormat StylePageType = PageNumberFormat::Plain;
    HeaderFooterStyle StyleType = HeaderFooterStyle::None;
    FileNameFormat StyleNameType = FileNameFormat::WithExtension;

    bool operator==(const HeaderFooterSlot&) const = default;
};

// Header (index 0) or footer (index 1) as a whole.
struct HeaderFooterGroup {
    bool EdgeBorder = false;  // border line between the header/footer and the page body

    bool operator==(const HeaderFooterGroup&) const = default;
};

// Slot indices of StampSettings::Slots.
enum HeaderFooterSlotIndex : int32_t {
    kHeaderLeft = 0,
    kHeaderCenter = 1,
    kHeaderRight = 2,
    kFooterLeft = 3,
    kFooterCenter = 4,
    kFooterRight = 5,
    kSlotCount = 6,
};

// Indices of StampSettings::Margin.
enum MarginIndex : int32_t {
    kMarginTop = 0,
    kMarginBottom = 1,
    kMarginLeft = 2,
    kMarginRight = 3,
    kMarginCount = 4,
};

// Indices of StampSettings::OddFlag.
enum OddFlagIndex : int32_t {
    kStampEvenPositions = 0,
    kStampOddPositions = 1,
};

inline constexpr int32_t kQrStringMaxBytes = 7089;
inline constexpr int32_t kBandTextMaxBytes = 80;
inline constexpr int32_t kCustomTextMaxBytes = 80;
inline constexpr int32_t kImageFileNameMaxBytes = 2048;
inline constexpr int32_t kBatesMinDigits = 1;
inline constexpr int32_t kBatesMaxDigits = 12;
inline constexpr int64_t kBatesMaxNumber = 999999999999;  // the largest of kBatesMaxDigits digits

struct StampSettings {
    std::string Section = "OptionList1";  // settings-file section of every field below

    // QR-code watermark
    bool QRIsValid = false;
    std::string QRString;  // message, at most kQrStringMaxBytes (checked by the settings page)
    StampPosition QRPosition = StampPosition::BottomRight;
    bool QRMarginValid = true;    // the QR code keeps the page margins
    bool QRIsVersionAuto = true;  // false: QRVersion and QRECLevel are used as they stand
    int32_t QRVersion = 10;       // 1-40
    QrEcLevel QRECLevel = QrEcLevel::H;
    bool QRPhone = true;  // fit check allows versions up to 10 (true) or 40 (false)

    // Text watermark
    int32_t WaterMarkType = 0;  // Id of a WatermarkWordTable row, 0-26; 0 = none
    StampPosition WaterMarkPosition = StampPosition::Center;
    int32_t WaterMarkColor = 0;     // 0x00BBGGRR
    int32_t WaterMarkDensity = 30;  // 0-100
    bool WaterMarkMargin = true;    // keeps the page margins
    std::string WaterMarkFont = "Courier";
    bool WawterMarkDiagonal = false;  // along the page diagonal (offered for Center only)

    // Band watermark
    bool bWmNeed = false;
    int32_t bWmYPos = 50;  // 0-100
    BandThickness bWmThick = BandThickness::Medium;
    int32_t bWmTextColor = 0xFFFFFF;  // 0x00BBGGRR
    int32_t bWmBarColor = 0;          // 0x00BBGGRR
    int32_t bWmDensity = 30;          // 0-100
    std::string bWmText = "Sample";   // at most kBandTextMaxBytes
    bool bWmIsRepeat = true;
    std::string bWmFont = "Courier";

    // Image watermark
    std::string ImageFileName;  // full path (native bytes); empty = no image watermark
    StampPosition ImagePosition = StampPosition::Center;
    int32_t ImageDensity = 30;  // 0-100
    bool ImageMargin = true;    // keeps the page margins

    // Page margins and page selection
    std::array<float, kMarginCount> Margin = {10.0f, 10.0f, 10.0f, 10.0f};  // mm: top, bottom, left, right
    std::array<bool, 2> OddFlag = {true, true};  // [0] even positions, [1] odd positions
    int32_t StartWith = 1;  // number of the first page of the range, -65535..65535
    int32_t EndPage = 1;    // last page, 1-based; 0 = up to the last page
    int32_t StartPage = 1;  // first page, 1-based; 0 = from the first page
    bool IsAllPage = true;  // false: only StartPage..EndPage

    // Bates numbers, counted across the files of a run in list order: the
    // number of the run's first numbered page (after a run, the next free
    // one), its digit count (zero-padded) and the texts around it (CP932,
    // written as custom text is, at most kCustomTextMaxBytes each).
    int64_t BatesStart = 1;  // 0..kBatesMaxNumber
    int32_t BatesDigits = 6;  // kBatesMinDigits..kBatesMaxDigits
    std::string BatesPrefix;
    std::string BatesSuffix;

    // Header and footer
    std::array<HeaderFooterSlot, kSlotCount> Slots{};
    std::array<HeaderFooterGroup, 2> Groups{};  // [0] header, [1] footer

    bool operator==(const StampSettings&) const = default;
};

struct AppSettings {
    bool Undo = false;  // write the stamp in a form that can be erased later
    OutputMode Output = OutputMode::PrefixedCopy;
    bool Repair = true;  // stamp a file whose cross-reference data had to be rebuilt
    bool AllowCertified = false;  // stamp a certified file, breaking its certification
    UiLanguage Language = UiLanguage::System;  // read at the desktop program's start

    bool operator==(const AppSettings&) const = default;
};

// Font size of a slot in points: StylePointSize times the single-precision 0.1,
// computed in double (105 gives 10.500000156...).
double FontSizePoints(const HeaderFooterSlot& slot);

// "%.2f %.2f %.2f" of red, green and blue, each channel byte times the
// single-precision 1/255: black "0.00 0.00 0.00", 128 prints as 0.50.
std::string ColorText(int32_t color);
std::string ColorText(const HeaderFooterSlot& slot);

// True when a page-number slot shows the Bates number: the run then counts
// its pages across its files.
bool UsesBatesNumbers(const StampSettings& settings);

// Millimetres to points: v times the single-precision 2.8346457 (float nearest 72/25.4).
float MmToPoints(float millimetres);

// Margin entry `index` (MarginIndex, 0-3) in points. An index outside 0-3 gives 0.
float MarginPoints(const StampSettings& settings, int32_t index);

}  // namespace sgry
