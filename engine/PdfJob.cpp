#include "engine/PdfJob.h"

#include <algorithm>
#include <limits>

#include "engine/CommentFreeTokens.h"
#include "engine/SourceSecurity.h"
#include "engine/TrailerCopy.h"
#include "engine/XrefReader.h"

namespace sgry {

namespace {
constexpr int64_t kMaxInt32 = std::numeric_limits<int32_t>::max();
constexpr int64_t kStartxrefWindow = 100;  // "startxref" is looked for in the last 100 bytes
}  // namespace

PdfJob::PdfJob(const std::string& sourcePath, const Passwords& passwords) : sourcePath_(sourcePath) {
    if (!offsets_.IsReady()) {
        error_ = JobError::TableMemory;
        return;
    }
    if (!file_.OpenRead(sourcePath)) {
        error_ = JobError::Open;
        return;
    }
    ReadSource(passwords);
}

PdfJob::PdfJob(MemoryTag, std::string bytes, const Passwords& passwords) {
    if (!offsets_.IsReady()) {
        error_ = JobError::TableMemory;
        return;
    }
    file_.OpenMemory(std::move(bytes));
    ReadSource(passwords);
}

std::unique_ptr<PdfJob> PdfJob::FromBytes(std::string bytes, const Passwords& passwords) {
    return std::unique_ptr<PdfJob>(new PdfJob(MemoryTag{}, std::move(bytes), passwords));
}

PdfJob::~PdfJob() {
    file_.SetRegionSource(nullptr);
    sealer_.reset();
    file_.Close();
}

// Construction steps 3 to 6: header, startxref, /Size, every cross-reference
// section, the security handler, page count; the first failure stops the
// reading, and a failure of the cross-reference data has the table rebuilt.
void PdfJob::ReadSource(const Passwords& passwords) {
    passwords_ = passwords;
    file_.SetRegionSource(&compressed_);
    FindHeader();
    // Offsets of a file with bytes before its header count from the header:
    // every object is found where it stands instead.
    if (headerOffset_ != 0) {
        error_ = JobError::NotPdf;
        RebuildTable();
        return;
    }
    if (!ReadCrossReference()) {
        if (error_ != JobError::TableMemory) RebuildTable();
        return;
    }
    if (!ReadSecurity(passwords)) return;
    pageCount_ = PageCount();
    if (damaged_ || error_ == JobError::ObjectNotFound || error_ == JobError::NoRoot) RebuildTable();
}

void PdfJob::FindHeader() {
    constexpr std::size_t kHeaderWindow = 1024;
    std::string start(kHeaderWindow + 4, '\0');
    if (!file_.Seek(0, PdfFile::Origin::Start)) start.clear();
    start.resize(start.empty() ? 0 : file_.Read(start.data(), start.size()));
    const std::size_t at = start.find("%PDF-");
    headerOffset_ = at == std::string::npos || at > kHeaderWindow ? -1 : static_cast<int64_t>(at);
}

bool PdfJob::ReadCrossReference() {
    if (!FindStartxref()) return false;
    XrefReader xref(reader_, offsets_, &compressed_);
    const JobError rc = xref.ReadChain(sourceStartxref_);
    sourceXrefIsStream_ = xref.NewestIsStream();
    newestTrailerAt_ = xref.NewestTrailerAt();
    // A missing /Size is reported before any fault of the sections.
    if (!ReadSize()) return false;
    if (rc != JobError::None) {
        error_ = rc;
        damaged_ = rc == JobError::Damaged;
        return false;
    }
    // An entry that leads to no header of its object is damage even when the
    // run never follows it: the update would carry the broken table on.
    if (!EveryEntryHolds()) {
        error_ = JobError::Damaged;
        damaged_ = true;
        return false;
    }
    // A damaged /Size below an object number in use would give new objects
    // the numbers of old ones (the catalog itself, say) and the update would
    // replace them; the numbering starts above every number listed instead.
    if (const int32_t highest = offsets_.HighestNumber(); highest >= nextObjectNumber_)
        nextObjectNumber_ = highest == std::numeric_limits<int32_t>::max() ? highest : highest + 1;
    return true;
}

bool PdfJob::EveryEntryHolds() {
    for (const ObjectOffsetTable::Entry& entry : offsets_.EntriesBelow(PdfFile::kRegionBase)) {
        if (entry.number == 0) continue;
        if (!reader_.Seek(entry.offset) || reader_.ReadInt() != entry.number ||
            reader_.ReadInt() != entry.generation || reader_.NextToken() != "obj")
            return false;
    }
    return true;
}

bool PdfJob::RebuildTable() {
    // A read that failed is no sign of damage: the file is not read again.
    if (repair_ != Repair::NotNeeded || file_.ReadFailed()) return false;
    const JobError firstError = error_ == JobError::None ? JobError::Damaged : error_;
    readError_ = firstError;
    repair_ = Repair::Rebuilt;
    RebuildFailure failure = RebuildFailure::None;
    if (RebuiltRead(failure) && !file_.ReadFailed()) return true;
    repair_ = FailedRepair(failure);
    // The code of the first failure is the one reported (a password still
    // missing is reported as such).
    if (error_ != JobError::PasswordRequired) error_ = firstError;
    damaged_ = repair_ != Repair::NotPdf && repair_ != Repair::Rebuilt && repair_ != Repair::Unfinished;
    return false;
}

// Every object of the source as the rebuilt table has it; the numbering of
// the update starts above all of them.
bool PdfJob::RebuiltRead(RebuildFailure& failure) {
    // What a walk over the old table found goes with it.
    offsets_.Clear();
    compressed_.Clear();
    pages_.Clear();
    sizeClasses_ = SizeClassTable();
    writtenPageResources_ = {};
    inheritedResources_ = {};
    saveStateNumber_ = -1;
    streamBalances_.clear();
    openStates_.clear();
    unreadableContent_ = {};
    security_.reset();
    sealer_.reset();
    decrypted_.SetHandler(nullptr);
    file_.SetRegionSource(&compressed_);
    XrefRebuilder rebuilder(reader_, offsets_);
    failure = rebuilder.Rebuild();
    if (failure != RebuildFailure::None) {
        error_ = failure == RebuildFailure::NoObjects ? JobError::NotPdf : JobError::NoRoot;
        return false;
    }
    error_ = JobError::None;
    damaged_ = false;
    sourceStartxref_ = -1;
    newestTrailerAt_ = -1;
    sourceTrailerKeys_ = rebuilder.TrailerKeys();
    rebuiltRoot_ = {rebuilder.RootNumber(), rebuilder.RootGeneration()};
    sourceXrefIsStream_ = rebuilder.UsesStreams();
    if (!ReadSecurity(passwords_)) return false;
    rebuilder.AddCompressedObjects(compressed_);
    rebuiltObjects_ = rebuilder.Objects();
    const int32_t highest = offsets_.HighestNumber();
    sourceSize_ = highest == std::numeric_limits<int32_t>::max() ? highest : highest + 1;
    nextObjectNumber_ = sourceSize_;
    pageCount_ = PageCount();
    return error_ == JobError::None && !damaged_;
}

// A rebuild that found no objects read no PDF; one that found them but not
// what the pages need, in a file that lost its end, read a file cut short.
Repair PdfJob::FailedRepair(RebuildFailure failure) {
    if (failure == RebuildFailure::UnfinishedUpdate) return Repair::Unfinished;
    if (failure == RebuildFailure::CutShort) return Repair::CutShort;
    if (error_ == JobError::NotPdf) return Repair::NotPdf;
    if (error_ == JobError::PasswordRequired) return Repair::Rebuilt;
    std::string tail(64, '\0');
    if (!file_.Seek(std::max<int64_t>(file_.Size() - 64, 0), PdfFile::Origin::Start)) return Repair::BeyondRepair;
    tail.resize(file_.Read(tail.data(), tail.size()));
    return tail.find("%%EOF") == std::string::npos ? Repair::CutShort : Repair::BeyondRepair;
}

// Before any object is read: an object stream decoded without the keys would
// stay in the cache undecrypted.
bool PdfJob::ReadSecurity(const Passwords& passwords) {
    SourceSecurity security = ReadSourceSecurity(reader_, offsets_, SourceTrailerKeys(), passwords);
    encryptObject_ = {security.encryptNumber, security.encryptGeneration};
    if (security.error == security_error::kPassword) {
        error_ = JobError::PasswordRequired;
        return false;
    }
    // A handler that cannot be used leaves the file read as it stands; the
    // run refuses it for its /Encrypt key before anything is written.
    if (security.error != security_error::kNone) return true;
    security_ = std::move(security.handler);
    if (!security_) return true;
    compressed_.SetSecurity(security_.get());
    decrypted_.SetHandler(security_.get());
    file_.SetRegionSource(&decrypted_);
    sealer_ = std::make_unique<ObjectSealer>(*security_);
    return true;
}

// The newest section's trailer lies in bytes that no update changes, so its
// keys are copied once for the security check, the run and the update.
const std::string& PdfJob::SourceTrailerKeys() {
    if (!sourceTrailerKeys_) sourceTrailerKeys_ = CopyTrailerKeys(reader_, sourceStartxref_, TrailerSearchStart());
    return *sourceTrailerKeys_;
}

bool PdfJob::FindStartxref() {
    if (!file_.Seek(-kStartxrefWindow, PdfFile::Origin::End)) {
        error_ = JobError::ShortFile;
        return false;
    }
    if (!reader_.SearchToken("startxref")) {
        error_ = JobError::NoStartxref;
        return false;
    }
    sourceStartxref_ = reader_.ReadInt();
    error_ = JobError::None;
    return true;
}

// Searches of the newest trailer start at its "trailer" keyword when the
// table before it holds only entries (nothing there could match), else at the
// startxref offset.
int64_t PdfJob::TrailerSearchStart() const { return newestTrailerAt_ >= 0 ? newestTrailerAt_ : sourceStartxref_; }

// The first /Size after the startxref offset: the newest trailer's. A value
// outside the 32-bit object numbers is refused rather than wrapped.
bool PdfJob::ReadSize() {
    if (!reader_.Seek(TrailerSearchStart()) || !reader_.SearchToken("/Size")) {
        error_ = JobError::NoSize;
        return false;
    }
    const int64_t size = reader_.ReadInt();
    if (size < 0 || size > kMaxInt32) {
        error_ = JobError::NoSize;
        return false;
    }
    sourceSize_ = static_cast<int32_t>(size);
    nextObjectNumber_ = sourceSize_;
    return true;
}

bool PdfJob::SeekObject(int64_t number, int64_t generation) {
    // Object 0 heads the list of free numbers and is never an object, though
    // a damaged table may list it and "0 0 obj" stand in junk that reads as 0.
    int64_t offset = number > 0 ? offsets_.Find(number, generation) : -1;
    if (decrypted_.Active() && offset >= 0 && offset < PdfFile::kRegionBase)
        offset = decrypted_.PositionOf(static_cast<int32_t>(number), static_cast<int32_t>(generation), offset);
    if (offset < 0 || !reader_.Seek(offset)) {
        error_ = JobError::ObjectNotFound;
        return false;
    }
    // A table entry that leads to another object's header (or into the middle
    // of one) would have that object read, and replaced, as this one.
    const bool headerHolds = reader_.ReadInt() == number && reader_.ReadInt() == generation &&
                             reader_.NextToken() == "obj" && reader_.Seek(offset);
    if (!headerHolds) {
        error_ = JobError::Damaged;
        damaged_ = true;
        return false;
    }
    return true;
}

// Positions the reader just after the newest trailer's "/Root" key.
bool PdfJob::SeekToRoot() {
    if (sourceStartxref_ < 0 && !FindStartxref()) return false;
    if (!reader_.Seek(TrailerSearchStart()) || !CommentFreeTokens(reader_).SearchToken("/Root")) {
        error_ = JobError::NoRoot;
        return false;
    }
    return true;
}

bool PdfJob::ReadRoot(int64_t& number, int64_t& generation) {
    if (repair_ == Repair::Rebuilt) {
        number = rebuiltRoot_.first;
        generation = rebuiltRoot_.second;
        return true;
    }
    if (!SeekToRoot()) return false;
    number = reader_.ReadInt();
    generation = reader_.ReadInt();
    return true;
}

int32_t PdfJob::PageCount() {
    int64_t rootNumber = 0;
    int64_t rootGeneration = 0;
    if (!ReadRoot(rootNumber, rootGeneration)) return 0;
    if (!SeekObject(rootNumber, rootGeneration)) return 0;
    if (reader_.FindKey("/Pages") != FindResult::Found) {
        error_ = JobError::NoPagesOrCount;
        return 0;
    }
    const int64_t pagesNumber = reader_.ReadInt();
    const int64_t pagesGeneration = reader_.ReadInt();
    if (!SeekObject(pagesNumber, pagesGeneration)) return 0;
    if (reader_.FindKey("/Count") != FindResult::Found) {
        error_ = JobError::NoPagesOrCount;
        return 0;
    }
    const int64_t count = reader_.ReadInt();
    error_ = JobError::None;
    return static_cast<int32_t>(count < 0 ? 0 : count > kMaxInt32 ? kMaxInt32 : count);
}

bool PdfJob::OpenOutput(const std::string& path) {
    if (file_.IsOpen()) file_.Close();
    outputPath_ = path;
    if (!file_.OpenUpdate(path)) {
        error_ = JobError::Open;
        return false;
    }
    return true;
}

int32_t PdfJob::AllocateObjectNumber() {
    if (nextObjectNumber_ == std::numeric_limits<int32_t>::max()) {
        writeFailed_ = true;  // no number left: the update cannot be finished
        return -1;
    }
    return nextObjectNumber_++;
}

void PdfJob::RegisterObject(int32_t number, int32_t generation, bool isNew, ObjectKind kind) {
    writeTable_.Register(number, generation, isNew, kind);
}

void PdfJob::RecordOffset(int32_t number, int32_t generation, int64_t offset) {
    writeTable_.RecordOffset(number, generation, offset);
}

void PdfJob::NoteUpdateStart() {
    if (updateStart_ >= 0) return;
    updateStart_ = file_.Size();
    file_.EndReadsAt(updateStart_);
}

// The first append of an update notes where the update begins. A source that
// does not end with a line end would glue the first line of the update onto
// its "%%EOF" line, so such a file gets a CR LF first.
int64_t PdfJob::AppendAtEnd(std::string_view text) {
    if (updateStart_ < 0) {
        const bool endsWithLineEnd = EndsWithLineEnd();
        NoteUpdateStart();
        if (!endsWithLineEnd && file_.AppendAtEnd("\r\n") < 0) writeFailed_ = true;
    }
    if (sealer_) return SealedAppend(text);
    const int64_t offset = AppendWholeText(text);
    if (offset < 0) writeFailed_ = true;
    return offset;
}

bool PdfJob::EndsWithLineEnd() {
    if (file_.Size() <= 0 || !file_.Seek(-1, PdfFile::Origin::End)) return true;
    const int last = file_.ReadByte();
    return last == '\r' || last == '\n';
}

// Every byte of text goes out: tokens copied from the source (a literal
// string of raw UTF-16 text in a resources dictionary, a binary /ID) may hold
// NUL bytes, and stopping at the first one would cut the copied object short
// and leave the update unreadable. Text the system composes holds no NUL.
int64_t PdfJob::AppendWholeText(std::string_view text) {
    if (!file_.Seek(0, PdfFile::Origin::End)) return -1;
    const int64_t offset = file_.Tell();
    if (!file_.Write(text.data(), text.size())) return -1;
    return offset;
}

// An object of an update to an encrypted file is collected until its
// "endobj" and written sealed; its offset is where it will begin.
int64_t PdfJob::SealedAppend(std::string_view text) {
    const bool starts = !sealer_->Pending();
    if (!sealer_->TakeText(text)) {
        const int64_t offset = AppendWholeText(text);
        if (offset < 0) writeFailed_ = true;
        return offset;
    }
    if (starts) sealedOffset_ = file_.Size();
    if (sealer_->Complete() && AppendWholeText(sealer_->Release()) < 0) writeFailed_ = true;
    return sealedOffset_;
}

bool PdfJob::AppendBytes(const void* data, std::size_t size) {
    NoteUpdateStart();
    if (sealer_ && sealer_->TakeBytes(std::string_view(static_cast<const char*>(data), size))) return true;
    // Raw bytes always follow the text just appended, at the end of the file.
    const bool ok = file_.Seek(0, PdfFile::Origin::End) && file_.Write(static_cast<const char*>(data), size);
    if (!ok) writeFailed_ = true;
    return ok;
}

bool PdfJob::UndoUpdate() {
    if (updateStart_ < 0) return true;  // nothing was appended
    if (sealer_) sealer_->Reset();
    if (!file_.Truncate(updateStart_)) return false;
    updateStart_ = -1;
    file_.EndReadsAt(-1);
    return true;
}

}  // namespace sgry
