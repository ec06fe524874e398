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
#include "platform/UserPrompts.h"
#include "render/HeaderFooterItem.h"
#include "settings/StampSettings.h"

namespace sgry {

namespace batch_message {
inline constexpr const char* kConfirm = "処理を実行しますか？";
inline constexpr const char* kOpenFailed = "PDFの展開時にエラーが発生しました\r\n%s\r\n\r\n エラーコード=%d";
inline constexpr const char* kCancelled = "中断しました";
inline constexpr const char* kDone = "完了しました";
inline constexpr const char* kDonePrefixed =
    "完了しました\r\n\r\n出力ファイルは、ファイル名の先頭に \" _ \"(アンダーライン)が付加されています。";
inline constexpr const char* kBmpDamaged = "画像ファイルが壊れています\r\n%s";
inline constexpr const char* kBmpCannotOpen = "画像ファイルが開けません\r\n%s";
inline constexpr const char* kBmpDepth =
    "%dビットカラーのBMPファイルには対応していません。\r\n画像ファイルを変更して下さい";
inline constexpr const char* kBmpUnsupported = "このBMPファイルには対応していません。\r\n%s\r\ncode = %d";
inline constexpr const char* kImageReadFailed =
    "透かし画像の読み込みでエラーが発生しました\r\n%s\r\n\r\nエラー内容：\r\n%s\r\n\r\n"
    "書出し設定で透かし画像を変更して下さい";
inline constexpr const char* kImageFormat =
    "透かし画像が未対応の形式です\r\n%s\r\n\r\n書出し設定で透かし画像を変更して下さい";
// A file of a run into an output folder whose name there is not free.
inline constexpr const char* kOutputExists =
    "出力先に同じ名前のファイルがあるため、スキップしました（置き換えるには --force を指定して下さい）\r\n%s";
inline constexpr const char* kOutputNameTaken =
    "この実行の別のファイルと出力ファイル名が同じになるため、スキップしました\r\n%s";
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
