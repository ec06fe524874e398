#pragma once
// The work of one job after its construction succeeded: the page list, the
// write table, and the stamping pass that appends the update, with every
// failure reported once through the prompts.
//
// Order of the pass: note the wanted stamps; prepare the band and text
// watermark forms per page-size class; refuse an encrypted source; close the
// source and determine the output (engine/OutputNaming.h) and open it for
// update; the erasable-form marker; the shared objects (header and footer
// fonts, image graphics state and image, watermark forms, band forms, QR
// form); then page by page the page object, the merged resources and the
// stamp content; finally the cross-reference section and trailer.
//
// A copy mode appends to a temporary copy that is synced and renamed to the
// output name only when the update is finished; a pass that fails removes
// it. In the overwrite mode the source's length is journaled before the
// first byte is appended (engine/UpdateJournal.h); a pass that fails cuts
// the source back to that length, and a finished one syncs it before the
// journal goes. Either way a failed or killed run leaves no file that
// readers cannot open and nothing that looks like a stamped output.
//
// Settings are only read. The prompts and the settings must outlive the
// runner; the runner borrows the job (constructed from a path: the output
// is named after it) and owns the fonts and forms it makes.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/OutputGroup.h"
#include "engine/OutputNaming.h"
#include "engine/PdfJob.h"
#include "engine/SignatureSurvey.h"
#include "engine/UpdateJournal.h"
#include "image/ImageXObject.h"
#include "pdf/PdfFont.h"
#include "platform/UserPrompts.h"
#include "render/BandWatermark.h"
#include "render/HeaderFooterItem.h"
#include "render/QrStamp.h"
#include "render/TextWatermark.h"
#include "settings/StampSettings.h"

namespace sgry {

// Messages of a run (UTF-8, line breaks as shown to the user).
namespace run_message {
inline constexpr const char* kPageTree = "PDFファイルの解析でエラー発生しました\n\rエラーコード=%d";
inline constexpr const char* kWriteTable = "書き出しバッファ作成処理でエラーが発生しました\n\r返り値=%d";
inline constexpr const char* kCannotWrite = "ファイルに書き込めません\r\n%s";
inline constexpr const char* kOutputFailed = "ファイル出力時にエラーが発生しました\r\n%s\r\nエラーコード = %d";
inline constexpr const char* kEncrypted = "暗号化されたPDFファイルには対応していません\r\n%s";
// A damaged source (JobError::Damaged): nothing is written on top of it.
inline constexpr const char* kDamaged = "PDFファイルが壊れているため処理できません\r\n%s";
// A file whose cross-reference data did not hold, read from a rebuilt table
// and stamped; the job's code of the damage follows for support.
inline constexpr const char* kRepaired =
    "クロスリファレンス情報が壊れていたため、作り直してからスタンプしました（エラー番号=%d）\r\n%s";
inline constexpr const char* kCutShort =
    "PDFファイルが途中で切れていて、ページを読めません（エラー番号=%d）\r\n%s";
// Pages stamped although a reader may show nothing of their stamps.
inline constexpr const char* kPagesTooSmall =
    "ページの表示領域が小さすぎるため、スタンプが見えない可能性があります（最初のページ：%dページ目、該当ページ数：%d）"
    "\r\n%s";
// Pages whose content could not all be decoded (a filter this program does
// not read, damaged data): their graphics states were counted as far as the
// content decoded, which is as far as a reader draws it.
inline constexpr const char* kContentUnreadable =
    "ページの内容を最後まで読めなかったため、読めた部分までで描画状態を数えてスタンプしました"
    "（最初のページ：%dページ目、該当ページ数：%d）\r\n%s";
inline constexpr const char* kBeyondRepair = "PDFファイルが壊れていて、修復できません（エラー番号=%d）\r\n%s";
inline constexpr const char* kPasswordRequired =
    "パスワードで保護されたPDFファイルです（パスワードが指定されていないか、違います）\r\n%s";
inline constexpr const char* kModifyForbidden =
    "作成者の設定により変更が禁止されたPDFファイルです（オーナーパスワードが必要です）\r\n%s";
inline constexpr const char* kPermissionsForged =
    "暗号化辞書の権限（/Perms）が /P と一致しないため、変更が禁止されたPDFファイルとして扱います"
    "（オーナーパスワードが必要です）\r\n%s";
inline constexpr const char* kOwnerPasswordWrong = "オーナーパスワードが違います\r\n%s";
inline constexpr const char* kAskUserPassword = "このファイルを開くパスワードを入力して下さい";
inline constexpr const char* kAskOwnerPassword = "このファイルのオーナーパスワードを入力して下さい";
// A certified source, then why it is refused or that it was stamped with
// AllowCertified (without and with Undo), and what erasing the stamp does:
// the update leaves the certified bytes in place, so erasing an erasable
// stamp gives them back.
inline constexpr const char* kCertified = "作成者の認証（DocMDP /P %d）により変更が許可されていないPDFファイル%s\r\n%s";
inline constexpr const char* kCertifiedRefused =
    "です。スタンプすると認証が無効になります"
    "（消去できる形式でスタンプした場合は、スタンプを消去すると認証されたときのファイルに戻ります）";
inline constexpr const char* kCertifiedStamped[] = {
    "に、設定によりスタンプしました。閲覧ソフトでは認証が無効と表示されます"
    "（消去できる形式でスタンプしていないため、認証されたときのファイルには戻せません）",
    "に、設定によりスタンプしました。閲覧ソフトでは認証が無効と表示されます"
    "（スタンプを消去すると、認証されたときのファイルに戻ります）"};
inline constexpr const char* kAskStampCertified = "認証を無効にしてスタンプしますか？";
inline constexpr const char* kSigned =
    "電子署名が%d個あるPDFファイルにスタンプしました。各署名は署名された版に対して有効なままですが、"
    "閲覧ソフトではスタンプが署名後の変更として表示されます\r\n%s";
inline constexpr const char* kUsageRights =
    "使用権限（/Perms /UR3）のあるPDFファイルにスタンプしました。"
    "無料の閲覧ソフトで使える拡張機能（フォームの保存など）は失われます\r\n%s";
// What was being done when a system call failed, and the system's reason,
// after the message of a failed output.
inline constexpr const char* kFailedStep = "\r\n（%s：%s）";
inline constexpr const char* kStepCopy = "コピーの作成";
inline constexpr const char* kStepFolder = "出力先フォルダーの作成";
inline constexpr const char* kStepOpen = "出力ファイルを開く";
inline constexpr const char* kStepJournal = "書き込み記録の作成";
inline constexpr const char* kStepWrite = "更新の書き込み";
inline constexpr const char* kStepSync = "ディスクへの同期";
inline constexpr const char* kStepRename = "出力ファイル名への変更";
inline constexpr const char* kStepJournalDone = "書き込み記録の削除";
inline constexpr const char* kBatesOverflow =
    "Bates番号が%d桁に収まらないため、このファイルは出力しませんでした（最後の番号：%s）\r\n%s";
inline constexpr const char* kImageUnreadable = "透かし画像を読み込めなかったため、このファイルは出力しませんでした\r\n%s";
// A copy that is complete and synced under its name, whose folder could not
// be synced: it counts as stamped.
inline constexpr const char* kFolderNotSynced =
    "出力ファイルは書き込みましたが、フォルダーをディスクに同期できませんでした（停電などで失われることがあります）\r\n%s";
}  // namespace run_message

// Which stamps the settings ask for.
struct WantedStamps {
    bool textWatermark = false;             // WaterMarkType is not 0
    bool band = false;                      // bWmNeed
    bool image = false;                     // ImageFileName is not empty
    bool qr = false;                        // QRIsValid and QRString not empty
    std::array<bool, kSlotCount> enabledSlots{};   // StyleType 1, 2 or 3

    static WantedStamps From(const StampSettings& settings);
};

// True when the newest trailer of the job's source holds /Encrypt.
bool HasEncryptDictionary(PdfJob& job);

// Why an encrypted source is not stamped: the message (with the source path)
// and its job error (EncryptedSource, PasswordRequired, ModifyForbidden,
// OwnerPasswordWrong), or "" when nothing refuses it. forRun: the
// permission and owner-password checks count too (they decide whether the
// file may be changed, not whether it can be read).
std::string SecurityRefusal(PdfJob& job, bool forRun, JobError& code);

// Why a certified source is not stamped: its DocMDP /P and path.
std::string CertifiedRefusal(const SignatureSurvey& survey, const std::string& path);

// The message for an output that failed at a step of its own (a system
// call), with the system's reason.
std::string OutputFailedMessage(const std::string& outputPath, JobError code, const char* step, int error);

// The message for a damaged source: what a rebuild of its table found (cut
// short, beyond repair), or the damaged-file message.
std::string DamageMessage(const PdfJob& job);

class JobRunner {
public:
    JobRunner(PdfJob& job, const StampSettings& stamp, const AppSettings& app, UserPrompts& prompts,
              LocalTimeSource clock = SystemLocalTime);
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // Page list, write table and pass; true when the file was stamped and
    // written. Every failure is shown once (a cancelled save dialog shows
    // nothing) and the job's error code says which.
    bool Run();
    // The pass alone (Run calls it after the page list and write table).
    bool StampingPass();

    // The output the pass tried (the destination of a copy, or the source).
    const std::string& OutputPath() const { return outputPath_; }
    // The pages the pass stamped.
    int32_t StampedPages() const { return stampedPages_; }
    // True when the run failed because a system call did (writing, syncing,
    // renaming), not because of what the source is.
    bool SystemCallFailed() const { return failedStep_ != nullptr; }
    // The path whose name file-name slots print (the job's source by
    // default; a preview stamps a copy under a name of its own).
    void NameAfter(std::string path) { namedPath_ = std::move(path); }
    // The Bates number of the first page this file stamps (BatesStart by
    // default); the following stamped pages count up from it.
    void NumberFrom(int64_t first) { batesFirst_ = first; }
    // The pages the pass stamps: the page list's positions that the odd/even
    // rule keeps (the page list must be built).
    int32_t PagesToStamp() const;
    // The output's exact name in place of the output mode's
    // (engine/OutputNaming.h, FixedOutput).
    void WriteTo(const FixedOutput& output) { fixed_ = output; }

    // Leaves the flush of the finished output to the caller (an output
    // group): Run's true then means written, and TakePending gives what is
    // left to do. prepared: the journal already published for the source
    // (in place), or nullptr.
    void DeferCommit(UpdateJournal* prepared) {
        deferCommit_ = true;
        prepared_ = prepared;
    }
    PendingOutput TakePending() { return std::move(pending_); }

private:
    struct PageNames;

    void PrepareForms();
    bool OpenOutput();
    void WriteSharedObjects();
    void WriteFonts();
    void WriteImage();
    void WriteForms();
    void PrepareQr();
    bool StampPage(int32_t index);
    // The resources the page asks for, in the fixed order, and for each the
    // member of `names` that receives the name the merge chose.
    std::vector<ResourceRequest> PageRequests(const PageEntry& page, PageNames& names,
                                              std::vector<std::string*>& targets) const;
    std::string PageContent(const PageEntry& page, const PageNames& names, int64_t batesNumber);
    std::string HeaderFooterContent(const PageEntry& page, const PageNames& names, int64_t batesNumber) const;
    bool CommitOutput();
    void CutBackFailedUpdate();
    void ReportFailure();
    bool RefuseDamaged();
    bool RefuseCertified(const SignatureSurvey& survey);
    // What the stamp did to the source's signatures, as warnings.
    void ReportSignatures(const SignatureSurvey& survey);
    // Keeps the first failed step of the pass with the system's errno now.
    void NoteFailedStep(const char* step, int error);
    std::string FailedStepText() const;
    TextWatermark* WatermarkOf(const PageEntry& page) const;
    BandWatermark* BandOf(const PageEntry& page) const;

    PdfJob& job_;
    const StampSettings& stamp_;
    const AppSettings& app_;
    UserPrompts& prompts_;
    LocalTimeSource clock_;
    std::string namedPath_;
    int64_t batesFirst_;

    WantedStamps wanted_;
    std::array<std::unique_ptr<PdfFont>, kSlotCount> fonts_;
    std::vector<std::unique_ptr<TextWatermark>> watermarks_;  // one per size class
    std::vector<std::unique_ptr<BandWatermark>> bands_;       // one per size class
    ImageXObject image_;
    ImageObjectRef imageState_;
    std::unique_ptr<QrStamp> qr_;  // the job's QR stamp, prepared once
    bool qrWritten_ = false;
    std::string outputPath_;
    std::string workPath_;  // the file appended to: a temporary copy, or the source
    UpdateJournal ownJournal_;
    UpdateJournal* journal_ = &ownJournal_;  // the run's own, or one published before it
    UpdateJournal* prepared_ = nullptr;
    bool deferCommit_ = false;
    PendingOutput pending_;
    bool outputIsCopy_ = false;
    bool outputOpened_ = false;
    std::optional<FixedOutput> fixed_;
    int32_t stampedPages_ = 0;
    const char* failedStep_ = nullptr;
    int failedErrno_ = 0;
};

}  // namespace sgry
