#include "render/StampGeometry.h"

#include <cmath>

#include "pdf/PdfFont.h"
#include "platform/Format.h"

namespace sgry {
namespace {

// pi as a float (3.1415927410125732), divided by 180 in double precision.
constexpr double kRotationRadiansPerDegree = 0.017453293005625408;

// The baseline of a header text lies this many sizes below the top margin.
constexpr float kHeaderBaselineFactor = 0.585f;

}  // namespace

MarginsMm MarginsFromSettingsOrder(std::span<const float, 4> topBottomLeftRight) {
    return {topBottomLeftRight[0], topBottomLeftRight[1], topBottomLeftRight[2], topBottomLeftRight[3]};
}

MarginsPt MarginsToPoints(const MarginsMm& margins, bool followMargins) {
    if (!followMargins) return {};
    return {margins.top * kPointsPerMillimetre, margins.bottom * kPointsPerMillimetre,
            margins.left * kPointsPerMillimetre, margins.right * kPointsPerMillimetre};
}

PlacementMatrix MakePlacement(const RotationPart& rotation, const UserPoint& anchor) {
    return {rotation.a, rotation.b, rotation.c, rotation.d, anchor.x, anchor.y};
}

std::string MatrixOperands(const PlacementMatrix& matrix) {
    std::string text;
    for (float value : {matrix.a, matrix.b, matrix.c, matrix.d, matrix.e, matrix.f}) text += Format("%.2f ", value);
    return text;
}

RotationPart RotationMatrix(int angleDegrees) {
    switch (angleDegrees) {
        case 0:
        case 360:
        case -360:
            return {1.0f, 0.0f, 0.0f, 1.0f};
        case 90:
            return {0.0f, 1.0f, -1.0f, 0.0f};
        case 270:
        case -90:
            return {0.0f, -1.0f, 1.0f, 0.0f};
        case 180:
        case -180:
            return {-1.0f, 0.0f, 0.0f, -1.0f};
        default:
            break;
    }
    // The factor is a double, so the angle and its cosine and sine are taken
    // in double and narrowed once to the float matrix entries.
    const double t = -static_cast<double>(angleDegrees) * kRotationRadiansPerDegree;
    const float cosT = static_cast<float>(std::cos(t));
    const float sinT = static_cast<float>(std::sin(t));
    return {cosT, sinT, -sinT, cosT};
}

bool IsTurnedOnSide(int32_t rotation, SideTurnRule rule) {
    if (rotation == 90 || rotation == -90) return true;
    return rule == SideTurnRule::AllQuarterTurns && (rotation == 270 || rotation == -270);
}

ViewFrame MakeViewFrame(const PageEntry& page, SideTurnRule rule) {
    if (IsTurnedOnSide(page.rotation, rule)) return {page.height, page.width};
    return {page.width, page.height};
}

UserPoint MapToUserSpace(int32_t rotation, int32_t viewWidth, int32_t viewHeight, float x, float y) {
    switch (rotation) {
        case 90:
            return {static_cast<float>(viewHeight) - y, x};
        case -90:
            return {y, static_cast<float>(viewWidth) - x};
        case 180:
        case -180:
            return {static_cast<float>(viewWidth) - x, static_cast<float>(viewHeight) - y};
        default:
            return {x, y};
    }
}

UserPoint MapToPage(const PageEntry& page, const ViewFrame& frame, float x, float y) {
    UserPoint point = MapToUserSpace(page.rotation, frame.width, frame.height, x, y);
    // Only a corner away from the origin moves the point: adding a zero
    // would turn a -0.00 of the written numbers into 0.00.
    if (page.originX != 0.0f) point.x += page.originX;
    if (page.originY != 0.0f) point.y += page.originY;
    return point;
}

bool IsValidPosition(int position) { return position >= 0 && position < kPositionCount; }

Column PositionColumn(int position) { return static_cast<Column>(position % 3); }

Row PositionRow(int position) { return static_cast<Row>(position / 3); }

bool IsValidSlot(int slot) { return slot >= 0 && slot < kHeaderFooterSlotCount; }

bool IsHeaderSlot(int slot) { return slot >= 0 && slot < kSlotsPerRow; }

Column SlotColumn(int slot) { return static_cast<Column>(slot % kSlotsPerRow); }

PlacementMatrix PlaceHeaderFooterTextWidth(int slot, const PageEntry& page, const MarginsMm& margins,
                                           float sizePoints, float textWidth) {
    const MarginsPt m = MarginsToPoints(margins);
    const ViewFrame frame = MakeViewFrame(page);
    float x = 0.0f;
    float y = 0.0f;
    if (IsValidSlot(slot)) {
        switch (SlotColumn(slot)) {
            case Column::Left:
                x = m.left;
                break;
            case Column::Centre:
                // Integer halving: an odd width loses its half point (595 gives 297).
                x = static_cast<float>(frame.width / 2) - textWidth * 0.5f;
                break;
            case Column::Right:
                x = static_cast<float>(frame.width) - m.right - textWidth;
                break;
        }
        y = IsHeaderSlot(slot) ? static_cast<float>(frame.height) - m.top - sizePoints * kHeaderBaselineFactor
                               : m.bottom;
    }
    const UserPoint anchor = MapToPage(page, frame, x, y);
    return MakePlacement(RotationMatrix(page.rotation), anchor);
}

PlacementMatrix PlaceHeaderFooterText(int slot, const PageEntry& page, const PdfFont& font,
                                      const MarginsMm& margins, float sizePoints, std::string_view text) {
    return PlaceHeaderFooterTextWidth(slot, page, margins, sizePoints, font.TextWidth(text, sizePoints));
}

UserPoint BoxCornerInView(int position, const ViewFrame& frame, float width, float height,
                          const MarginsPt& margins) {
    if (!IsValidPosition(position)) position = kCentrePosition;
    const float vw = static_cast<float>(frame.width);
    const float vh = static_cast<float>(frame.height);
    UserPoint corner;
    switch (PositionColumn(position)) {
        case Column::Left:
            corner.x = margins.left;
            break;
        case Column::Centre:
            corner.x = (vw - width) * 0.5f;
            break;
        case Column::Right:
            corner.x = vw - width - margins.right;
            break;
    }
    switch (PositionRow(position)) {
        case Row::Top:
            corner.y = vh - height - margins.top;
            break;
        case Row::Middle:
            corner.y = (vh - height) * 0.5f;
            break;
        case Row::Bottom:
            corner.y = margins.bottom;
            break;
    }
    return corner;
}

PlacementMatrix PlaceBox(int position, const PageEntry& page, float width, float height, bool followMargins,
                         const MarginsMm& margins) {
    const ViewFrame frame = MakeViewFrame(page);
    const UserPoint corner = BoxCornerInView(position, frame, width, height, MarginsToPoints(margins, followMargins));
    const UserPoint anchor = MapToPage(page, frame, corner.x, corner.y);
    return MakePlacement(RotationMatrix(page.rotation), anchor);
}

}  // namespace sgry
