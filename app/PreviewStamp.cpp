#include "app/PreviewStamp.h"

#include "app/BatchRun.h"
#include "engine/JobRunner.h"
#include "engine/PageSelection.h"
#include "engine/PdfJob.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Translation.h"

namespace sgry {

namespace {

// Keeps the first message of a run and answers every question with "no",
// so that nothing waits for a user.
class FirstMessagePrompts : public UserPrompts {
public:
    void ShowMessage(const std::string& text, MessageIcon) override {
        if (first.empty()) first = text;
    }
    bool AskOkCancel(const std::string&) override { return false; }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string&) override {
        return std::nullopt;
    }

    std::string first;
};

constexpr Translatable kOutsideRange = N_("This page is outside the page range, so it gets no stamps");
constexpr Translatable kOddOnly = N_("Only odd pages are stamped, so this page gets no stamps");
constexpr Translatable kEvenOnly = N_("Only even pages are stamped, so this page gets no stamps");
constexpr Translatable kNeitherParity = N_("Neither odd nor even pages are selected, so no page gets stamps");

}  // namespace

PreviewStampResult StampPrivateCopy(const std::string& sourcePath, const std::string& copyPath,
                                    const StampSettings& stamp, const AppSettings& app,
                                    const LocalTimeSource& clock) {
    PreviewStampResult result;
    MessageIcon icon = MessageIcon::None;
    result.message = ImageCheckMessage(stamp.ImageFileName, icon);
    if (!result.message.empty()) return result;
    if (!fs::CopyFileReplacing(sourcePath, copyPath)) {
        result.message = Format(run_message::kCannotWrite, copyPath);
        return result;
    }
    AppSettings inPlace = app;
    inPlace.Output = OutputMode::Overwrite;
    FirstMessagePrompts prompts;
    StampOptions options;
    options.namedPath = sourcePath;  // the copy shows the name of the file it stands for
    result.stamped = StampFile(copyPath, stamp, inPlace, prompts, clock, options).Written();
    result.message = result.stamped ? std::string() : prompts.first;
    return result;
}

std::string PageLeftOutReason(const StampSettings& stamp, int32_t pageNumber) {
    PageSelector selector(PageRangeChoice::From(stamp));
    int32_t position = 0;  // among the pages of the range
    bool inRange = false;
    for (int32_t ordinal = 1; ordinal <= pageNumber; ++ordinal) {
        inRange = selector.Next().has_value();
        if (inRange) ++position;
    }
    if (!inRange) return kOutsideRange;
    const bool odd = stamp.OddFlag[kStampOddPositions];
    const bool even = stamp.OddFlag[kStampEvenPositions];
    if (PdfJob::IsStampedPosition(position, odd, even)) return std::string();
    if (!odd && !even) return kNeitherParity;
    return odd ? kOddOnly : kEvenOnly;
}

}  // namespace sgry
