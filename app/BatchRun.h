#pragma once
// The run command without any window: the image check, the confirmation,
// and the loop that stamps the checked files one after another, each by its
// own job, with progress, a cancel flag tested between files, one message
// per failed file and one summary at the end.
//
// Messages go through UserPrompts (UTF-8); progress through BatchProgress;
// what became of each file, when asked, through a FileRecordSink.
// Settings are only read. Everything runs on the caller's thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/BatesRecord.h"
#include "app/FileRecord.h"
#include "app/MessageLog.h"
#include "engine/OutputFolder.h"
#include "engine/OutputGroup.h"
#include "engine/OutputNaming.h"
#include "pdf/SecurityHandler.h"
#include "platform/Translation.h"
#include "platform/UserPrompts.h"
#include "render/HeaderFooterItem.h"
#include "settings/StampSettings.h"

namespace sgry {

namespace batch_message {
inline constexpr Translatable kConfirm = N_("Stamp the checked files?");
inline constexpr Translatable kOpenFailed =
    N_("An error occurred while opening the PDF file\r\n%s\r\n\r\n Error code=%d");
inline constexpr Translatable kCancelled = N_("Cancelled.");
inline constexpr Translatable kDone = N_("Done.");
inline constexpr Translatable kDonePrefixed =
    N_("Done.\r\n\r\nThe names of the output files begin with \" _ \" (an underscore).");
inline constexpr Translatable kBmpDamaged = N_("The image file is damaged\r\n%s");
inline constexpr Translatable kBmpCannotOpen = N_("Cannot open the image file\r\n%s");
inline constexpr Translatable kBmpDepth =
    N_("BMP files with %d-bit colour are not supported.\r\nPlease choose another image file");
inline constexpr Translatable kBmpUnsupported = N_("This BMP file is not supported.\r\n%s\r\ncode = %d");
inline constexpr Translatable kImageReadFailed =
    N_("An error occurred while reading the watermark image\r\n%s\r\n\r\nDetails:\r\n%s\r\n\r\n"
       "Please choose another watermark image in the stamp settings");
inline constexpr Translatable kImageFormat =
    N_("The watermark image is in an unsupported format\r\n%s\r\n\r\n"
       "Please choose another watermark image in the stamp settings");
// A file of a run into an output folder whose name there is not free.
inline constexpr Translatable kOutputExists = N_(
    "Skipped: a file with the same name already exists in the output folder (use --force to replace it)\r\n"
    "%s");
inline constexpr Translatable kOutputNameTaken =
    N_("Skipped: another file of this run has the same output name\r\n%s");
inline constexpr Translatable kOutputIsSource =
    N_("Skipped: the output would replace its own source file (choose another output folder)\r\n%s");
}  // namespace batch_message

// One row of the file list as the run sees it.
struct BatchRow {
    std::string path;
    bool checked = true;
};

// What shows the run's progress (the desktop program's progress dialog).
class BatchProgress {
public:
    virtual ~BatchProgress() = default;
    // Before the first file: the number of files to process (the bar's range).
    virtual void Start(int32_t total) = 0;
    // Before each file: "finished / total" ("0 / 3" while the first of three
    // runs) and the file's path.
    virtual void Show(const std::string& countText, const std::string& path) = 0;
    // After each file, stamped or not.
    virtual void Step() = 0;
    // Asked after each file; true stops the run before the next one. A
    // window may handle its pending events here so that its cancel button
    // is heard while the batch runs.
    virtual bool Cancelled() = 0;
    // After the last file (or the cancel), before the summary.
    virtual void Finish() {}
};

struct BatchOutcome {
    enum class Status {
        NoFiles,       // the list was empty
        ImageRefused,  // the watermark image failed its check
        Declined,      // the confirmation was answered with Cancel
        Ran,           // the loop ran (possibly cancelled)
    };
    Status status = Status::NoFiles;
    int32_t toProcess = 0;  // checked rows
    int32_t finished = 0;   // files whose turn came (stamped or failed)
    int32_t succeeded = 0;  // files stamped and written
    bool cancelled = false;
    bool bates = false;      // a slot showed Bates numbers
    int64_t batesNext = 0;   // then: the first number no file used
};

// How one file is stamped beyond the settings.
struct StampOptions {
    Passwords passwords;
    // The output group of the batch, or nullptr.
    OutputGroup* group = nullptr;
    // The output's exact name instead of the output mode's; the source is
    // then locked read-only and never rolled back (engine/FileRunGuard.h).
    std::optional<FixedOutput> fixedOutput;
    // The path whose name file-name slots print ("" = the file's own).
    std::string namedPath;
    // The Bates number of the file's first stamped page (BatesStart when not given).
    std::optional<int64_t> batesFirst;
};

struct StampResult {
    FileOutcome outcome = FileOutcome::Refused;
    JobError code = JobError::None;  // the job's error code, or why the file was passed over
    std::string output;   // the output written, when it was
    int32_t pages = 0;    // pages stamped
    bool Written() const { return outcome == FileOutcome::Stamped; }
};

class BatchRun {
public:
    // Everything borrowed must outlive the run.
    BatchRun(const StampSettings& stamp, const AppSettings& app, UserPrompts& prompts, BatchProgress& progress,
             LocalTimeSource clock = SystemLocalTime);

    // The run command: no rows ("対象PDFファイルがありません"), the image
    // check, the confirmation "処理を実行しますか？", then RunBatch.
    BatchOutcome OnRun(const std::vector<BatchRow>& rows);
    // The loop over the checked rows and the summary.
    BatchOutcome RunBatch(const std::vector<BatchRow>& rows);
    // The watermark image check (true when no image is set or it reads).
    bool CheckImage();
    // Passwords tried on encrypted sources (none by default: the empty user password).
    void SetPasswords(const Passwords& passwords) { passwords_ = passwords; }
    // Every output a copy in this folder, whatever the output mode; the
    // sources are only read (none by default). Borrowed for the run.
    void SetOutputFolder(OutputFolder* folder) { folder_ = folder; }
    // Where the record of each file goes (none by default). Borrowed.
    void SetRecordSink(FileRecordSink* sink) { sink_ = sink; }
    // The records of the last run, one per row, in list order: for the
    // Bates record (app/BatesRecord.h).
    std::vector<FileRecord> Records() const { return records_.All(); }

private:
    bool TakeTurn(const std::string& path, FileRecord& record, OutputGroup& group);
    StampResult RunFile(const std::string& path, OutputGroup& group);
    void CloseGroup(OutputGroup& group, BatchOutcome& outcome);
    void ShowSummary(const BatchOutcome& outcome);

    const StampSettings& stamp_;
    const AppSettings& app_;
    UserPrompts& prompts_;
    MessageLog log_{prompts_};  // the messages of the file whose turn it is
    BatchProgress& progress_;
    LocalTimeSource clock_;
    Passwords passwords_;
    OutputFolder* folder_ = nullptr;
    FileRecordSink* sink_ = nullptr;
    RecordQueue records_;
    BatesCounter bates_{stamp_};
};

// One file of a run: its job, and the job's run when the source could be
// read. Every failure is shown once through `prompts`; Written() when the
// file was stamped and written.
// An encrypted source is opened with the passwords given, then with those
// the user types when asked, until it opens or the user cancels.
// With a group, the file's lock is the group's when the group prepared the
// file, and a finished output is handed to the group to be made durable
// (written then means written, not yet on the disk).
StampResult StampFile(const std::string& path, const StampSettings& stamp, const AppSettings& app,
                      UserPrompts& prompts, const LocalTimeSource& clock, const StampOptions& options = {});

// The message of the image check for a watermark image path, or "" when the
// image reads (or no image is set). `icon` receives the box's icon.
std::string ImageCheckMessage(const std::string& imagePath, MessageIcon& icon);

}  // namespace sgry
