#pragma once
// Toolbar images (34 x 34 pixels) and the program's icon, drawn at run time.
#include <QIcon>

namespace sgry {

inline constexpr int kToolbarImageSize = 34;

// The images of the toolbar's commands.
enum class ToolbarImage { None, AddFiles, RemoveFiles, OpenList, SaveList, StampSettings, Run, Preview };

// The image drawn for a toolbar command; an empty icon for None.
QIcon ToolbarIcon(ToolbarImage image);
// The program's window icon: a sheet of paper with a round red seal.
QIcon ProgramIcon();

}  // namespace sgry
