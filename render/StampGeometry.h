#pragma once
// Page geometry shared by every stamp generator: the page as the reader sees
// it (the view frame), the margins in points, the nine box positions, the six
// header/footer slots, and the mapping of a view-frame point into the page's
// own user space so that stamps stand upright on rotated pages.
//
// Stateless. All layout arithmetic is single precision (float) and evaluated
// in the order written in StampGeometry.cpp; integer page sizes are converted
// to float where they enter a formula. Units: points (1/72 inch) unless a name
// says millimetres.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "pdf/PageEntry.h"

namespace sgry {

class PdfFont;

// Millimetres to points: the float nearest 72/25.4 (2.8346457481384277).
inline constexpr float kPointsPerMillimetre = 2.8346457f;

// Page margins in the order the settings keep them: top, bottom, left, right.
struct MarginsMm {
    float top = 0.0f;
    float bottom = 0.0f;
    float left = 0.0f;
    float right = 0.0f;
};

struct MarginsPt {
    float top = 0.0f;
    float bottom = 0.0f;
    float left = 0.0f;
    float right = 0.0f;
};

// Reads four millimetre values in settings order (top, bottom, left, right),
// e.g. StampSettings::Margin.
MarginsMm MarginsFromSettingsOrder(std::span<const float, 4> topBottomLeftRight);

// Each margin times kPointsPerMillimetre in float; all zero when the stamp
// does not follow the margin settings.
MarginsPt MarginsToPoints(const MarginsMm& margins, bool followMargins = true);

// The rotation part (a, b, c, d) of a placement matrix.
struct RotationPart {
    float a = 1.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 1.0f;
};

struct UserPoint {
    float x = 0.0f;
    float y = 0.0f;
};

// [a b c d e f]: rotation part and anchor point in user space, as written
// before a "cm" or "Tm" operator.
struct PlacementMatrix {
    float a = 1.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 1.0f;
    float e = 0.0f;
    float f = 0.0f;
};

PlacementMatrix MakePlacement(const RotationPart& rotation, const UserPoint& anchor);

// The six numbers each written by "%.2f " (number and one blank), in order
// a b c d e f: the operands of the "Tm" of header/footer text.
std::string MatrixOperands(const PlacementMatrix& matrix);

// Exact results for 0, +-90, 180, +-180, 270, +-360 degrees (counter-clockwise
// by angle; -270 is not in the table). Any other angle: t = -angle x
// 0.017453293005625408, giving (cos t, sin t, -sin t, cos t), i.e. clockwise
// by angle. The diagonal watermark relies on that sign.
RotationPart RotationMatrix(int angleDegrees);

// Which /Rotate values turn the page on its side (swap width and height).
enum class SideTurnRule {
    NinetyOnly,      // 90 and -90: header/footer, border line, image and QR stamps
    AllQuarterTurns  // 90, -90, 270, -270: text and band watermarks
};

bool IsTurnedOnSide(int32_t rotation, SideTurnRule rule);

// The page as the reader sees it: width and height of the PageEntry, swapped
// when the page is turned on its side.
struct ViewFrame {
    int32_t width = 0;
    int32_t height = 0;
};

ViewFrame MakeViewFrame(const PageEntry& page, SideTurnRule rule = SideTurnRule::NinetyOnly);

// Carries a view-frame point into user space for the normalised rotation:
// 90 -> (vh - y, x); -90 -> (y, vw - x); 180 or -180 -> (vw - x, vh - y);
// anything else -> (x, y).
UserPoint MapToUserSpace(int32_t rotation, int32_t viewWidth, int32_t viewHeight, float x, float y);

// A view-frame point of the page carried into its user space: mapped for
// its rotation, then moved by the lower-left corner of its visible area.
UserPoint MapToPage(const PageEntry& page, const ViewFrame& frame, float x, float y);

// The nine stamp positions, numbered as the position lists show them:
// 0 top left, 1 top centre, 2 top right, 3 middle left, 4 centre,
// 5 middle right, 6 bottom left, 7 bottom centre, 8 bottom right.
inline constexpr int kPositionCount = 9;
inline constexpr int kCentrePosition = 4;

enum class Column { Left, Centre, Right };
enum class Row { Top, Middle, Bottom };

bool IsValidPosition(int position);
Column PositionColumn(int position);  // position must be valid
Row PositionRow(int position);        // position must be valid

// The six header/footer slots: 0 header left, 1 header centre, 2 header right,
// 3 footer left, 4 footer centre, 5 footer right.
inline constexpr int kHeaderFooterSlotCount = 6;
inline constexpr int kSlotsPerRow = 3;

bool IsValidSlot(int slot);
bool IsHeaderSlot(int slot);     // slots 0-2
Column SlotColumn(int slot);     // slot must be valid

// Baseline start of a header/footer text of the given width, mapped into user
// space, with the page's rotation part. Margins always apply. A slot outside
// 0-5 anchors at view point (0, 0).
//   x: left l; centre (vw div 2) - width x 0.5; right vw - r - width
//   y: header vh - t - size x 0.585; footer b
PlacementMatrix PlaceHeaderFooterTextWidth(int slot, const PageEntry& page, const MarginsMm& margins,
                                           float sizePoints, float textWidth);

// The same, measuring the text with font.TextWidth(text, size). text is the
// Shift-JIS text as shown (not escaped).
PlacementMatrix PlaceHeaderFooterText(int slot, const PageEntry& page, const PdfFont& font,
                                      const MarginsMm& margins, float sizePoints, std::string_view text);

// Lower-left corner of a width x height box at one of the nine positions, in
// the view frame (before mapping). A position outside 0-8 is centred.
//   x: left l; centre (vw - w) x 0.5; right vw - w - r
//   y: top vh - h - t; middle (vh - h) x 0.5; bottom b
UserPoint BoxCornerInView(int position, const ViewFrame& frame, float width, float height,
                          const MarginsPt& margins);

// Placement of a box (image or QR stamp) of width x height points: the view
// frame swaps for 90/-90, the margins count only when followMargins is true,
// the corner is mapped into user space, the rotation part is that of the page.
PlacementMatrix PlaceBox(int position, const PageEntry& page, float width, float height, bool followMargins,
                         const MarginsMm& margins);

}  // namespace sgry
