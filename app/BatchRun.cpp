#include "app/BatchRun.h"

#include "app/FileList.h"
#include "engine/JobRunner.h"
#include "engine/PdfJob.h"
#include "engine/SignatureSurvey.h"
#include "image/BmpReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "platform/CodeNumber.h"
#include "platform/FileSystem.h"
#include "engine/TestStopPoint.h"
#include "platform/Format.h"

#include <chrono>
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
            return Format(batch_message::kBmpUnsupported, path, CodeNumber(reader.Error()));
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
bool AskPassword(UserPrompts& prompts, JobError code, const std::string& refusal, Passwords& passwords) {
    const bool user = code == JobError::PasswordRequired;
    if (!user && code != JobError::ModifyForbidden && code != JobError::OwnerPasswordWrong) return false;
    const std::optional<std::string> answer =
        prompts.AskPassword(refusal + "\r\n\r\n" + (user ? run_message::kAskUserPassword : run_message::kAskOwnerPassword).Text());
    if (!answer) return false;
    if (user)
        passwords.user = *answer;
    else
        passwords.owner = *answer;
    return true;
}

// Why a file was passed over before its run: the output folder's claim.
const Translatable& PassedOverMessage(JobError claim) {
    if (claim == JobError::OutputExists) return batch_message::kOutputExists;
    return claim == JobError::OutputIsSource ? batch_message::kOutputIsSource : batch_message::kOutputNameTaken;
}

StampResult NotWritten(FileOutcome outcome, JobError code) {
    StampResult result;
    result.outcome = outcome;
    result.code = code;
    return result;
}

// What the guard's refusal makes of a file that was never read.
StampResult PassedOver(const FileRunGuard& guard) { return NotWritten(PassedOverOutcome(guard.Code()), guard.Code()); }

// A row's record before its turn: an unchecked row is passed over, and a
// checked one stays cancelled unless its turn comes.
FileRecord RecordBeforeTurn(const BatchRow& row) {
    FileRecord record;
    record.source = row.path;
    record.outcome = row.checked ? FileOutcome::Cancelled : FileOutcome::Skipped;
    return record;
}

// A run that ended without an output failed when a system call did; a
// cancelled save dialog passes the file over; anything else refused it.
StampResult Unwritten(const JobRunner& runner, const PdfJob& job) {
    const JobError code = job.ErrorCode();
    if (runner.SystemCallFailed() || code == JobError::ImageUnreadable) return NotWritten(FileOutcome::Failed, code);
    if (code == JobError::DialogCancelled) return NotWritten(FileOutcome::Skipped, code);
    return NotWritten(FileOutcome::Refused, code);
}

// The desktop program asks, as it asks for an owner password; the command
// line's prompts say no, and the run refuses the file.
bool AskStampCertified(PdfJob& job, UserPrompts& prompts) {
    const SignatureSurvey survey = SurveySignatures(job);
    return survey.certified &&
           prompts.AskAllowChange(CertifiedRefusal(survey, job.SourcePath()) + "\r\n\r\n" +
                                  run_message::kAskStampCertified.Text());
}

}  // namespace

StampResult StampFile(const std::string& path, const StampSettings& stamp, const AppSettings& app,
                      UserPrompts& prompts, const LocalTimeSource& clock, const StampOptions& options) {
    OutputGroup* group = options.group;
    std::unique_ptr<FileRunGuard> ownGuard;
    const FileRunGuard* guard = group ? group->GuardOf(path) : nullptr;
    if (!guard) {
        const fs::LockAccess access = options.fixedOutput ? fs::LockAccess::ReadOnly : fs::LockAccess::Update;
        ownGuard = std::make_unique<FileRunGuard>(path, access);
        guard = ownGuard.get();
    }
    if (!GuardAllowsRun(*guard, prompts)) return PassedOver(*guard);
    Passwords passwords = options.passwords;
    for (;;) {
        PdfJob job(path, passwords);
        JobError code = JobError::None;
        const std::string refusal = SecurityRefusal(job, true, code);
        if (!refusal.empty() && AskPassword(prompts, code, refusal, passwords)) continue;
        if (job.ErrorCode() != JobError::None) {
            prompts.ShowMessage(!refusal.empty() ? refusal
                                                 : ReadFailureMessage(job, job.SourcePath(), batch_message::kOpenFailed));
            return NotWritten(FileOutcome::Refused, !refusal.empty() ? code : job.ErrorCode());
        }
        AppSettings allowed = app;
        allowed.AllowCertified = app.AllowCertified || AskStampCertified(job, prompts);
        JobRunner runner(job, stamp, allowed, prompts, clock);
        if (options.fixedOutput) runner.WriteTo(*options.fixedOutput);
        if (!options.namedPath.empty()) runner.NameAfter(options.namedPath);
        if (options.batesFirst) runner.NumberFrom(*options.batesFirst);
        if (group) runner.DeferCommit(group->JournalOf(path));
        if (!runner.Run()) return Unwritten(runner, job);
        if (group) group->Finished(path, runner.TakePending(), std::move(ownGuard));
        return {FileOutcome::Stamped, JobError::None, runner.OutputPath(), runner.StampedPages()};
    }
}

// Rows without a tick are passed over; a cancel takes effect between files,
// after the file being stamped is finished. The outputs are made durable a
// group at a time (engine/OutputGroup.h): a file counts as stamped once its
// group has closed, and only then is its record final.
BatchOutcome BatchRun::RunBatch(const std::vector<BatchRow>& rows) {
    BatchOutcome outcome;
    outcome.status = BatchOutcome::Status::Ran;
    records_ = RecordQueue(sink_);
    bates_ = BatesCounter(stamp_);
    std::vector<std::string> paths;
    std::vector<std::size_t> recordOf;  // each path's record
    for (const BatchRow& row : rows) {
        const std::size_t record = records_.Add(RecordBeforeTurn(row), !row.checked);
        if (!row.checked) continue;
        paths.push_back(row.path);
        recordOf.push_back(record);
    }
    records_.Flush();
    outcome.toProcess = static_cast<int32_t>(paths.size());
    progress_.Start(outcome.toProcess);
    if (folder_) folder_->SetSources(paths);
    OutputGroup group;
    const bool inPlace = !folder_ && app_.Output == OutputMode::Overwrite;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        if (group.Holds(path) && !group.GuardOf(path)) CloseGroup(group, outcome);  // the same file again
        if (inPlace && !group.GuardOf(path)) group.Prepare({paths.begin() + static_cast<std::ptrdiff_t>(i), paths.end()});
        progress_.Show(Format("%d / %d", outcome.finished, outcome.toProcess), path);
        if (!TakeTurn(path, records_.At(recordOf[i]), group)) {
            group.Ended(path);
            records_.MakeFinal(recordOf[i]);
            records_.Flush();
        }
        ++outcome.finished;
        progress_.Step();
        // The next file's numbers follow only outputs that reached the disk;
        // the last file's group closes after the loop, once a cancel can no
        // longer leave a file out.
        if (i + 1 < paths.size() && (group.Due() || bates_.On())) CloseGroup(group, outcome);
        StopHereForTest("file-done");
        if (progress_.Cancelled()) {
            outcome.cancelled = true;
            break;
        }
    }
    CloseGroup(group, outcome);
    group.Release();
    records_.FlushAll();  // the files never begun stay cancelled
    progress_.Finish();
    outcome.bates = bates_.On();
    outcome.batesNext = bates_.Next();
    ShowSummary(outcome);
    return outcome;
}

// One file's run and its record, but for the group's verdict; true when
// the output waits for its group.
bool BatchRun::TakeTurn(const std::string& path, FileRecord& record, OutputGroup& group) {
    const auto started = std::chrono::steady_clock::now();
    log_.Take();
    const StampResult result = RunFile(path, group);
    record.output = result.output;
    record.outcome = result.outcome;
    record.code = CodeNumber(result.code);
    record.pages = result.pages;
    record.message = log_.Take();
    record.seconds = SecondsSince(started);
    return result.Written();
}

// With an output folder, a file whose name there is not free is passed over
// before its source is even locked.
StampResult BatchRun::RunFile(const std::string& path, OutputGroup& group) {
    StampOptions options{passwords_, &group, std::nullopt, std::string(), std::nullopt};
    if (bates_.On()) options.batesFirst = bates_.Next();
    if (!folder_) return StampFile(path, stamp_, app_, log_, clock_, options);
    const FixedOutput output{folder_->TargetOf(path), folder_->Replaces()};
    if (const JobError claim = folder_->Claim(path, output.path); claim != JobError::None) {
        log_.ShowMessage(Format(PassedOverMessage(claim), output.path));
        return NotWritten(FileOutcome::Skipped, claim);
    }
    options.fixedOutput = output;
    return StampFile(path, stamp_, app_, log_, clock_, options);
}

// Counts the group's files that reached the disk and reports the others;
// their records are final now.
void BatchRun::CloseGroup(OutputGroup& group, BatchOutcome& outcome) {
    for (const GroupedOutput& output : group.Close()) {
        if (!output.committed) {
            log_.ShowMessage(
                OutputFailedMessage(output.outputPath, JobError::WriteFailed, output.failedStep, output.error));
        } else {
            ++outcome.succeeded;
            if (output.folderNotSynced)
                log_.ShowMessage(Format(run_message::kFolderNotSynced, output.outputPath), MessageIcon::Warning);
        }
        FileRecord* record = records_.Unsettled(output.sourcePath);
        if (!record) continue;
        if (!output.committed) {
            record->outcome = FileOutcome::Failed;
            record->code = CodeNumber(JobError::WriteFailed);
            record->output.clear();
            record->pages = 0;
        }
        bates_.Take(*record);
        AppendMessage(record->message, log_.Take());
        records_.MakeFinal(*record);
    }
    records_.Flush();
}

void BatchRun::ShowSummary(const BatchOutcome& outcome) {
    if (outcome.cancelled) {
        prompts_.ShowMessage(batch_message::kCancelled);
        return;
    }
    if (outcome.succeeded == 0) return;
    if (!folder_ && app_.Output == OutputMode::PrefixedCopy)
        prompts_.ShowMessage(batch_message::kDonePrefixed, MessageIcon::Information);
    else
        prompts_.ShowMessage(batch_message::kDone);
}

}  // namespace sgry
