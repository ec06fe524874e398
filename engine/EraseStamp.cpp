#include "engine/EraseStamp.h"

#include <filesystem>
#include <memory>
#include <optional>

#include "engine/JobRunner.h"
#include "engine/PdfJob.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace sgry {

namespace {

EraseOutcome Outcome(EraseResult code, Translatable message, const std::string& path) {
    EraseOutcome outcome;
    outcome.code = code;
    outcome.message = Format(message, path);
    return outcome;
}

std::optional<std::string> ReadRegularFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    return fs::ReadWholeFile(path);
}

// The /Prev of the section at offset: the first "/Prev" token after it (the
// trailer's, or the cross-reference stream dictionary's); -1 without one.
int64_t SectionPrev(PdfJob& job, int64_t offset) {
    TokenReader& reader = job.Reader();
    if (!reader.Seek(offset) || !reader.SearchToken("/Prev")) return -1;
    return reader.ReadInt();
}

// True when the whole file's newest section was written after the marker by
// an update that does not lead straight back to the section before it.
bool LaterUnmarkedUpdate(const std::string& path, const Passwords& passwords, int64_t marker,
                         int64_t prefixStartxref) {
    PdfJob whole(path, passwords);
    if (whole.ErrorCode() != JobError::None || whole.SourceStartxref() <= marker) return false;
    return SectionPrev(whole, whole.SourceStartxref()) != prefixStartxref;
}

// For a source read from a rebuilt table: the whole file must read without
// one, its newest section written after the marker with no /Prev, as the
// update of a rebuilt file is. A marker that stands inside the source's
// objects leaves a file whose sections no longer hold.
// A file with bytes before its header, or none, has its table rebuilt at every reading.
bool UpdateMadeItWhole(const std::string& path, const Passwords& passwords, int64_t marker) {
    PdfJob whole(path, passwords);
    if (whole.ErrorCode() != JobError::None) return false;
    if (whole.HeaderOffset() != 0) return whole.RepairState() == Repair::Rebuilt;
    return whole.RepairState() == Repair::NotNeeded && whole.SourceStartxref() > marker &&
           SectionPrev(whole, whole.SourceStartxref()) < 0;
}

}  // namespace

int64_t FindLastMarker(const std::string& bytes) {
    const std::size_t plain = bytes.rfind(PdfJob::MarkerLine());
    const std::size_t joined = bytes.rfind("\r\n" + PdfJob::MarkerAfterAddedLineEnd());
    if (joined != std::string::npos && (plain == std::string::npos || joined > plain))
        return static_cast<int64_t>(joined);
    return plain == std::string::npos ? -1 : static_cast<int64_t>(plain);
}

EraseOutcome EraseLastStamp(const std::string& path, const Passwords& passwords) {
    std::optional<std::string> read = ReadRegularFile(path);
    if (!read) return Outcome(EraseResult::CannotRead, erase_message::kCannotRead, path);
    std::string bytes = std::move(*read);
    const int64_t marker = FindLastMarker(bytes);
    if (marker < 0) return Outcome(EraseResult::NoMarker, erase_message::kNoMarker, path);

    std::unique_ptr<PdfJob> prefix =
        PdfJob::FromBytes(bytes.substr(0, static_cast<std::size_t>(marker)), passwords);
    JobError code = JobError::None;
    // The prefix is read from memory: its refusal names no file, so the path
    // takes the place of its empty last line.
    if (std::string refusal = SecurityRefusal(*prefix, false, code); !refusal.empty()) {
        EraseOutcome outcome;
        outcome.code = EraseResult::Protected;
        outcome.securityCode = code;
        outcome.message = Format(refusal.substr(0, refusal.rfind("\r\n")) + "\r\n%s", path);
        return outcome;
    }
    // The update of a source read from a rebuilt table (whose damage may have
    // shown only when its pages were walked) has no /Prev.
    const bool madeWhole = prefix->ErrorCode() == JobError::None && UpdateMadeItWhole(path, passwords, marker);
    const bool rebuilt = prefix->RepairState() == Repair::Rebuilt;
    if (prefix->ErrorCode() != JobError::None || (rebuilt && !madeWhole))
        return Outcome(EraseResult::IncompletePrefix, erase_message::kIncompletePrefix, path);
    if (!madeWhole && LaterUnmarkedUpdate(path, passwords, marker, prefix->SourceStartxref()))
        return Outcome(EraseResult::LaterUpdate, erase_message::kLaterUpdate, path);

    bytes.clear();
    prefix.reset();
    std::error_code error;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(marker), error);
    if (error) return Outcome(EraseResult::CannotWrite, erase_message::kCannotWrite, path);
    EraseOutcome outcome = Outcome(EraseResult::Erased, erase_message::kErased, path);
    outcome.newLength = marker;
    return outcome;
}

}  // namespace sgry
