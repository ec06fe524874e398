#include "app/BatchRun.h"

#include "app/FileList.h"
#include "engine/JobRunner.h"
#include "engine/PdfJob.h"
#include "engine/SignatureSurvey.h"
#include "image/BmpReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

#include <optional>

namespace sgry {

namespace {

// The bitmap reader's codes: a file that is no bitmap or ends too early
// counts as damaged.
std::string BmpCheckMessage(const std::string& path) {
    BmpReader reader;
    if (reader.Open(path)) return std::string();
    switch (reader.Error()) {
        case BmpReader::kNotBitmap:
        case BmpReader::kDamaged:
            return Format(batch_message::kBmpDamaged, path);
        case BmpReader::kCannotOpen:
            return Format(batch_message::kBmpCannotOpen, path);
        case BmpReader::kUnsupportedDepth:
            return Format(batch_message::kBmpDepth, reader.BitsPerPixel());
        default:
            return Format(batch_message::kBmpUnsupported, path, reader.Error());
    }
}

}  // namespace

std::string ImageCheckMessage(const std::string& imagePath, MessageIcon& icon) {
    icon = MessageIcon::Warning;
    if (imagePath.empty()) return std::string();
    if (fs::EndsWithIgnoreCase(imagePath, ".bmp")) {
        icon = MessageIcon::None;
        return BmpCheckMessage(imagePath);
    }
    if (fs::EndsWithIgnoreCase(imagePath, ".png")) {
        PngReader reader;
        if (reader.Open(imagePath)) return std::string();
        return Format(batch_message::kImageReadFailed, imagePath, reader.ErrorText(reader.Error()));
    }
    if (fs::EndsWithIgnoreCase(imagePath, ".jpg") || fs::EndsWithIgnoreCase(imagePath, ".jpeg")) {
        JpegReader reader;
        if (reader.Open(imagePath)) return std::string();
        return Format(batch_message::kImageReadFailed, imagePath, JpegReader::ErrorText(reader.Error()));
    }
    return Format(batch_message::kImageFormat, imagePath);
}

BatchRun::BatchRun(const StampSettings& stamp, const AppSettings& app, UserPrompts& prompts, BatchProgress& progress,
                   LocalTimeSource clock)
    : stamp_(stamp), app_(app), prompts_(prompts), progress_(progress), clock_(std::move(clock)) {}

bool BatchRun::CheckImage() {
    MessageIcon icon = MessageIcon::None;
    const std::string message = ImageCheckMessage(stamp_.ImageFileName, icon);
    if (message.empty()) return true;
    prompts_.ShowMessage(message, icon);
    return false;
}

BatchOutcome BatchRun::OnRun(const std::vector<BatchRow>& rows) {
    BatchOutcome outcome;
    if (rows.empty()) {
        prompts_.ShowMessage(list_message::kNoFiles);
        return outcome;
    }
    if (!CheckImage()) {
        outcome.status = BatchOutcome::Status::ImageRefused;
        return outcome;
    }
    if (!prompts_.AskOkCancel(batch_message::kConfirm)) {
        outcome.status = BatchOutcome::Status::Declined;
        return outcome;
    }
    return RunBatch(rows);
}

namespace {

// Asks for the password a refusal (job error code) needs; true with it put
// into passwords when the user gave one, so that the file is tried again.
bool AskPassword(UserPrompts& prompts, int code, const std::string& refusal, Passwords& passwords) {
    const bool user = code == job_error::kPasswordRequired;
    if (!user && code != kModifyForbidden && code != kOwnerPasswordWrong) return false;
    const std::optional<std::string> answer =
        prompts.AskPassword(refusal + "\r\n\r\n" + (user ? run_message::kAskUserPassword : run_message::kAskOwnerPassword));
    if (!answer) return false;
    if (user)
        passwords.user = *answer;
    else
        passwords.owner = *answer;
    return true;
}

// The desktop program asks, as it asks for an owner password; the command
// line's prompts say no, and the run refuses the file.
bool AskStampCertified(PdfJob& job, UserPrompts& prompts) {
    const SignatureSurvey survey = SurveySignatures(job);
    return survey.certified &&
           prompts.AskAllowChange(CertifiedRefusal(survey, job.SourcePath()) + "\r\n\r\n" +
                                  run_message::kAskStampCertified);
}

}  // namespace

bool StampFile(const std::string& path, const StampSettings& stamp, const AppSettings& app, UserPrompts& prompts,
               const LocalTimeSource& clock, const Passwords& given, OutputGroup* group) {
    std::unique_ptr<FileRunGuard> ownGuard;
    const FileRunGuard* guard = group ? group->GuardOf(path) : nullptr;
    if (!guard) {
        ownGuard = std::make_unique<FileRunGuard>(path);
        guard = ownGuard.get();
    }
    if (!GuardAllowsRun(*guard, prompts)) return false;
    Passwords passwords = given;
    for (;;) {
        PdfJob job(path, passwords);
        int code = 0;
        const std::string refusal = SecurityRefusal(job, true, code);
        if (!refusal.empty() && AskPassword(prompts, code, refusal, passwords)) continue;
        if (job.ErrorCode() != job_error::kNone) {
            prompts.ShowMessage(!refusal.empty() ? refusal
                                                 : ReadFailureMessage(job, job.SourcePath(), batch_message::kOpenFailed));
            return false;
        }
        AppSettings allowed = app;
        allowed.AllowCertified = app.AllowCertified || AskStampCertified(job, prompts);
        JobRunner runner(job, stamp, allowed, prompts, clock);
        if (group) runner.DeferCommit(group->JournalOf(path));
        if (!runner.Run()) return false;
        if (group) group->Finished(path, runner.TakePending(), std::move(ownGuard));
        return true;
    }
}

// Rows without a tick are passed over; a cancel takes effect between files,
// after the file being stamped is finished. The outputs are made durable a
// group at a time (engine/OutputGroup.h): a file counts as stamped once its
// group has closed.
BatchOutcome BatchRun::RunBatch(const std::vector<BatchRow>& rows) {
    BatchOutcome outcome;
    outcome.status = BatchOutcome::Status::Ran;
    std::vector<std::string> paths;
    for (const BatchRow& row : rows)
        if (row.checked) paths.push_back(row.path);
    outcome.toProcess = static_cast<int32_t>(paths.size());
    progress_.Start(outcome.toProcess);
    OutputGroup group;
    const bool inPlace = app_.Output == OutputMode::Overwrite;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        if (group.Holds(path) && !group.GuardOf(path)) CloseGroup(group, outcome);  // the same file again
        if (inPlace && !group.GuardOf(path)) group.Prepare({paths.begin() + static_cast<std::ptrdiff_t>(i), paths.end()});
        progress_.Show(Format("%d / %d", outcome.finished, outcome.toProcess), path);
        if (!StampFile(path, stamp_, app_, prompts_, clock_, passwords_, &group)) group.Ended(path);
        ++outcome.finished;
        progress_.Step();
        if (group.Due()) CloseGroup(group, outcome);
        if (progress_.Cancelled()) {
            outcome.cancelled = true;
            break;
        }
    }
    CloseGroup(group, outcome);
    group.Release();
    progress_.Finish();
    ShowSummary(outcome);
    return outcome;
}

// Counts the group's files that reached the disk and reports the others.
void BatchRun::CloseGroup(OutputGroup& group, BatchOutcome& outcome) {
    for (const GroupedOutput& output : group.Close()) {
        if (!output.committed) {
            prompts_.ShowMessage(OutputFailedMessage(output.outputPath, job_error::kWriteFailed, output.failedStep,
                                                     output.error));
            continue;
        }
        ++outcome.succeeded;
        if (output.folderNotSynced)
            prompts_.ShowMessage(Format(run_message::kFolderNotSynced, output.outputPath), MessageIcon::Warning);
    }
}

void BatchRun::ShowSummary(const BatchOutcome& outcome) {
    if (outcome.cancelled) {
        prompts_.ShowMessage(batch_message::kCancelled);
        return;
    }
    if (outcome.succeeded == 0) return;
    if (app_.Output == OutputMode::PrefixedCopy)
        prompts_.ShowMessage(batch_message::kDonePrefixed, MessageIcon::Information);
    else
        prompts_.ShowMessage(batch_message::kDone);
}

}  // namespace sgry
