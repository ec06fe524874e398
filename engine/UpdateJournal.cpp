#include "engine/UpdateJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace sgry {

namespace {

constexpr std::string_view kJournalHeader = "%Sigilry-journal 2\r\n";
constexpr std::string_view kJournalSuffix = ".sgry-journal";
constexpr int64_t kTailBytes = 4096;
constexpr std::size_t kLargestJournal = 512;

// What a journal records of the file as it was before the update.
struct JournalRecord {
    fs::FileIdentity identity;
    int64_t length = 0;
    int64_t tailCount = 0;
    uint32_t tailCrc = 0;
};

struct Tail {
    int64_t count = 0;
    uint32_t crc = 0;
};

// The checksum of the bytes just before `length` in the open file.
std::optional<Tail> TailBefore(int fd, int64_t length) {
    Tail tail;
    tail.count = std::min(length, kTailBytes);
    std::string bytes(static_cast<std::size_t>(tail.count), '\0');
    const ssize_t read = ::pread(fd, bytes.data(), bytes.size(), static_cast<off_t>(length - tail.count));
    if (read != static_cast<ssize_t>(bytes.size())) return std::nullopt;
    tail.crc = static_cast<uint32_t>(
        ::crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    return tail;
}

std::string JournalText(const JournalRecord& record) {
    return Format("%sdevice=%llu\r\ninode=%llu\r\nlength=%lld\r\ntail=%lld %08x\r\n", kJournalHeader,
                  static_cast<unsigned long long>(record.identity.device),
                  static_cast<unsigned long long>(record.identity.inode), static_cast<long long>(record.length),
                  static_cast<long long>(record.tailCount), record.tailCrc);
}

// Reads "<key>=<number><end>" at text's front and moves past it.
template <class Number>
bool TakeField(std::string_view& text, std::string_view key, Number& value, std::string_view end = "\r\n",
               int base = 10) {
    if (!text.starts_with(key) || text.size() <= key.size() || text[key.size()] != '=') return false;
    text.remove_prefix(key.size() + 1);
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    const std::size_t used = static_cast<std::size_t>(stop - text.data());
    if (error != std::errc() || used == 0 || !text.substr(used).starts_with(end)) return false;
    text.remove_prefix(used + end.size());
    return true;
}

std::optional<JournalRecord> ParseJournal(std::string_view text) {
    if (!text.starts_with(kJournalHeader)) return std::nullopt;
    text.remove_prefix(kJournalHeader.size());
    JournalRecord record;
    if (!TakeField(text, "device", record.identity.device) || !TakeField(text, "inode", record.identity.inode) ||
        !TakeField(text, "length", record.length) || !TakeField(text, "tail", record.tailCount, " "))
        return std::nullopt;
    // The checksum is eight hex digits and the journal's last line.
    if (text.size() != 10 || !text.ends_with("\r\n")) return std::nullopt;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + 8, record.tailCrc, 16);
    if (error != std::errc() || stop != text.data() + 8) return std::nullopt;
    if (record.length < 0 || record.tailCount != std::min(record.length, kTailBytes)) return std::nullopt;
    return record;
}

// The journal at path, read without following a link; nullopt when it is no
// journal this program wrote.
std::optional<JournalRecord> ReadJournal(const std::string& path) {
    const fs::Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    std::string text(kLargestJournal, '\0');
    const ssize_t read = ::read(fd.Get(), text.data(), text.size());
    if (read <= 0 || static_cast<std::size_t>(read) == text.size()) return std::nullopt;
    text.resize(static_cast<std::size_t>(read));
    return ParseJournal(text);
}

// The journal of another name of the same file in the folder of realPath,
// or "" when there is none.
std::string JournalOfOtherName(const std::string& realPath, const fs::FileIdentity& identity) {
    std::error_code error;
    std::filesystem::directory_iterator entry(fs::FolderOf(realPath), error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().native();
        if (!name.starts_with(".") || !name.ends_with(kJournalSuffix)) continue;
        const std::optional<JournalRecord> record = ReadJournal(entry->path().native());
        if (record && record->identity == identity) return entry->path().native();
    }
    return std::string();
}

// The name of the file itself when path is a symbolic link; a linked folder
// on the way needs nothing, as its name leads to the same folder.
std::string RealPathOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? path : real.native();
}

RecoveryOutcome Refusal(Translatable reason, const std::string& journal, const std::string& path) {
    RecoveryOutcome outcome;
    outcome.refused = true;
    outcome.message = Format(recovery_message::kJournalMismatch, reason.Text(), journal, path);
    return outcome;
}

}  // namespace

std::string JournalPathOf(const std::string& path) {
    const std::string real = RealPathOf(path);
    return fs::FolderOf(real) + "." + fs::FileNameOf(real) + std::string(kJournalSuffix);
}

// The journal's text for the file at path as it is now.
std::optional<std::string> UpdateJournal::Record(const std::string& path, int64_t lengthBefore) {
    const fs::Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0) return std::nullopt;
    const std::optional<Tail> tail = TailBefore(fd.Get(), lengthBefore);
    if (!tail) return std::nullopt;
    JournalRecord record;
    record.identity = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    record.length = lengthBefore;
    record.tailCount = tail->count;
    record.tailCrc = tail->crc;
    return JournalText(record);
}

bool UpdateJournal::Begin(const std::string& path, int64_t lengthBefore) {
    const std::optional<std::string> text = Record(path, lengthBefore);
    if (!text || !fs::PublishNewFile(JournalPathOf(path), *text)) return false;
    path_ = path;
    lengthBefore_ = lengthBefore;
    return true;
}

bool UpdateJournal::Write(const std::string& path, int64_t lengthBefore) {
    const std::optional<std::string> text = Record(path, lengthBefore);
    if (!text || !fs::WriteNewTemp(JournalPathOf(path), *text)) return false;
    written_ = path;
    lengthBefore_ = lengthBefore;
    return true;
}

std::string UpdateJournal::TempPath() const {
    return written_.empty() ? std::string() : fs::ProcessTempPathFor(JournalPathOf(written_));
}

bool UpdateJournal::Publish() {
    if (written_.empty()) return false;
    const std::string temp = TempPath();
    if (std::rename(temp.c_str(), JournalPathOf(written_).c_str()) != 0) {
        std::remove(temp.c_str());
        written_.clear();
        return false;
    }
    path_ = std::move(written_);
    written_.clear();
    return true;
}

bool UpdateJournal::Remove() {
    if (path_.empty()) return true;
    if (std::remove(JournalPathOf(path_).c_str()) != 0 && errno != ENOENT) return false;
    path_.clear();
    return true;
}

bool UpdateJournal::Complete() { return path_.empty() || (fs::SyncFile(path_) && CompleteSynced()); }

bool UpdateJournal::CompleteSynced() {
    if (path_.empty()) return true;
    const std::string journal = JournalPathOf(path_);
    return Remove() && fs::SyncFolderOf(journal);
}

namespace {

// The journal of the locked file and what it says of it; outcome holds the
// refusal when a journal was found that does not match the file.
struct JournalFinding {
    RecoveryOutcome outcome;
    std::string journal;  // "" when the file has no journal it matches
    int64_t length = 0;   // the journal's length of the file
    int64_t size = 0;     // the file's length now
};

JournalFinding FindJournal(const std::string& path, const fs::FileLock& lock) {
    JournalFinding found;
    if (!lock.Held()) return found;  // the file cannot be read: its run fails on its own
    std::string journal = JournalPathOf(path);
    struct stat journalInfo {};
    struct stat fileInfo {};
    if (::fstat(lock.Fd(), &fileInfo) != 0) return found;
    if (::lstat(journal.c_str(), &journalInfo) != 0) {
        if (fileInfo.st_nlink < 2) return found;
        journal = JournalOfOtherName(RealPathOf(path), lock.Identity());
        if (journal.empty()) return found;
    } else if (S_ISLNK(journalInfo.st_mode)) {
        found.outcome = Refusal(recovery_message::kJournalIsLink, journal, path);
        return found;
    }
    const std::optional<JournalRecord> record = ReadJournal(journal);
    const int64_t size = static_cast<int64_t>(fileInfo.st_size);
    const std::optional<Tail> tail =
        record && size >= record->length ? TailBefore(lock.Fd(), record->length) : std::nullopt;
    if (!record) found.outcome = Refusal(recovery_message::kJournalUnreadable, journal, path);
    else if (!(record->identity == lock.Identity())) found.outcome = Refusal(recovery_message::kOtherFile, journal, path);
    else if (size < record->length) found.outcome = Refusal(recovery_message::kShorter, journal, path);
    else if (!tail || tail->crc != record->tailCrc) found.outcome = Refusal(recovery_message::kTailChanged, journal, path);
    else found = {RecoveryOutcome(), journal, record->length, size};
    return found;
}

RecoveryOutcome Refused(Translatable message, const std::string& path) {
    RecoveryOutcome outcome;
    outcome.refused = true;
    outcome.message = Format(message, path);
    return outcome;
}

}  // namespace

RecoveryOutcome RecoverInterruptedUpdate(const std::string& path, const fs::FileLock& lock) {
    const JournalFinding found = FindJournal(path, lock);
    if (found.journal.empty()) return found.outcome;
    RecoveryOutcome outcome;
    if (found.size > found.length) {
        const bool cut = lock.Writable() && ::ftruncate(lock.Fd(), static_cast<off_t>(found.length)) == 0 &&
                         (!fs::SyncEnabled() || ::fsync(lock.Fd()) == 0);
        if (!cut) return Refused(recovery_message::kCannotRestore, path);
        outcome.restored = true;
        outcome.message = Format(recovery_message::kRestored, path);
    }
    fs::RemoveDurably(found.journal);
    return outcome;
}

RecoveryOutcome CheckInterruptedUpdate(const std::string& path, const fs::FileLock& lock) {
    const JournalFinding found = FindJournal(path, lock);
    if (!found.journal.empty() && found.size > found.length) return Refused(recovery_message::kTornLeftAsIs, path);
    return found.outcome;
}

}  // namespace sgry
