#include "engine/UpdateJournal.h"

#include <charconv>
#include <filesystem>
#include <optional>

#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace sgry {

namespace {

constexpr const char* kJournalHeader = "%Sigilry-journal 1\r\n";

std::optional<int64_t> ReadJournal(const std::string& journalPath) {
    const std::optional<std::string> read = fs::ReadWholeFile(journalPath);
    if (!read) return std::nullopt;
    const std::string& text = *read;
    const std::string header = kJournalHeader;
    if (!text.starts_with(header) || !text.ends_with("\r\n")) return std::nullopt;
    int64_t length = -1;
    const char* first = text.data() + header.size();
    const char* last = text.data() + text.size() - 2;
    const auto [end, error] = std::from_chars(first, last, length);
    if (error != std::errc() || end != last || length < 0) return std::nullopt;
    return length;
}

bool CutBack(const std::string& path, int64_t length) {
    std::error_code error;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(length), error);
    return !error && fs::SyncFile(path);
}

}  // namespace

std::string JournalPathOf(const std::string& path) {
    return fs::FolderOf(path) + "." + fs::FileNameOf(path) + ".sgry-journal";
}

bool UpdateJournal::Begin(const std::string& path, int64_t lengthBefore) {
    if (!fs::ReplaceFileContents(JournalPathOf(path), Format("%s%ld\r\n", kJournalHeader, lengthBefore)))
        return false;
    path_ = path;
    return true;
}

bool UpdateJournal::Complete() { return path_.empty() || (fs::SyncFile(path_) && CompleteSynced()); }

bool UpdateJournal::CompleteSynced() {
    if (path_.empty()) return true;
    if (!fs::RemoveDurably(JournalPathOf(path_))) return false;
    path_.clear();
    return true;
}

RecoveryOutcome RecoverInterruptedUpdate(const std::string& path) {
    RecoveryOutcome outcome;
    const std::string journal = JournalPathOf(path);
    std::error_code error;
    if (!std::filesystem::exists(journal, error)) return outcome;
    const std::optional<int64_t> length = ReadJournal(journal);
    const auto size = std::filesystem::file_size(path, error);
    if (length && !error && static_cast<int64_t>(size) > *length) {
        if (!CutBack(path, *length)) {
            outcome.failed = true;
            outcome.message = Format(recovery_message::kCannotRestore, path);
            return outcome;
        }
        outcome.restored = true;
        outcome.message = Format(recovery_message::kRestored, path);
    }
    fs::RemoveDurably(journal);
    return outcome;
}

}  // namespace sgry
