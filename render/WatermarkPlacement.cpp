#include "render/WatermarkPlacement.h"

#include <algorithm>
#include <cmath>

#include "platform/Format.h"

namespace sgry {
namespace {

constexpr float kSixth = 0.16666667f;
constexpr float kDiagonalShare = 0.6f;   // of the diagonal's length
constexpr float kMaxTurnedWidth = 0.9f;  // of the view width
// 180 over the single-precision pi, and the single-precision pi over 180.
constexpr double kDegreesPerRadian = 57.29577791868204;
constexpr float kRadiansPerDegree = 0.017453292f;

float Diagonal(float vw, float vh) {
    return static_cast<float>(std::sqrt(static_cast<double>(vw * vw + vh * vh)));
}

FormPlacement Finish(const PageEntry& page, const ViewFrame& frame, float x, float y, int angle) {
    FormPlacement placement;
    const UserPoint anchor = MapToPage(page, frame, x, y);
    placement.matrix = MakePlacement(RotationMatrix(angle), anchor);
    return placement;
}

}  // namespace

FormPlacement PlaceTextWatermark(int position, const PageEntry& page, FormSize form, const MarginsPt& margins) {
    const ViewFrame frame = MakeViewFrame(page, SideTurnRule::AllQuarterTurns);
    const auto vw = static_cast<float>(frame.width);
    const auto vh = static_cast<float>(frame.height);
    const bool centre = position == kCentrePosition;

    const float targetWidth = centre ? std::min(vw - margins.left - margins.right, vh - margins.top - margins.bottom)
                                     : vw * kSixth;
    const float targetHeight = form.height / form.width * targetWidth;

    float x = 0.0f;
    float y = 0.0f;
    if (centre) {
        x = (vw - targetWidth) * 0.5f;
        y = (vh - targetHeight) * 0.5f;
    } else if (IsValidPosition(position)) {
        switch (PositionColumn(position)) {
            case Column::Left: x = margins.left; break;
            case Column::Centre: x = vw * 0.5f - targetWidth * 0.5f; break;
            case Column::Right: x = vw - margins.right - targetWidth; break;
        }
        switch (PositionRow(position)) {
            case Row::Top: y = vh - margins.top - targetHeight; break;
            case Row::Middle: y = vh * 0.5f - targetHeight * 0.5f; break;
            case Row::Bottom: y = margins.bottom; break;
        }
    }

    FormPlacement placement = Finish(page, frame, x, y, page.rotation);
    placement.scaleX = targetWidth / form.width;
    placement.scaleY = targetHeight / form.height;
    return placement;
}

float DiagonalAngle(const ViewFrame& frame) {
    const auto vw = static_cast<float>(frame.width);
    const auto vh = static_cast<float>(frame.height);
    const float diagonal = Diagonal(vw, vh);
    return static_cast<float>(90.0 - std::asin(static_cast<double>(vw / diagonal)) * kDegreesPerRadian);
}

FormPlacement PlaceDiagonal(const PageEntry& page, FormSize form) {
    const ViewFrame frame = MakeViewFrame(page, SideTurnRule::AllQuarterTurns);
    const auto vw = static_cast<float>(frame.width);
    const auto vh = static_cast<float>(frame.height);
    const float diagonal = Diagonal(vw, vh);
    const float angle = DiagonalAngle(frame);

    // Length along the diagonal, scale of the form, and the size of the
    // turned box that the form then covers.
    float length = diagonal * kDiagonalShare;
    float scale = length / form.width;
    float height = scale * form.height;
    const auto sa = static_cast<float>(std::sin(static_cast<double>(angle * kRadiansPerDegree)));
    const auto ca = static_cast<float>(std::cos(static_cast<double>(angle * kRadiansPerDegree)));
    float boxWidth = ca * length + sa * height;
    float boxHeight = ca * height + sa * length;

    // A form too wide for the page is shrunk once to 0.9 of the view width.
    if (boxWidth > vw * kMaxTurnedWidth) {
        length = vw * kMaxTurnedWidth * length / boxWidth;
        scale = length / form.width;
        height = scale * form.height;
        boxWidth = ca * length + sa * height;
        boxHeight = ca * height + sa * length;
    }

    // The turned form's upper-left corner sits sa x height left of its origin.
    const float x = (vw - boxWidth) * 0.5f + sa * height;
    const float y = (vh - boxHeight) * 0.5f;
    // The turn uses whole degrees while the box above used the exact angle.
    FormPlacement placement = Finish(page, frame, x, y, -(static_cast<int>(angle) + page.rotation));
    placement.scaleX = scale;
    placement.scaleY = height / form.height;
    return placement;
}

FormPlacement PlaceBand(int verticalPosition, const PageEntry& page, float barHeight) {
    const ViewFrame frame = MakeViewFrame(page, SideTurnRule::AllQuarterTurns);
    const auto vh = static_cast<float>(frame.height);
    float y = vh - vh * static_cast<float>(verticalPosition) * 0.01f - barHeight * 0.5f;
    if (y > vh) y = vh - barHeight;
    if (y < 0.0f) y = 0.0f;
    return Finish(page, frame, 0.0f, y, page.rotation);
}

std::string PlacementLines(const FormPlacement& placement) {
    const PlacementMatrix& m = placement.matrix;
    return Format("1 0 0 1 %.2f %.2f cm\r\n", m.e, m.f) +
           Format("%.2f %.2f %.2f %.2f 0 0 cm\r\n", m.a, m.b, m.c, m.d) +
           Format("%.2f 0 0 %.2f 0 0 cm\r\n", placement.scaleX, placement.scaleY);
}

std::string PaintForm(const FormPlacement& placement, std::string_view formName) {
    return "q\r\n" + PlacementLines(placement) + Format("%s Do\r\n", formName) + "Q\r\n";
}

}  // namespace sgry
