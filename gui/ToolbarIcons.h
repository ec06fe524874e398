#pragma once
// Toolbar images (34 x 34 pixels) and the program's icon, drawn at run time.
#include <QIcon>

namespace sgry {

inline constexpr int kToolbarImageSize = 34;

// The image of a toolbar command (32771-32776, 32788); an empty icon for others.
QIcon CommandIcon(int commandId);
// The program's window icon: a sheet of paper with a round red seal.
QIcon ProgramIcon();

}  // namespace sgry
