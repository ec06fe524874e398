#include "platform/DurableFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>

#include "platform/FileSystem.h"

namespace sgry::fs {

namespace {

std::atomic<bool> syncEnabled{true};

constexpr std::string_view kTempPrefix = ".~";
constexpr std::string_view kTempSuffix = ".sgry-tmp";

// The process id in ".~<name>.<pid>.sgry-tmp", or -1 for another name.
long TempFileProcess(std::string_view name) {
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return -1;
    name.remove_suffix(kTempSuffix.size());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return -1;
    long pid = -1;
    const auto [end, error] = std::from_chars(name.data() + dot + 1, name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0) return -1;
    return pid;
}

bool ProcessIsGone(long pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

bool SyncDescriptorOf(const std::string& path, int flags) {
    if (!SyncEnabled()) return true;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

// A file without a name in a folder (an anonymous file reached through a
// /proc/self/fd link) cannot be renamed over: it is written in place.
bool WriteInPlace(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    ok = (!SyncEnabled() || ::fsync(fd) == 0) && ok;
    return ::close(fd) == 0 && ok;
}

bool SameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

void SetSyncEnabled(bool enabled) { syncEnabled = enabled; }

bool SyncEnabled() { return syncEnabled; }

std::string FolderOf(const std::string& path) {
    const std::string folder = SplitPath(path).folder;
    return folder.empty() ? std::string("./") : folder;
}

void StartWriteback(const std::string& path) {
    if (!SyncEnabled()) return;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    static_cast<void>(::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE));
    ::close(fd);
}

bool SyncFile(const std::string& path) { return SyncDescriptorOf(path, O_RDONLY); }

bool SyncFolderOf(const std::string& path) { return SyncDescriptorOf(FolderOf(path), O_RDONLY | O_DIRECTORY); }

std::vector<int> SyncFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) StartWriteback(path);
    std::vector<int> errors;
    for (const std::string& path : paths) errors.push_back(SyncFile(path) ? 0 : (errno != 0 ? errno : EIO));
    return errors;
}

int SyncFoldersOf(const std::vector<std::string>& paths) {
    std::set<std::string> folders;
    for (const std::string& path : paths) folders.insert(FolderOf(path));
    int first = 0;
    for (const std::string& folder : folders)
        if (!SyncDescriptorOf(folder, O_RDONLY | O_DIRECTORY) && first == 0) first = errno != 0 ? errno : EIO;
    return first;
}

bool RenameDurably(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 && SyncFolderOf(to);
}

// A file system without RENAME_NOREPLACE gets the same through a hard link,
// which also fails when the name is taken.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    return ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
}

bool CreateFoldersDurably(const std::string& folder) {
    std::filesystem::path path = std::filesystem::path(folder).lexically_normal();
    if (!path.has_filename()) path = path.parent_path();
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error)) return true;
    if (!CreateFoldersDurably(path.parent_path().native())) return false;
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return false;
    return SyncFolderOf(path.native());
}

bool RemoveDurably(const std::string& path) {
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) return false;
    return SyncFolderOf(path);
}

std::string ProcessTempPathFor(const std::string& target) {
    return FolderOf(target) + std::string(kTempPrefix) + FileNameOf(target) + "." + std::to_string(::getpid()) +
           std::string(kTempSuffix);
}

void RemoveOrphanedTempFiles(const std::string& folder) {
    // Once a process is enough: a batch of many files in one folder would
    // otherwise read the whole folder again for every file. Only a process
    // that has died leaves such files, and the next run takes those.
    static std::mutex mutex;
    static std::set<std::string> searched;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!searched.insert(folder).second) return;
    }
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const long pid = TempFileProcess(entry->path().filename().native());
        std::error_code ignored;
        if (pid > 0 && ProcessIsGone(pid)) std::filesystem::remove(entry->path(), ignored);
    }
}

namespace {

// Writes bytes to this process's temporary name beside path, created anew
// (a file or link left at that name is removed, never followed); synced when
// sync is set. keptMode: the permission bits to give it, or -1 for a new
// file's. On failure nothing is left at the temporary name.
bool WriteTemp(const std::string& path, std::string_view bytes, int keptMode, bool sync) {
    const std::string temp = ProcessTempPathFor(path);
    ::unlink(temp.c_str());
    const int fd = CreateNewFile(temp, keptMode < 0 ? 0666 : 0600);
    if (fd < 0) return false;
    bool ok = (keptMode < 0 || ::fchmod(fd, static_cast<mode_t>(keptMode)) == 0) && WriteAll(fd, bytes);
    ok = (!sync || !SyncEnabled() || ::fsync(fd) == 0) && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok) return true;
    const int error = errno;  // the caller reports why it failed, not the cleanup
    std::remove(temp.c_str());
    errno = error;
    return false;
}

// WriteTemp, synced, renamed over path: a link at path is replaced, not
// written through.
bool WriteThroughTemp(const std::string& path, std::string_view bytes, int keptMode) {
    if (!WriteTemp(path, bytes, keptMode, true)) return false;
    const std::string temp = ProcessTempPathFor(path);
    if (RenameDurably(temp, path)) return true;
    const int error = errno;
    std::remove(temp.c_str());
    errno = error;
    return false;
}

}  // namespace

// The replacement keeps what the old file was: a file that may not be
// written is refused (as writing it in place was), its permission bits are
// kept, and a symbolic link stays a link (its target is replaced).
bool ReplaceFileContents(const std::string& linkOrPath, std::string_view bytes) {
    struct stat old {};
    const bool exists = ::stat(linkOrPath.c_str(), &old) == 0;
    std::error_code error;
    const std::string path = exists ? std::filesystem::canonical(linkOrPath, error).string() : linkOrPath;
    if (exists && ::access(linkOrPath.c_str(), W_OK) != 0) return false;
    if (exists && (error || !SameFile(old, path))) return WriteInPlace(linkOrPath, bytes);
    return WriteThroughTemp(path, bytes, exists ? static_cast<int>(old.st_mode & 07777) : -1);
}

bool PublishNewFile(const std::string& path, std::string_view bytes) { return WriteThroughTemp(path, bytes, -1); }

bool WriteNewTemp(const std::string& path, std::string_view bytes) { return WriteTemp(path, bytes, -1, false); }

}  // namespace sgry::fs
