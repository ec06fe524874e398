#pragma once
// The per-file processing object: reads one source PDF (its cross-reference
// sections, trailer and page count), walks its page tree into the page list,
// and appends an incremental update to the output through the write protocol
// of pdf/ObjectWriter.h (fonts, forms and images write through it).
//
// Construction does all the reading; afterwards ErrorCode() tells whether the
// file can be used (JobError::None) or why not (engine/JobError.h).
//
// A file whose cross-reference data do not hold (ShortFile, NoStartxref,
// NoSize, PrevUnreadable, NoRoot, ObjectNotFound and Damaged while it is
// read; Damaged while its pages are walked, through RebuildTable),
// or whose "%PDF-" header does not stand at its first byte, is read again
// from a table rebuilt from the objects' headers (engine/XrefRebuilder.h):
// Repair() then tells what came of it. The update of a repaired file lists
// every object of that table and has no /Prev, so that it makes the file
// whole; its offsets count from the header, as readers count them.
//
// Offsets are byte offsets in the file (int64). Object numbers and
// generations are 0..INT32_MAX; larger values are never found.
//
// Sources whose cross-reference data are streams and whose objects lie in
// object streams are read too: a compressed object's table entry is a
// position above PdfFile::kRegionBase that the job's CompressedObjects store
// fills with the object's text (engine/CompressedObjects.h), so every reader
// of the job reads it like an object in the file. When the newest section of
// the source is a cross-reference stream, FinishUpdate ends the update with a
// cross-reference stream too; otherwise with a classic section.
//
// An encrypted source is read through its security handler (the empty user
// password, or the passwords given): SeekObject then leads to the object
// with its strings decrypted (engine/DecryptedObjects.h), object streams are
// decrypted before they are decoded, and every object the update appends is
// encrypted with the same file key and method as it is written
// (pdf/ObjectSealer.h). The trailer keeps /Encrypt and /ID as they are.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/CompressedObjects.h"
#include "engine/DecryptedObjects.h"
#include "engine/JobError.h"
#include "engine/ObjectOffsetTable.h"
#include "engine/PageList.h"
#include "engine/PageSelection.h"
#include "engine/SizeClassTable.h"
#include "engine/WriteTable.h"
#include "engine/XrefRebuilder.h"
#include "engine/XrefStreamWriter.h"
#include "pdf/ObjectSealer.h"
#include "pdf/ObjectWriter.h"
#include "pdf/PdfFile.h"
#include "pdf/SecurityHandler.h"
#include "pdf/TokenReader.h"

namespace sgry {

class ContentPrescan;

// What became of a file whose cross-reference data did not hold.
enum class Repair {
    NotNeeded,
    Rebuilt,      // read from the rebuilt table
    NotPdf,       // no object at all
    CutShort,     // the file ends before its "%%EOF": objects it needs are missing
    BeyondRepair, // no catalog, or objects the pages need are missing or broken
    Unfinished,   // an update after the last "%%EOF" stops before its cross-reference data
};

// Error code of the page writer (PdfJob::PageWriterError).
enum class PageWriterError : int {
    None = 0,
    ResourcesUnreadable = 5,  // a page's old resources dictionary cannot be loaded
};

// One resource that a page's merged resources dictionary must refer to.
struct ResourceRequest {
    enum class Category { Font, XObject, ExtGState };
    Category category;
    int32_t number;
    int32_t generation = 0;
};

class PdfJob final : public ObjectWriter {
public:
    // Opens sourcePath with mode "rb" and reads it; passwords are tried when
    // the source is encrypted.
    explicit PdfJob(const std::string& sourcePath, const Passwords& passwords = {});
    // Reads a PDF held in memory (the stream is readable and writable, so an
    // update can be appended to it; see File().MemoryBytes()).
    static std::unique_ptr<PdfJob> FromBytes(std::string bytes, const Passwords& passwords = {});
    ~PdfJob() override;
    PdfJob(const PdfJob&) = delete;
    PdfJob& operator=(const PdfJob&) = delete;

    JobError ErrorCode() const { return error_; }
    void SetErrorCode(JobError code) { error_ = code; }
    const std::string& SourcePath() const { return sourcePath_; }
    const std::string& OutputPath() const { return outputPath_; }
    int64_t SourceStartxref() const { return sourceStartxref_; }
    // The newest trailer's keys as the update copies them (CopyTrailerKeys).
    const std::string& SourceTrailerKeys();
    int64_t NewStartxref() const { return newStartxref_; }
    int32_t SourceSize() const { return sourceSize_; }
    int32_t NextObjectNumber() const { return nextObjectNumber_; }
    int32_t StoredPageCount() const { return pageCount_; }
    // True when the section at the source's startxref offset is a
    // cross-reference stream (the update then ends with one too).
    bool SourceXrefIsStream() const { return sourceXrefIsStream_; }
    // The source's security handler; nullptr when it is not encrypted, or
    // when its /Encrypt dictionary cannot be used (another handler, version,
    // revision or method, a broken dictionary): such a file is read as it
    // stands and the run refuses it.
    const SecurityHandler* Security() const { return security_.get(); }

    // --- token reader over the job's file -------------------------------
    std::string NextToken() { return reader_.NextToken(); }
    int64_t ReadInt() { return reader_.ReadInt(); }
    bool SearchToken(std::string_view word) { return reader_.SearchToken(word); }
    FindResult FindKey(std::string_view key) { return reader_.FindKey(key); }
    TokenReader& Reader() { return reader_; }
    PdfFile& File() { return file_; }
    const ObjectOffsetTable& Offsets() const { return offsets_; }

    // Seeks to the object; false and ObjectNotFound when it is not in the
    // table, false and Damaged when its offset holds no header "number
    // generation obj" of that object.
    bool SeekObject(int64_t number, int64_t generation);
    bool IsDamaged() const { return damaged_; }
    Repair RepairState() const { return repair_; }
    // The code of the first failure met while the file was read, kept when
    // the table was rebuilt; ErrorCode() when no rebuild was tried.
    JobError ReadError() const { return repair_ == Repair::NotNeeded ? error_ : readError_; }
    // Reads the file again from a table rebuilt from its objects' headers;
    // false (with the first error code kept) when that fails as well. Once
    // tried, it is not tried again.
    bool RebuildTable();
    // Where "%PDF-" stands (0 for a sound file); -1 when the first 1024 bytes hold none.
    int64_t HeaderOffset() const { return headerOffset_; }
    // The catalog's number and generation, from the newest trailer (the
    // reader is left after them) or the rebuilt table; false with NoRoot or ObjectNotFound.
    bool ReadRoot(int64_t& number, int64_t& generation);
    // /Count of the root page tree node; sets NoPagesOrCount, NoRoot or
    // ObjectNotFound on failure (and returns 0), None on success.
    int32_t PageCount();

    // --- output ---------------------------------------------------------
    // Closes the current stream and opens path with mode "r+b" for the update;
    // false and JobError::Open when it cannot be opened.
    bool OpenOutput(const std::string& path);

    // --- ObjectWriter ---------------------------------------------------
    // Numbers from the source's /Size upward; -1 once the 32-bit range is used up.
    int32_t AllocateObjectNumber() override;
    void RegisterObject(int32_t number, int32_t generation, bool isNew, ObjectKind kind) override;
    // The first append of an update notes the output length (for UndoUpdate).
    // Unlike the plain stream's AppendAtEnd, the whole text is written, NUL
    // bytes of tokens copied from the source included.
    int64_t AppendAtEnd(std::string_view text) override;
    bool AppendBytes(const void* data, std::size_t size) override;
    void RecordOffset(int32_t number, int32_t generation, int64_t offset) override;

    // --- page tree --------------------------------------------------------
    // Walks the page tree into the page list; false with the page list's own
    // error code (PageList::ErrorCode, PageListError) on failure.
    bool BuildPageList(const PageRangeChoice& range);
    const PageList& Pages() const { return pages_; }

    // How many more graphics states a page's content closes than it opens,
    // and how many it leaves open (engine/GraphicsStateBalance.h).
    struct StateBalance {
        int32_t extraRestores = 0;
        int32_t openStates = 0;
        bool unreadable = false;  // a stream could not be decoded to its end
    };
    // The count of the page at index of the page list, read from the source.
    StateBalance PageBalance(int32_t index);
    // Counts taken ahead on another thread (engine/ContentPrescan.h), used
    // for the pages it counted; nullptr: every page is counted as written.
    void UseContentPrescan(ContentPrescan* prescan) { prescan_ = prescan; }
    // The stamped pages whose content could not all be decoded: their states
    // were counted as far as the content decoded (a reader draws no more).
    const PageTally& UnreadableContent() const { return unreadableContent_; }
    bool GetPage(int32_t index, PageEntry& out) const { return pages_.GetPage(index, out); }
    void SetPageResources(int32_t index, int32_t number, int32_t generation) {
        pages_.SetPageResources(index, number, generation);
    }
    const SizeClassTable& SizeClasses() const { return sizeClasses_; }
    // Number of the one "q" stream that every stamped page draws first (so
    // that the page's own graphics state is saved before its content and the
    // stamp stream, which begins with "Q", starts from a clean state); -1
    // when the page list is empty.
    int32_t SaveStateNumber() const { return saveStateNumber_; }

    // --- incremental update -----------------------------------------------
    // Registers the page, content and resources objects of every page that the
    // pass will stamp (positions 1, 2, ... of the page list, odd ones when
    // stampOdd, even ones when stampEven). False when memory ran out (the
    // write table's ErrorCode() is then WriteTableError::OutOfMemory).
    bool BuildWriteTable(bool stampOdd = true, bool stampEven = true);
    const WriteTable& Writes() const { return writeTable_; }
    // Whether the page at 1-based list position p is stamped.
    static bool IsStampedPosition(int32_t position, bool stampOdd, bool stampEven);

    // "%Sigilry 1.08" CR LF: the line from which the update can be cut off
    // (engine/EraseStamp.h removes it with the update after it). On a source
    // that does not end with a line end, the update begins with the CR LF
    // that AppendAtEnd adds, and the marker says so: "%Sigilry 1.08 +EOL"
    // CR LF, so that erasing cuts before that CR LF as well.
    void WriteMarker();
    static std::string MarkerLine();
    static std::string MarkerAfterAddedLineEnd();
    // The replacement page object of page list entry index. False when its
    // write failed (an unreachable /Contents object also sets ObjectNotFound).
    bool WritePageObject(int32_t index);
    // The page's merged resources object with every request added; names[i]
    // is the name chosen for requests[i] ("" when it could not be added).
    // False when the old dictionary cannot be loaded (ResourcesUnreadable)
    // or the object cannot be written.
    bool WritePageResources(int32_t index, const std::vector<ResourceRequest>& requests,
                            std::vector<std::string>& names);
    // The page's stamp content stream holding content (compressed when
    // FlateBuffer succeeds, as given otherwise).
    bool WritePageContent(int32_t index, std::string_view content);
    // Cross-reference section, trailer, startxref and %%EOF. Fails with
    // WriteFailed, writing nothing, when any object of the update failed to be written.
    bool FinishUpdate();
    // Cuts the output back to its length before the update began.
    bool UndoUpdate();
    int64_t UpdateStart() const { return updateStart_; }
    PageWriterError PageWriterCode() const { return pageWriterError_; }

private:
    struct MemoryTag {};
    PdfJob(MemoryTag, std::string bytes, const Passwords& passwords);

    void ReadSource(const Passwords& passwords);
    bool ReadCrossReference();
    bool EveryEntryHolds();
    void FindHeader();
    bool RebuiltRead(RebuildFailure& failure);
    Repair FailedRepair(RebuildFailure failure);
    std::vector<XrefStreamRow> WholeTableRows() const;
    bool ReadSecurity(const Passwords& passwords);
    int64_t SealedAppend(std::string_view text);
    bool FindStartxref();
    bool ReadSize();
    bool SeekToRoot();
    int64_t TrailerSearchStart() const;
    void NoteUpdateStart();
    bool EndsWithLineEnd();
    int64_t AppendWholeText(std::string_view text);
    bool EnsureSaveStateWritten();
    bool FinishWithXrefStream(const std::string& trailerKeys, std::vector<XrefStreamRow> rows, int64_t prev);
    bool WriteContentStream(int32_t number, std::string_view content);
    // What the update takes from an old page dictionary.
    struct OldPage {
        std::string contents;     // its content streams as "n g R " references, in their order
        std::string rest;         // every other entry but /Resources, then ">> "
        int64_t resourcesAt = -1;  // where the value of /Resources starts; -1: none
    };
    OldPage ReadOldPage(int32_t number, int32_t generation);
    std::string ContentsOfObject(int64_t number, int64_t generation);
    int64_t ResourcesValueAt(int32_t number, int32_t generation);
    StateBalance BalanceOf(const std::string& contents);
    StateBalance CountedBalance(int32_t index, const std::string& contents);
    StateBalance CountStream(int64_t number, int64_t generation);
    int32_t SaveStateStreamFor(int32_t extraRestores);
    void GiveMixedClassPagesOwnResources(bool stampOdd, bool stampEven);
    friend class PageTreeWalker;
    friend class ResourcesMerger;

    JobError error_ = JobError::None;
    PdfFile file_;
    TokenReader reader_{file_};
    std::string sourcePath_;
    std::string outputPath_;
    int64_t sourceStartxref_ = -1;
    int64_t newestTrailerAt_ = -1;  // XrefReader::NewestTrailerAt
    std::optional<std::string> sourceTrailerKeys_;
    int64_t newStartxref_ = -1;
    int32_t sourceSize_ = 0;
    int32_t nextObjectNumber_ = 0;
    int32_t pageCount_ = 0;
    ObjectOffsetTable offsets_;
    CompressedObjects compressed_{reader_, offsets_};
    bool sourceXrefIsStream_ = false;
    std::unique_ptr<SecurityHandler> security_;
    std::pair<int64_t, int64_t> encryptObject_{-1, 0};  // the /Encrypt dictionary's object, if any
    DecryptedObjects decrypted_{file_, compressed_};
    std::unique_ptr<ObjectSealer> sealer_;  // while the update's objects are written
    int64_t sealedOffset_ = -1;             // where the pending sealed object goes
    PageList pages_;
    struct ResourcesPlace {
        int32_t number = -1;
        int32_t generation = 0;
        int64_t at = -1;
    };
    ResourcesPlace writtenPageResources_;  // of the page object written last
    ResourcesPlace inheritedResources_;    // of the node or page looked up last
    SizeClassTable sizeClasses_;
    WriteTable writeTable_;
    int32_t saveStateNumber_ = -1;
    bool saveStateWritten_ = false;
    std::map<int32_t, int32_t> extraSaveStreams_;  // extra "Q" count -> its saving stream
    std::map<std::pair<int64_t, int64_t>, StateBalance> streamBalances_;  // of each content stream read
    std::map<int32_t, int32_t> openStates_;  // page list index -> states its content leaves open
    PageTally unreadableContent_;            // pages with a content stream not decoded to its end
    ContentPrescan* prescan_ = nullptr;
    int64_t updateStart_ = -1;
    bool writeFailed_ = false;
    PageWriterError pageWriterError_ = PageWriterError::None;
    bool damaged_ = false;
    Passwords passwords_;  // kept for a read from a rebuilt table
    int64_t headerOffset_ = 0;
    Repair repair_ = Repair::NotNeeded;
    JobError readError_ = JobError::None;
    std::pair<int64_t, int64_t> rebuiltRoot_{-1, 0};
    std::vector<RebuiltObject> rebuiltObjects_;
};

}  // namespace sgry
