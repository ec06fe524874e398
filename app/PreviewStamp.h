#pragma once
// What the settings sheet's page preview needs from a run, without a window:
// the real stamping pass on a private copy of a file, and the reason a page
// is left without stamps. The source is only read; the copy is the caller's
// to remove.
#include <cstdint>
#include <string>

#include "render/HeaderFooterItem.h"
#include "settings/StampSettings.h"

namespace sgry {

struct PreviewStampResult {
    bool stamped = false;
    // The first message the run would have shown (the image check's or the
    // file's failure, UTF-8); "" when the copy was stamped.
    std::string message;
};

// Copies `sourcePath` to `copyPath` (replacing it) and stamps the copy in
// place with the given settings, as a batch run stamps a file: the same
// image check, the same pass, the same messages, but no question, dialog or
// message box. The output mode of `app` is ignored: the copy itself is
// written.
PreviewStampResult StampPrivateCopy(const std::string& sourcePath, const std::string& copyPath,
                                    const StampSettings& stamp, const AppSettings& app,
                                    const LocalTimeSource& clock = SystemLocalTime);

// Why the page at 1-based position `pageNumber` of a file gets no stamps
// (outside the page range, or left out by the odd/even rule), as one line
// for the user (UTF-8); "" when the page is stamped.
std::string PageLeftOutReason(const StampSettings& stamp, int32_t pageNumber);

}  // namespace sgry
