#pragma once
// On-screen sample fonts for the ten PDF fonts of FontTable.
#include <QFont>
#include <optional>
#include <string_view>

namespace sgry {

// A font `height` pixels high (a negative height counts the same, 0 keeps
// the default size) for the PDF font name: the face that stands for it on a desktop
// first, then fonts that share its look on this system, then a Japanese face
// of the same style (Mincho or Gothic) so that Japanese samples never show
// empty boxes. Nothing for a name that is no PDF font of FontTable.
std::optional<QFont> MakePreviewFont(std::string_view pdfFontName, int height);

}  // namespace sgry
