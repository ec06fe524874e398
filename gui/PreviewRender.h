#pragma once
// One preview frame, made off the user-interface thread: the real stamping
// pass on a private copy of the file, then one page of that copy rendered
// to fit an area. Nothing here touches a widget.
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <string>

#include "settings/StampSettings.h"

namespace sgry {

struct PreviewRequest {
    uint64_t generation = 0;  // the edit this frame answers
    std::string sourcePath;   // only read
    std::string copyPath;     // written, and removed before the frame returns
    StampSettings stamp;
    AppSettings app;
    int pageIndex = 0;        // 0-based; pulled into the file's pages
    QSize area;               // pixels the page must fit into
};

struct PreviewFrame {
    uint64_t generation = 0;
    QImage image;       // null when `message` says why there is no page
    int dpi = 0;        // resolution the page was rendered at
    int pageIndex = 0;  // the page shown
    int pageCount = 0;  // 0 when the file could not be shown
    QString message;    // the run's message for a file that cannot be stamped
    QString note;       // why the page shown carries no stamps, or ""
};

// The largest whole resolution (dots per inch) at which a page of the given
// size in points fits the area, at least 1.
int FittingDpi(const QSizeF& pagePoints, const QSize& area);

PreviewFrame RenderPreview(const PreviewRequest& request);

}  // namespace sgry
