#pragma once
// How the stamp settings sheet was left when it showed the page preview:
// its size and whether the preview pane was shown. Kept in the settings
// file's section "App" beside the program's other settings.
#include <string>

namespace sgry {

struct PreviewLayout {
    int width = 0;   // pixels; 0 until the sheet has been shown with a preview
    int height = 0;
    bool paneShown = true;
};

// Keys "PreviewSheetWidth", "PreviewSheetHeight", "PreviewPaneShown"; missing
// keys keep the fields.
void LoadPreviewLayout(const std::string& iniPath, PreviewLayout& layout);
// Writes nothing while width is 0, so a file never used with the preview
// keeps its lines.
bool SavePreviewLayout(const std::string& iniPath, const PreviewLayout& layout);

}  // namespace sgry
