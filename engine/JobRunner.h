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
#include "platform/Translation.h"
#include "platform/UserPrompts.h"
#include "render/BandWatermark.h"
#include "render/HeaderFooterItem.h"
#include "render/QrStamp.h"
#include "render/TextWatermark.h"
#include "settings/StampSettings.h"

namespace sgry {

// Messages of a run (UTF-8, line breaks as shown to the user).
namespace run_message {
inline constexpr Translatable kPageTree = N_("An error occurred while parsing the PDF file\n\rError code=%d");
inline constexpr Translatable kWriteTable =
    N_("An error occurred while preparing the output buffer\n\rReturn value=%d");
inline constexpr Translatable kCannotWrite = N_("Cannot write to the file\r\n%s");
inline constexpr Translatable kOutputFailed =
    N_("An error occurred while writing the output file\r\n%s\r\nError code = %d");
inline constexpr Translatable kEncrypted = N_("Encrypted PDF files are not supported\r\n%s");
// A damaged source (JobError::Damaged): nothing is written on top of it.
inline constexpr Translatable kDamaged = N_("The PDF file is damaged and cannot be processed\r\n%s");
// A file whose cross-reference data did not hold, read from a rebuilt table
// and stamped; the job's code of the damage follows for support.
inline constexpr Translatable kRepaired =
    N_("The cross-reference data was damaged; it was rebuilt before stamping (error number=%d)\r\n%s");
inline constexpr Translatable kCutShort =
    N_("The PDF file is truncated and its pages cannot be read (error number=%d)\r\n%s");
// Pages stamped although a reader may show nothing of their stamps.
inline constexpr Translatable kPagesTooSmall =
    N_("The visible area of some pages is too small, so the stamps may not show (first page: %d, pages "
       "affected: %d)\r\n"
       "%s");
// Pages whose content could not all be decoded (a filter this program does
// not read, damaged data): their graphics states were counted as far as the
// content decoded, which is as far as a reader draws it.
inline constexpr Translatable kContentUnreadable =
    N_("Some page content could not be read to its end; the graphics state was counted up to the readable "
       "part before stamping (first page: %d, pages affected: %d)\r\n"
       "%s");
inline constexpr Translatable kBeyondRepair =
    N_("The PDF file is damaged beyond repair (error number=%d)\r\n%s");
inline constexpr Translatable kPasswordRequired =
    N_("The PDF file is password-protected (no password was given, or it is wrong)\r\n%s");
inline constexpr Translatable kModifyForbidden =
    N_("The author of this PDF file does not allow changes (the owner password is needed)\r\n%s");
inline constexpr Translatable kPermissionsForged =
    N_("The permissions in the encryption dictionary (/Perms) do not match /P, so the file is treated as one "
       "that does not allow changes (the owner password is needed)\r\n"
       "%s");
inline constexpr Translatable kOwnerPasswordWrong = N_("Wrong owner password\r\n%s");
inline constexpr Translatable kAskUserPassword = N_("Enter the password that opens this file");
inline constexpr Translatable kAskOwnerPassword = N_("Enter the owner password of this file");
// A certified source, then why it is refused or that it was stamped with
// AllowCertified (without and with Undo), and what erasing the stamp does:
// the update leaves the certified bytes in place, so erasing an erasable
// stamp gives them back.
inline constexpr Translatable kCertified =
    N_("This PDF file is certified by its author (DocMDP /P %d) against changes%s\r\n%s");
inline constexpr Translatable kCertifiedRefused =
    N_(". Stamping it breaks the certification (with an erasable stamp, erasing the stamp restores the "
       "certified file)");
inline constexpr Translatable kCertifiedStamped[] = {
    N_("; it was stamped as the settings allow. PDF viewers will show the certification as broken (the stamp "
       "is "
       "not erasable, so the certified file cannot be restored)"),
    N_("; it was stamped as the settings allow. PDF viewers will show the certification as broken (erasing "
       "the "
       "stamp restores the certified file)")};
inline constexpr Translatable kAskStampCertified = N_("Break the certification and stamp the file?");
inline constexpr Translatable kSigned =
    N_("Stamped a PDF file with %d digital signature(s). "
       "Each signature stays valid for the version it signed, but PDF viewers will show the stamp as a "
       "change made after signing\r\n"
       "%s");
inline constexpr Translatable kUsageRights =
    N_("Stamped a PDF file with usage rights (/Perms /UR3). "
       "The extended features of free PDF viewers (such as saving forms) are lost\r\n%s");
// What was being done when a system call failed, and the system's reason,
// after the message of a failed output.
inline constexpr Translatable kFailedStep = N_("\r\n(%s: %s)");
inline constexpr Translatable kStepCopy = N_("making the copy");
inline constexpr Translatable kStepFolder = N_("creating the output folder");
inline constexpr Translatable kStepOpen = N_("opening the output file");
inline constexpr Translatable kStepJournal = N_("creating the write journal");
inline constexpr Translatable kStepWrite = N_("writing the update");
inline constexpr Translatable kStepSync = N_("syncing to disk");
inline constexpr Translatable kStepRename = N_("renaming to the output name");
inline constexpr Translatable kStepJournalDone = N_("removing the write journal");
inline constexpr Translatable kBatesOverflow =
    N_("The last Bates number does not fit in %d digits, so this file was not written (last number: %s)\r\n%s");
inline constexpr Translatable kImageUnreadable =
    N_("The watermark image could not be read, so this file was not written\r\n%s");
// A copy that is complete and synced under its name, whose folder could not
// be synced: it counts as stamped.
inline constexpr Translatable kFolderNotSynced =
    N_("The output file was written, but its folder could not be synced to disk (a power failure could lose "
       "it)\r\n"
       "%s");
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
    void NoteFailedStep(Translatable step, int error);
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
