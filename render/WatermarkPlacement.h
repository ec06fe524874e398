#pragma once
// Where a watermark form lands on a page: the nine-position layout and the
// diagonal layout of the text watermark, and the band's vertical layout.
// Each result is the three "cm" lines that move, turn and scale the form;
// PaintForm wraps them with the "Do" of the form into one content fragment.
//
// Units are points. Arithmetic is single precision, in the order written in
// WatermarkPlacement.cpp. The view frame swaps width and height for /Rotate
// 90, -90, 270 and -270 (SideTurnRule::AllQuarterTurns).
#include <string>
#include <string_view>

#include "pdf/PageEntry.h"
#include "render/StampGeometry.h"

namespace sgry {

// Size of a form as its element reports it (FormWidth, FormHeight); both > 0.
struct FormSize {
    float width = 0.0f;
    float height = 0.0f;
};

// Placement of a form: the rotation part and anchor (user space), then a
// scale of the form's own units.
struct FormPlacement {
    PlacementMatrix matrix;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
};

// Nine-position layout. The form is scaled to a target width of
// min(vw - l - r, vh - t - b) at the centre (4), vw / 6 elsewhere, keeping
// its aspect. margins are in points (all zero when the stamp does not follow
// them). A position outside 0-8 anchors at the view origin.
FormPlacement PlaceTextWatermark(int position, const PageEntry& page, FormSize form, const MarginsPt& margins);

// Angle of the page diagonal against the horizontal, in degrees (54.76 on an
// unrotated A4 page): 90 - asin(vw / D).
float DiagonalAngle(const ViewFrame& frame);

// Diagonal layout: the form runs 0.6 x the diagonal along it, centred on the
// page; when its turned box is wider than 0.9 x vw it is shrunk once to that
// width. The matrix turns by the whole degrees of the angle plus /Rotate.
FormPlacement PlaceDiagonal(const PageEntry& page, FormSize form);

// The band: full width at its own size, its middle at the vertical position
// (0 top edge, 50 centre, 100 bottom edge of the view), kept on the page.
FormPlacement PlaceBand(int verticalPosition, const PageEntry& page, float barHeight);

// "1 0 0 1 X Y cm", "a b c d 0 0 cm", "sx 0 0 sy 0 0 cm", each with CR LF.
std::string PlacementLines(const FormPlacement& placement);

// "q", the placement lines, "<formName> Do", "Q".
std::string PaintForm(const FormPlacement& placement, std::string_view formName);

}  // namespace sgry
