#include "engine/JobRunner.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/ContentPrescan.h"
#include "engine/OutputNaming.h"
#include "engine/TestStopPoint.h"
#include "engine/TrailerCopy.h"
#include "image/ImageObjects.h"
#include "pdf/CidFont.h"
#include "pdf/FontTable.h"
#include "platform/CodeNumber.h"
#include "platform/DurableFile.h"
#include "platform/Format.h"
#include "platform/SjisText.h"
#include "render/ImageStamp.h"

namespace sgry {

// The names the page's merged resources gave to what the page asked for;
// empty where a resource could not be added (its fragment is then left out).
struct JobRunner::PageNames {
    std::array<std::string, kSlotCount> fonts;
    std::string image;
    std::string imageState;
    std::string watermark;
    std::string band;
    std::string qr;
};

WantedStamps WantedStamps::From(const StampSettings& settings) {
    WantedStamps wanted;
    wanted.textWatermark = settings.WaterMarkType != 0;
    wanted.band = settings.bWmNeed;
    wanted.image = !settings.ImageFileName.empty();
    wanted.qr = settings.QRIsValid && !settings.QRString.empty();
    for (std::size_t i = 0; i < wanted.enabledSlots.size(); ++i)
        wanted.enabledSlots[i] = settings.Slots[i].StyleType != HeaderFooterStyle::None;
    return wanted;
}

// The newest trailer's keys, as the update would copy them; /Encrypt counts
// only as a key of the trailer itself, not inside a nested dictionary.
bool HasEncryptDictionary(PdfJob& job) {
    if (job.SourceStartxref() < 0) return false;
    return TrailerKeysName(job.SourceTrailerKeys(), "/Encrypt");
}

// A trailer naming /Encrypt without a handler the job could use is refused,
// whatever else went wrong: writing an unencrypted update into it would
// break the file.
std::string SecurityRefusal(PdfJob& job, bool forRun, JobError& code) {
    code = job.ErrorCode();
    if (code == JobError::PasswordRequired) return Format(run_message::kPasswordRequired, job.SourcePath());
    const SecurityHandler* security = job.Security();
    if (code == JobError::EncryptedSource || (!security && HasEncryptDictionary(job))) {
        code = JobError::EncryptedSource;
        return Format(run_message::kEncrypted, job.SourcePath());
    }
    if (!security || !forRun || code != JobError::None) return std::string();
    if (security->OwnerPasswordWrong()) {
        code = JobError::OwnerPasswordWrong;
        return Format(run_message::kOwnerPasswordWrong, job.SourcePath());
    }
    if (!security->ModifyAllowed() && !security->OwnerAuthenticated()) {
        code = JobError::ModifyForbidden;
        return Format(security->PermissionsForged() ? run_message::kPermissionsForged : run_message::kModifyForbidden,
                      job.SourcePath());
    }
    return std::string();
}

namespace {

// "HeiseiKakuGo-W5" is the one font whose bold and italic switches of the
// slot change the font; every other name goes through the font table.
std::unique_ptr<PdfFont> MakeSlotFont(const HeaderFooterSlot& slot) {
    if (slot.FontName == "HeiseiKakuGo-W5")
        return std::make_unique<HeiseiKakuGoW5Font>(slot.FontIsBold, slot.FontIsItalic);
    return MakePdfFont(slot.FontName);
}

// The text a slot of the new kinds prints with its font must suit the font
// as custom text must: a text with a two-byte character needs a Japanese
// font, one without a Latin font. A file's name is known only now, so the
// choice the settings sheet makes for custom text is made here, per file,
// for the file's own copy of the slot.
HeaderFooterSlot SlotForText(const HeaderFooterSlot& slot, std::string_view text) {
    HeaderFooterSlot chosen = slot;
    // A name the table lacks counts as Latin (FindFont gives Courier's row).
    const bool japanese = FontTable[static_cast<std::size_t>(FindFont(slot.FontName))].kind == FontKind::Japanese;
    if (sjis::IsAscii(text) && japanese) chosen.FontName = "Courier";
    if (!sjis::IsAscii(text) && !japanese) chosen.FontName = "HeiseiMin-W3";
    return chosen;
}

template <class Element>
Element* ElementOfClass(const std::vector<std::unique_ptr<Element>>& elements, int32_t sizeClass) {
    if (sizeClass < 0 || static_cast<std::size_t>(sizeClass) >= elements.size()) return nullptr;
    return elements[static_cast<std::size_t>(sizeClass)].get();
}

}  // namespace

JobRunner::JobRunner(PdfJob& job, const StampSettings& stamp, const AppSettings& app, UserPrompts& prompts,
                     LocalTimeSource clock)
    : job_(job),
      stamp_(stamp),
      app_(app),
      prompts_(prompts),
      clock_(std::move(clock)),
      namedPath_(job.SourcePath()),
      batesFirst_(stamp.BatesStart) {}

JobRunner::~JobRunner() = default;

bool JobRunner::Run() {
    JobError code = JobError::None;
    if (const std::string refusal = SecurityRefusal(job_, true, code); !refusal.empty()) {
        job_.SetErrorCode(code);
        prompts_.ShowMessage(refusal);
        return false;
    }
    if (job_.RepairState() == Repair::Rebuilt && !app_.Repair) return RefuseDamaged();
    const SignatureSurvey signatures = SurveySignatures(job_);
    if (signatures.certified && !app_.AllowCertified) return RefuseCertified(signatures);
    bool walked = job_.BuildPageList(PageRangeChoice::From(stamp_));
    // Damage found only by the walk: the pages are read again from a rebuilt table.
    if (job_.IsDamaged() && app_.Repair && job_.RebuildTable()) walked = job_.BuildPageList(PageRangeChoice::From(stamp_));
    if (job_.IsDamaged()) return RefuseDamaged();
    if (!walked) {
        prompts_.ShowMessage(Format(run_message::kPageTree, CodeNumber(job_.Pages().ErrorCode())));
        return false;
    }
    if (!job_.BuildWriteTable(stamp_.OddFlag[kStampOddPositions], stamp_.OddFlag[kStampEvenPositions])) {
        prompts_.ShowMessage(Format(run_message::kWriteTable, CodeNumber(job_.Writes().ErrorCode())));
        return false;
    }
    if (UsesBatesNumbers(stamp_) && !BatesNumberFits(stamp_, batesFirst_ + PagesToStamp() - 1)) {
        job_.SetErrorCode(JobError::BatesOverflow);
        prompts_.ShowMessage(Format(run_message::kBatesOverflow, stamp_.BatesDigits,
                                    BatesNumberText(stamp_, batesFirst_ + PagesToStamp() - 1), job_.SourcePath()));
        return false;
    }
    ContentPrescan prescan(job_, PageRangeChoice::From(stamp_), stamp_.OddFlag[kStampOddPositions],
                           stamp_.OddFlag[kStampEvenPositions]);
    job_.UseContentPrescan(&prescan);
    const bool stamped = StampingPass();
    job_.UseContentPrescan(nullptr);
    if (stamped) {
        const PageList& pages = job_.Pages();
        if (pages.TooSmallCount() > 0)
            prompts_.ShowMessage(Format(run_message::kPagesTooSmall, pages.FirstTooSmall(), pages.TooSmallCount(),
                                        outputPath_),
                                 MessageIcon::Warning);
        if (const PageTally& unreadable = job_.UnreadableContent(); unreadable.count > 0)
            prompts_.ShowMessage(Format(run_message::kContentUnreadable, unreadable.first, unreadable.count, outputPath_),
                                 MessageIcon::Warning);
        if (job_.RepairState() == Repair::Rebuilt)
            prompts_.ShowMessage(Format(run_message::kRepaired, CodeNumber(job_.ReadError()), outputPath_),
                                 MessageIcon::Warning);
        ReportSignatures(signatures);
        return true;
    }
    ReportFailure();
    return false;
}

int32_t JobRunner::PagesToStamp() const {
    int32_t pages = 0;
    for (int32_t position = 1; position <= job_.Pages().Count(); ++position)
        if (PdfJob::IsStampedPosition(position, stamp_.OddFlag[kStampOddPositions], stamp_.OddFlag[kStampEvenPositions]))
            ++pages;
    return pages;
}

// The damaged-file message, or what the rebuild found when it was tried.
bool JobRunner::RefuseDamaged() {
    job_.SetErrorCode(JobError::Damaged);
    prompts_.ShowMessage(DamageMessage(job_));
    return false;
}

bool JobRunner::RefuseCertified(const SignatureSurvey& survey) {
    job_.SetErrorCode(JobError::Certified);
    prompts_.ShowMessage(CertifiedRefusal(survey, job_.SourcePath()));
    return false;
}

std::string CertifiedRefusal(const SignatureSurvey& survey, const std::string& path) {
    return Format(run_message::kCertified, survey.docMdpP, run_message::kCertifiedRefused.Text(), path);
}

// A certification is broken by the stamp, so its message stands for the
// signatures too.
void JobRunner::ReportSignatures(const SignatureSurvey& survey) {
    if (survey.certified)
        prompts_.ShowMessage(Format(run_message::kCertified, survey.docMdpP,
                                    run_message::kCertifiedStamped[app_.Undo ? 1 : 0].Text(), outputPath_),
                             MessageIcon::Warning);
    else if (survey.signatures > 0)
        prompts_.ShowMessage(Format(run_message::kSigned, survey.signatures, outputPath_),
                             MessageIcon::Warning);
    if (survey.usageRights)
        prompts_.ShowMessage(Format(run_message::kUsageRights, outputPath_), MessageIcon::Warning);
}

std::string DamageMessage(const PdfJob& job) {
    switch (job.RepairState()) {
        case Repair::CutShort:
            return Format(run_message::kCutShort, CodeNumber(job.ReadError()), job.SourcePath());
        case Repair::BeyondRepair:
            return Format(run_message::kBeyondRepair, CodeNumber(job.ReadError()), job.SourcePath());
        default: return Format(run_message::kDamaged, job.SourcePath());
    }
}

void JobRunner::ReportFailure() {
    const JobError code = job_.ErrorCode();
    if (code == JobError::DialogCancelled) return;
    if (code == JobError::ImageUnreadable) {
        prompts_.ShowMessage(Format(run_message::kImageUnreadable, job_.SourcePath()));
        return;
    }
    if (job_.IsDamaged()) {
        prompts_.ShowMessage(DamageMessage(job_));
        return;
    }
    if (code == JobError::Open || code == JobError::CopyFailed) {
        prompts_.ShowMessage(Format(run_message::kCannotWrite, outputPath_) + FailedStepText());
        return;
    }
    prompts_.ShowMessage(Format(run_message::kOutputFailed, outputPath_, CodeNumber(code)) + FailedStepText());
}

namespace {

// What was being done and the system's reason, after a failed output's message.
std::string StepText(const char* step, int error) {
    return Format(run_message::kFailedStep, step, error != 0 ? std::strerror(error) : "?");
}

}  // namespace

std::string OutputFailedMessage(const std::string& outputPath, JobError code, const char* step, int error) {
    return Format(run_message::kOutputFailed, outputPath, CodeNumber(code)) + StepText(step, error);
}

void JobRunner::NoteFailedStep(Translatable step, int error) {
    if (failedStep_) return;
    failedStep_ = step.Text();
    failedErrno_ = error;
}

std::string JobRunner::FailedStepText() const {
    return failedStep_ ? StepText(failedStep_, failedErrno_) : std::string();
}

bool JobRunner::StampingPass() {
    wanted_ = WantedStamps::From(stamp_);
    PrepareForms();
    if (!OpenOutput()) return false;
    if (app_.Undo) job_.WriteMarker();
    WriteSharedObjects();
    if (wanted_.image && !image_.Written()) job_.SetErrorCode(JobError::ImageUnreadable);

    const bool odd = stamp_.OddFlag[kStampOddPositions];
    const bool even = stamp_.OddFlag[kStampEvenPositions];
    const int32_t count = job_.Pages().Count();
    for (int32_t index = 0; index < count && job_.ErrorCode() == JobError::None; ++index) {
        if (!PdfJob::IsStampedPosition(index + 1, odd, even)) continue;
        if (!StampPage(index)) break;
        ++stampedPages_;
        if (index == 0) StopHereForTest("first-page", job_.File());
        if (index == count / 2) StopHereForTest("mid-pages", job_.File());
    }
    if (job_.ErrorCode() == JobError::None && job_.FinishUpdate() && CommitOutput()) return true;
    if (job_.File().WriteErrno() != 0) NoteFailedStep(run_message::kStepWrite, job_.File().WriteErrno());
    CutBackFailedUpdate();
    return false;
}

// Band and text watermark elements, one per page-size class, in class order.
// Nothing is written yet.
void JobRunner::PrepareForms() {
    const SizeClassTable& classes = job_.SizeClasses();
    if (wanted_.band)
        for (int32_t c = 0; c < classes.Count(); ++c) bands_.push_back(MakeBandWatermark(stamp_, classes.GetSizeClass(c)));
    if (wanted_.textWatermark)
        for (int32_t c = 0; c < classes.Count(); ++c)
            watermarks_.push_back(MakeTextWatermark(stamp_, classes.GetSizeClass(c)));
}

// Closes the source, lets the output mode decide the output, and reopens the
// job's stream on it for update. A lookup failure noted during the page walk
// does not count against the pass.
bool JobRunner::OpenOutput() {
    job_.File().CloseKeepingReads();
    job_.SetErrorCode(JobError::None);
    OutputNaming naming(app_.Output, prompts_);
    if (fixed_) naming.Fix(*fixed_);
    const std::string path = naming.DetermineOutput(job_.SourcePath());
    outputPath_ = naming.AttemptedPath();
    outputIsCopy_ = naming.MadeCopy();
    if (path.empty()) {
        if (naming.Error() == JobError::CopyFailed)
            NoteFailedStep(naming.FolderFailed() ? run_message::kStepFolder : run_message::kStepCopy, errno);
        job_.SetErrorCode(naming.Error());
        return false;
    }
    workPath_ = naming.WorkPath();
    if (!job_.OpenOutput(workPath_)) {
        NoteFailedStep(run_message::kStepOpen, errno);
        return false;
    }
    outputOpened_ = true;
    if (!outputIsCopy_ && prepared_ && prepared_->LengthBefore() == job_.File().Size()) {
        journal_ = prepared_;
        return true;
    }
    if (!outputIsCopy_ && !ownJournal_.Begin(workPath_, job_.File().Size())) {
        NoteFailedStep(run_message::kStepJournal, errno);
        job_.SetErrorCode(JobError::Open);  // no byte goes in place without its journal
        return false;
    }
    return true;
}

// The finished update reaches the disk before it counts: a copy is synced
// and only then takes the output name; the source is synced and only then
// loses its journal.
bool JobRunner::CommitOutput() {
    job_.File().Close();
    const bool replace = !fixed_ || fixed_->replace;
    if (deferCommit_) {
        pending_ = {workPath_, outputPath_, outputIsCopy_, std::move(ownJournal_), replace};
        return true;
    }
    const auto step = [this](bool done, Translatable name) {
        if (!done) NoteFailedStep(name, errno);
        return done;
    };
    bool committed = step(fs::SyncFile(workPath_), run_message::kStepSync);
    StopHereForTest("synced");
    if (outputIsCopy_) {
        committed = committed && step(RenameToOutput(workPath_, outputPath_, replace), run_message::kStepRename);
        if (committed && !fs::SyncFolderOf(outputPath_))
            prompts_.ShowMessage(Format(run_message::kFolderNotSynced, outputPath_), MessageIcon::Warning);
    } else {
        committed = committed && step(journal_->CompleteSynced(), run_message::kStepJournalDone);
    }
    if (!committed) job_.SetErrorCode(JobError::WriteFailed);
    return committed;
}

void JobRunner::WriteSharedObjects() {
    WriteFonts();
    WriteImage();
    WriteForms();
    PrepareQr();
}

// Every enabled slot gets font objects of its own, even when two slots name
// the same font.
void JobRunner::WriteFonts() {
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (!wanted_.enabledSlots[i]) continue;
        const HeaderFooterSlot& slot = stamp_.Slots[i];
        if (slot.StyleType == HeaderFooterStyle::FileName)
            fonts_[i] = MakeSlotFont(SlotForText(slot, FileNameText(namedPath_, slot.StyleNameType)));
        else if (slot.StyleType == HeaderFooterStyle::PageNumber && slot.StylePageType == PageNumberFormat::Bates)
            fonts_[i] = MakeSlotFont(SlotForText(slot, stamp_.BatesPrefix + stamp_.BatesSuffix));
        else
            fonts_[i] = MakeSlotFont(slot);
        fonts_[i]->WriteObjects(job_);
    }
}

// An image that cannot be read is left out of every page; the other stamps
// are still drawn.
void JobRunner::WriteImage() {
    if (!wanted_.image) return;
    imageState_ = WriteImageGraphicsState(job_, stamp_.ImageDensity);
    image_ = WriteImageXObject(job_, stamp_.ImageFileName);
    if (!image_.Written() && !image_.message.empty()) prompts_.ShowMessage(image_.message);
}

void JobRunner::WriteForms() {
    for (const auto& element : watermarks_)
        if (element) element->Build(job_);
    for (const auto& element : bands_)
        if (element) element->Build(job_);
}

// A QR code that cannot be prepared is reported once and left off every page.
void JobRunner::PrepareQr() {
    qrWritten_ = false;
    if (!wanted_.qr) return;
    qr_ = std::make_unique<QrStamp>();
    qrWritten_ = qr_->Prepare(stamp_.QRString, QrSymbolChoice::FromSettings(stamp_), job_) == 1;
    if (!qrWritten_) prompts_.ShowMessage(qr_->FailureMessage(job_.SourcePath()));
}

TextWatermark* JobRunner::WatermarkOf(const PageEntry& page) const { return ElementOfClass(watermarks_, page.sizeClass); }

BandWatermark* JobRunner::BandOf(const PageEntry& page) const { return ElementOfClass(bands_, page.sizeClass); }

std::vector<ResourceRequest> JobRunner::PageRequests(const PageEntry& page, PageNames& names,
                                                     std::vector<std::string*>& targets) const {
    std::vector<ResourceRequest> requests;
    const auto add = [&](ResourceRequest::Category category, int32_t number, int32_t generation,
                         std::string* target) {
        requests.push_back({category, number, generation});
        targets.push_back(target);
    };
    using Category = ResourceRequest::Category;
    for (std::size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i]) add(Category::Font, fonts_[i]->ObjectNumber(), fonts_[i]->Generation(), &names.fonts[i]);
    if (image_.Written()) {
        add(Category::XObject, image_.object.number, image_.object.generation, &names.image);
        add(Category::ExtGState, imageState_.number, imageState_.generation, &names.imageState);
    }
    if (const TextWatermark* element = WatermarkOf(page))
        add(Category::XObject, element->FormRef().number, element->FormRef().generation, &names.watermark);
    if (const BandWatermark* element = BandOf(page))
        add(Category::XObject, element->FormRef().number, element->FormRef().generation, &names.band);
    if (qrWritten_) add(Category::XObject, qr_->ObjectRef().number, qr_->ObjectRef().generation, &names.qr);
    return requests;
}

// Page object, merged resources and stamp content of one page. Only a failed
// resources merge stops the pass (ResourcesFailed).
bool JobRunner::StampPage(int32_t index) {
    job_.WritePageObject(index);
    const PageEntry page = job_.Pages().At(index);
    PageNames names;
    std::vector<std::string*> targets;
    const std::vector<ResourceRequest> requests = PageRequests(page, names, targets);
    std::vector<std::string> chosen;
    if (!job_.WritePageResources(index, requests, chosen)) {
        job_.SetErrorCode(JobError::ResourcesFailed);
        return false;
    }
    for (std::size_t i = 0; i < targets.size() && i < chosen.size(); ++i) *targets[i] = chosen[i];
    job_.WritePageContent(index, PageContent(page, names, batesFirst_ + stampedPages_));
    return true;
}

// "Q" closes the "q" stream that every stamped page draws first, so the
// stamps start from the default graphics state whatever the page's own
// content left behind; then image, text watermark, band, header and footer,
// QR code.
std::string JobRunner::PageContent(const PageEntry& page, const PageNames& names, int64_t batesNumber) {
    std::string content = "Q\r\n";
    if (image_.Written() && !names.image.empty() && !names.imageState.empty())
        content += ImageStamp::Place(static_cast<int>(stamp_.ImagePosition), page, image_.width, image_.height,
                                     names.image, names.imageState, MarginsFromSettingsOrder(stamp_.Margin),
                                     stamp_.ImageMargin);
    // A class's form is drawn on each page of the class where that page's
    // visible area lies.
    if (TextWatermark* element = WatermarkOf(page); element && !names.watermark.empty()) {
        element->SetPage(page);
        element->SetFormResourceName(names.watermark);
        content += element->PlacementContent();
    }
    if (BandWatermark* element = BandOf(page); element && !names.band.empty()) {
        element->SetPage(page);
        element->SetFormResourceName(names.band);
        content += element->PlacementContent();
    }
    content += HeaderFooterContent(page, names, batesNumber);
    if (qrWritten_ && !names.qr.empty())
        content += qr_->Place(static_cast<int>(stamp_.QRPosition), page, names.qr,
                              MarginsFromSettingsOrder(stamp_.Margin), stamp_.QRMarginValid);
    return content;
}

// The Bates number and the file's name are texts of their own, shown as
// custom text is.
std::string JobRunner::HeaderFooterContent(const PageEntry& page, const PageNames& names, int64_t batesNumber) const {
    PageNumberItem number(stamp_, job_.StoredPageCount());
    DateTimeItem date(stamp_, clock_);
    TextItem text(stamp_);
    const BorderLine line(stamp_);
    std::string content;
    for (int row = 0; row < 2; ++row) {
        for (int slot = row * 3; slot < row * 3 + 3; ++slot) {
            const std::size_t s = static_cast<std::size_t>(slot);
            const HeaderFooterSlot& settings = stamp_.Slots[s];
            if (!fonts_[s] || names.fonts[s].empty()) continue;
            switch (settings.StyleType) {
                case HeaderFooterStyle::PageNumber:
                    if (settings.StylePageType == PageNumberFormat::Bates) {
                        text.Set(slot, BatesNumberText(stamp_, batesNumber), page, names.fonts[s], *fonts_[s], true);
                        content += text.Generate();
                        break;
                    }
                    number.Set(slot, settings.StylePageType, page, names.fonts[s], *fonts_[s]);
                    content += number.Generate();
                    break;
                case HeaderFooterStyle::DateTime:
                    date.Set(slot, settings.StyleDateType, page, names.fonts[s], *fonts_[s]);
                    content += date.Generate();
                    break;
                case HeaderFooterStyle::Text:
                    text.Set(slot, settings.CustomText, page, names.fonts[s], *fonts_[s]);
                    content += text.Generate();
                    break;
                case HeaderFooterStyle::FileName:
                    text.Set(slot, FileNameText(namedPath_, settings.StyleNameType), page, names.fonts[s], *fonts_[s],
                             true);
                    content += text.Generate();
                    break;
                case HeaderFooterStyle::None:
                    break;
            }
        }
        if (stamp_.Groups[static_cast<std::size_t>(row)].EdgeBorder) content += line.Generate(page, row);
    }
    return content;
}

// A copy made for this run is removed; the source goes back to its length
// before the update, and its journal stays when that fails, so that the next
// run cuts it back.
void JobRunner::CutBackFailedUpdate() {
    if (!outputOpened_) return;
    if (outputIsCopy_) {
        job_.File().Close();
        std::remove(workPath_.c_str());
        return;
    }
    if (!job_.File().IsOpen() && !job_.OpenOutput(workPath_)) return;
    if (job_.UndoUpdate()) {
        job_.File().Close();
        journal_->Complete();
    }
}

}  // namespace sgry
