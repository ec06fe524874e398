// The incremental update of a job: write table, marker, page objects, page
// resources, content streams and the closing cross-reference section.
#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/CommentFreeTokens.h"
#include "engine/ContentPrescan.h"
#include "engine/GraphicsStateBalance.h"
#include "engine/PageTreeWalker.h"
#include "engine/PdfJob.h"
#include "engine/ResourcesMerger.h"
#include "engine/SourceStream.h"
#include "engine/TestStopPoint.h"
#include "engine/TrailerCopy.h"
#include "engine/XrefStreamWriter.h"
#include "pdf/FlateBuffer.h"
#include "platform/Format.h"

namespace sgry {

namespace {
constexpr const char* kMarkerName = "Sigilry";
constexpr const char* kMarkerVersion = "1.08";
// The content of the stream that every stamped page draws first.
constexpr std::string_view kSaveStateContent = "q\r\n";
constexpr std::string_view kRestoreStateContent = "Q\r\n";
}  // namespace

bool PdfJob::BuildPageList(const PageRangeChoice& range) {
    // The root's /Count, which no list of pages can pass the number of objects.
    pages_.Reserve(static_cast<std::size_t>(std::min(pageCount_, offsets_.Count())));
    PageTreeWalker walker(*this, range);
    if (!walker.Walk()) return false;
    // Numbered right after the pages' content streams, before anything else.
    if (pages_.Count() > 0 && saveStateNumber_ < 0) saveStateNumber_ = AllocateObjectNumber();
    return true;
}

bool PdfJob::IsStampedPosition(int32_t position, bool stampOdd, bool stampEven) {
    return position % 2 == 1 ? stampOdd : stampEven;
}

// Pages that share one resources object but lie in different size classes
// would get the same name for different watermark forms, and the last rewrite
// of the shared object would decide for all of them. The pages of the first
// class that uses the object keep it; the others get resources of their own.
void PdfJob::GiveMixedClassPagesOwnResources(bool stampOdd, bool stampEven) {
    std::map<std::pair<int32_t, int32_t>, int32_t> firstClass;
    for (int32_t i = 0; i < pages_.Count(); ++i) {
        const PageEntry& page = pages_.At(i);
        if (!IsStampedPosition(i + 1, stampOdd, stampEven) || page.resourcesInline) continue;
        const auto key = std::make_pair(page.resourcesNumber, page.resourcesGeneration);
        const auto [it, inserted] = firstClass.emplace(key, page.sizeClass);
        if (!inserted && it->second != page.sizeClass) pages_.RequireOwnResources(i);
    }
}

bool PdfJob::BuildWriteTable(bool stampOdd, bool stampEven) {
    GiveMixedClassPagesOwnResources(stampOdd, stampEven);
    // Each page, its content stream and its resources, and the shared objects.
    writeTable_.Reserve(3 * static_cast<std::size_t>(pages_.Count()) + 64);
    bool ok = true;
    bool anyPage = false;
    for (int32_t i = 0; i < pages_.Count(); ++i) {
        if (!IsStampedPosition(i + 1, stampOdd, stampEven)) continue;
        const PageEntry& page = pages_.At(i);
        ok = writeTable_.Register(page.objectNumber, page.generation, false, ObjectKind::Page) && ok;
        ok = writeTable_.Register(page.contentNumber, 0, true, ObjectKind::PageContent) && ok;
        ok = writeTable_.Register(page.resourcesNumber, page.resourcesGeneration, false, ObjectKind::PageResources) &&
             ok;
        anyPage = true;
    }
    if (anyPage && saveStateNumber_ >= 0)
        ok = writeTable_.Register(saveStateNumber_, 0, true, ObjectKind::PageContent) && ok;
    return ok;
}

std::string PdfJob::MarkerLine() { return Format("%%%s %s\r\n", kMarkerName, kMarkerVersion); }

std::string PdfJob::MarkerAfterAddedLineEnd() { return Format("%%%s %s +EOL\r\n", kMarkerName, kMarkerVersion); }

void PdfJob::WriteMarker() {
    const bool addsLineEnd = updateStart_ < 0 && !EndsWithLineEnd();
    AppendAtEnd(addsLineEnd ? MarkerAfterAddedLineEnd() : MarkerLine());
}

bool PdfJob::WriteContentStream(int32_t number, std::string_view content) {
    FlateBuffer flate;
    const bool compressed = flate.Compress(content);
    const std::string_view bytes = compressed ? std::string_view(flate.Data()) : content;
    std::string header = Format("%ld %d obj\r\n", number, 0);
    header += compressed ? Format("<</Length %ld/Filter/FlateDecode>>\r\nstream\r\n", bytes.size())
                         : Format("<</Length %ld>>\r\nstream\r\n", bytes.size());
    const int64_t offset = AppendAtEnd(header);
    RecordOffset(number, 0, offset);
    const bool bytesOk = AppendBytes(bytes.data(), bytes.size());
    const bool tailOk = AppendAtEnd("\nendstream\r\nendobj\r\n") >= 0;
    return offset >= 0 && bytesOk && tailOk;
}

bool PdfJob::EnsureSaveStateWritten() {
    if (saveStateNumber_ < 0 || saveStateWritten_) return true;
    saveStateWritten_ = true;
    RegisterObject(saveStateNumber_, 0, true, ObjectKind::PageContent);
    return WriteContentStream(saveStateNumber_, kSaveStateContent);
}

bool PdfJob::WritePageContent(int32_t index, std::string_view content) {
    PageEntry page;
    if (!pages_.GetPage(index, page)) return false;
    RegisterObject(page.contentNumber, 0, true, ObjectKind::PageContent);
    // States the page's own content leaves open are closed before the stamp.
    const auto open = openStates_.find(index);
    if (open == openStates_.end() || open->second == 0) return WriteContentStream(page.contentNumber, content);
    std::string closed;
    for (int32_t i = 0; i < open->second; ++i) closed += kRestoreStateContent;
    return WriteContentStream(page.contentNumber, closed + std::string(content));
}

namespace {
// The tokens of an array value after its "[" up to the first "]".
std::string ArrayTokens(const std::vector<std::string>& value) {
    std::string text;
    for (std::size_t i = 1; i < value.size() && value[i] != "]"; ++i) text += value[i] + " ";
    return text;
}

}  // namespace

// One pass over the dictionary's own entries: a key inside a nested value
// (the /Contents of an inline annotation, say) is no entry of the page.
// Comments are left out, since the tokens are joined on one line; strings
// and nested values are copied whole.
PdfJob::OldPage PdfJob::ReadOldPage(int32_t number, int32_t generation) {
    OldPage old;
    CommentFreeTokens tokens(reader_);
    if (!SeekObject(number, generation) || !tokens.SearchToken("<<")) {
        old.rest = ">> ";
        return old;
    }
    bool hasContents = false;
    std::optional<std::pair<int64_t, int64_t>> contentsObject;
    bool closed = false;
    for (std::string key = tokens.Next(); !key.empty() && key != "endobj" && key != ">>"; key = tokens.Next()) {
        const int64_t valueAt = tokens.Tell();
        const std::string first = tokens.Next();
        if (first.empty()) break;
        if (key == "/Contents" && !hasContents) {
            hasContents = true;
            std::vector<std::string> value;
            tokens.ReadValue(first, value);
            if (first == "[")
                old.contents = ArrayTokens(value);
            else
                contentsObject.emplace(TokenReader::LeadingInt(first),
                                       value.size() > 1 ? TokenReader::LeadingInt(value[1]) : 0);
            continue;
        }
        if (key == "/Resources" && old.resourcesAt < 0) old.resourcesAt = valueAt;
        if (key == "/Contents" || key == "/Resources") {
            tokens.SkipValue(first);
            continue;
        }
        old.rest += key + " ";
        tokens.AppendValue(first, old.rest);
        if (first == ">>") {  // a key without a value closed the dictionary
            closed = true;
            break;
        }
    }
    if (!closed) old.rest += ">> ";
    if (contentsObject) old.contents = ContentsOfObject(contentsObject->first, contentsObject->second);
    return old;
}

// A /Contents that names an object: that stream, or the streams of the array
// the object holds.
std::string PdfJob::ContentsOfObject(int64_t number, int64_t generation) {
    const std::string reference = Format("%ld %d R ", number, generation);
    if (!SeekObject(number, generation)) return reference;  // ObjectNotFound stays behind
    CommentFreeTokens target(reader_);
    for (int i = 0; i < 3; ++i) target.Next();  // number, generation, "obj"
    const std::string first = target.Next();
    if (first != "[") return reference;
    std::vector<std::string> value;  // an indirect array of streams
    target.ReadValue(first, value);
    return ArrayTokens(value);
}

// Where the value of the object's own /Resources starts; the page written
// last is known without reading it again.
int64_t PdfJob::ResourcesValueAt(int32_t number, int32_t generation) {
    for (const ResourcesPlace& place : {writtenPageResources_, inheritedResources_})
        if (place.number == number && place.generation == generation) return place.at;
    inheritedResources_ = {number, generation, ReadOldPage(number, generation).resourcesAt};
    return inheritedResources_.at;
}

// How many more states the content streams named by contents (the text
// ExistingContents gives) close than they open, and how many they leave
// open. A stream that cannot be decoded to its end counts as far as it
// decoded: a reader draws that much of it and no more. Each stream is read
// once per file, however many pages share it.
PdfJob::StateBalance PdfJob::BalanceOf(const std::string& contents) {
    std::vector<std::string_view> tokens;
    for (std::size_t start = 0, end = 0; start < contents.size(); start = end + 1) {
        end = std::min(contents.find_first_of(" \t\n\v\f\r", start), contents.size());
        if (end > start) tokens.push_back(std::string_view(contents).substr(start, end - start));
    }
    GraphicsStateBalance balance;
    bool unreadable = false;
    for (std::size_t i = 0; i + 2 < tokens.size(); ++i) {
        if (tokens[i + 2] != "R") continue;
        const auto key = std::make_pair(TokenReader::LeadingInt(tokens[i]), TokenReader::LeadingInt(tokens[i + 1]));
        auto counted = streamBalances_.find(key);
        if (counted == streamBalances_.end()) counted = streamBalances_.emplace(key, CountStream(key.first, key.second)).first;
        balance.AddCounted(counted->second.extraRestores, counted->second.openStates);
        unreadable = unreadable || counted->second.unreadable;
    }
    return {balance.ExtraRestores(), balance.OpenStates(), unreadable};
}

PdfJob::StateBalance PdfJob::PageBalance(int32_t index) {
    PageEntry page;
    if (!pages_.GetPage(index, page)) return {};
    return BalanceOf(ReadOldPage(page.objectNumber, page.generation).contents);
}

// The count taken ahead when there is one, else the count of contents now.
PdfJob::StateBalance PdfJob::CountedBalance(int32_t index, const std::string& contents) {
    if (prescan_)
        if (const std::optional<StateBalance> ahead = prescan_->Take(index)) return *ahead;
    return BalanceOf(contents);
}

PdfJob::StateBalance PdfJob::CountStream(int64_t number, int64_t generation) {
    GraphicsStateBalance own;
    SourceStream stream;
    SourceStreamReader streamReader(reader_, &offsets_);
    streamReader.SetSecurity(security_.get());
    const bool read = streamReader.ReadHeader(offsets_.Find(number, generation), stream) &&
                      streamReader.ReadDataInto(stream, [&own](std::string_view piece) { own.Feed(piece); });
    own.EndStream();
    return {own.ExtraRestores(), own.OpenStates(), !read};
}

// The shared "q" stream, or for a page whose content closes more states than
// it opens, a stream that opens that many more (one per count, shared).
int32_t PdfJob::SaveStateStreamFor(int32_t extra) {
    if (saveStateNumber_ < 0 || extra == 0) return saveStateNumber_;
    if (const auto found = extraSaveStreams_.find(extra); found != extraSaveStreams_.end()) return found->second;
    const int32_t number = AllocateObjectNumber();
    if (number < 0) return saveStateNumber_;
    std::string content;
    for (int32_t i = 0; i <= extra; ++i) content += kSaveStateContent;
    RegisterObject(number, 0, true, ObjectKind::PageContent);
    WriteContentStream(number, content);
    extraSaveStreams_.emplace(extra, number);
    return number;
}

bool PdfJob::WritePageObject(int32_t index) {
    PageEntry page;
    if (!pages_.GetPage(index, page)) return false;
    EnsureSaveStateWritten();
    const OldPage old = ReadOldPage(page.objectNumber, page.generation);
    writtenPageResources_ = {page.objectNumber, page.generation, old.resourcesAt};
    const StateBalance balance = saveStateNumber_ < 0 ? StateBalance{} : CountedBalance(index, old.contents);
    openStates_[index] = balance.openStates;
    if (balance.unreadable) unreadableContent_.Note(page.ordinal);
    const int32_t saveState = SaveStateStreamFor(balance.extraRestores);
    RegisterObject(page.objectNumber, page.generation, false, ObjectKind::Page);

    std::string text = Format("%ld %d obj\r\n", page.objectNumber, page.generation);
    text += "<</Contents [";
    if (saveState >= 0) text += Format("%ld %d R ", saveState, 0);
    text += old.contents;
    text += Format("%ld %d R", page.contentNumber, 0);
    text += "]\r\n/Resources ";
    // Inline or missing resources, and resources shared across size classes,
    // become an object of their own.
    if (page.resourcesInline) {
        const int32_t number = AllocateObjectNumber();
        pages_.SetPageResources(index, number, 0);
        RegisterObject(number, 0, true, ObjectKind::PageResources);
        page = pages_.At(index);
    }
    text += Format("%ld %d R\r\n", page.resourcesNumber, page.resourcesGeneration);
    text += old.rest;
    text += "\r\nendobj\r\n";

    const int64_t offset = AppendAtEnd(text);
    RecordOffset(page.objectNumber, page.generation, offset);
    return offset >= 0;
}

bool PdfJob::WritePageResources(int32_t index, const std::vector<ResourceRequest>& requests,
                                std::vector<std::string>& names) {
    names.clear();
    pageWriterError_ = PageWriterError::None;
    PageEntry page;
    if (!pages_.GetPage(index, page) || page.resourcesInline) {
        pageWriterError_ = PageWriterError::ResourcesUnreadable;  // the page object must be written first
        return false;
    }
    ResourcesMerger merger(*this);
    std::unique_ptr<PdfDictionary> resources = merger.Load(pages_.OriginAt(index));
    if (!resources) {
        pageWriterError_ = PageWriterError::ResourcesUnreadable;
        return false;
    }
    for (const ResourceRequest& request : requests) names.push_back(merger.Add(*resources, request));

    const std::string text = Format("%ld %d obj\r\n", page.resourcesNumber, page.resourcesGeneration) +
                             resources->ToText() + "\r\nendobj\r\n";
    const int64_t offset = AppendAtEnd(text);
    RecordOffset(page.resourcesNumber, page.resourcesGeneration, offset);
    return offset >= 0;
}

bool PdfJob::FinishUpdate() {
    EnsureSaveStateWritten();
    writeTable_.SortByNumber();
    // An object whose write failed must not be listed with a negative offset,
    // and a section without it would leave the page referring to nothing.
    if (writeFailed_ || !writeTable_.AllWritten()) {
        error_ = JobError::WriteFailed;
        return false;
    }
    // Cross-reference data is never encrypted; an object still open is one
    // whose write was cut short.
    if (sealer_ && sealer_->Pending()) writeFailed_ = true;
    sealer_.reset();
    const std::string& trailerKeys = SourceTrailerKeys();
    // A trailer dictionary that cannot be read gives no /Root, and an update
    // without one would leave a file that no reader opens.
    if (!TrailerKeysName(trailerKeys, "/Root")) {
        error_ = JobError::Damaged;
        damaged_ = true;
        return false;
    }
    if (writeFailed_) {
        error_ = JobError::WriteFailed;
        return false;
    }
    // A rebuilt table is written whole, with offsets counted from the header
    // and without /Prev: the damaged sections are no longer pointed at.
    const bool rebuilt = repair_ == Repair::Rebuilt;
    const int64_t prev = rebuilt ? -1 : sourceStartxref_;
    if (sourceXrefIsStream_) {
        std::vector<XrefStreamRow> rows = WholeTableRows();
        return FinishWithXrefStream(trailerKeys, std::move(rows), prev);
    }

    const int64_t xrefOffset = AppendAtEnd("xref\r\n");
    StopHereForTest("xref", file_);
    AppendAtEnd(rebuilt ? ClassicSubsections(WholeTableRows()) : writeTable_.SubsectionText());
    const std::string size = rebuilt ? Format("<< /Size %ld\r\n", nextObjectNumber_)
                                     : Format("<< /Size %ld/Prev %ld\r\n", nextObjectNumber_, sourceStartxref_);
    AppendAtEnd("trailer\r\n" + size + trailerKeys + "\r\n");
    const int64_t shift = std::max<int64_t>(headerOffset_, 0);
    AppendAtEnd(Format("startxref\r\n%ld\r\n%%%%EOF\r\n", xrefOffset - shift));
    if (!file_.Flush()) writeFailed_ = true;
    if (writeFailed_ || xrefOffset < 0) {
        error_ = JobError::WriteFailed;
        return false;
    }
    newStartxref_ = xrefOffset;
    return true;
}

// The rows of the update's section: its own objects; for a rebuilt table
// every object of the file besides, and the free head of the list.
std::vector<XrefStreamRow> PdfJob::WholeTableRows() const {
    std::vector<XrefStreamRow> rows;
    if (repair_ != Repair::Rebuilt) {
        for (const WriteTable::Entry& entry : writeTable_.Entries())
            rows.push_back({entry.number, entry.generation, entry.offset});
        return rows;
    }
    const int64_t shift = std::max<int64_t>(headerOffset_, 0);
    std::map<int32_t, XrefStreamRow> byNumber;
    byNumber[0] = {0, 65535, 0, 0};
    for (const RebuiltObject& object : rebuiltObjects_) {
        if (object.number == 0) continue;
        byNumber[object.number] = object.stream < 0
                                      ? XrefStreamRow{object.number, object.generation, object.offset - shift}
                                      : XrefStreamRow{object.number, object.index, object.stream, 2};
    }
    for (const WriteTable::Entry& entry : writeTable_.Entries())
        byNumber[entry.number] = {entry.number, entry.generation, entry.offset - shift};
    for (const auto& [number, row] : byNumber) rows.push_back(row);
    return rows;
}

// A source whose newest section is a cross-reference stream may be read by
// programs that know no classic section after it, so the update ends with a
// stream as well. Its own number is taken last, so it is the highest of the
// update and its row closes the last run of /Index.
bool PdfJob::FinishWithXrefStream(const std::string& trailerKeys, std::vector<XrefStreamRow> rows, int64_t prev) {
    const int32_t number = AllocateObjectNumber();
    // An empty append puts the line end a bare "%%EOF" needs first, so the
    // offset is where the stream object itself begins.
    const int64_t offset = AppendAtEnd("");
    if (number < 0 || offset < 0) {
        error_ = JobError::WriteFailed;
        return false;
    }
    const int64_t shift = std::max<int64_t>(headerOffset_, 0);
    rows.push_back({number, 0, offset - shift});
    const XrefStreamBuilder stream(number, rows, nextObjectNumber_, prev, trailerKeys);

    const bool headerOk = AppendAtEnd(stream.Header()) == offset;
    AppendBytes(stream.Data().data(), stream.Data().size());
    AppendAtEnd(XrefStreamBuilder::kTail);
    AppendAtEnd(Format("startxref\r\n%ld\r\n%%%%EOF\r\n", offset - shift));
    if (!file_.Flush()) writeFailed_ = true;
    if (writeFailed_ || !headerOk) {
        error_ = JobError::WriteFailed;
        return false;
    }
    newStartxref_ = offset;
    return true;
}

}  // namespace sgry
