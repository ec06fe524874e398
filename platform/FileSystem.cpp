#include "platform/FileSystem.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <set>

#include "platform/Descriptor.h"

namespace sgry::fs {

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    parts.folder = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) {
        parts.baseName = name;
    } else {
        parts.baseName = name.substr(0, dot);
        parts.extension = name.substr(dot);
    }
    return parts;
}

std::string FileNameOf(const std::string& path) {
    const PathParts parts = SplitPath(path);
    return parts.baseName + parts.extension;
}

namespace {

// The bytes of from after to, which starts empty: shared with the source
// where the file system can (a clone costs no copying), else copied inside
// the kernel, else read and written from where the kernel's copy stopped
// (it moves both descriptors' positions).
bool CopyContents(int from, int to, int64_t size, dev_t device) {
    // A file system that cannot clone says so for every file: it is asked once.
    static std::mutex mutex;
    static std::set<dev_t> noClones;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!noClones.contains(device)) {
            if (::ioctl(to, FICLONE, from) == 0) return true;
            if (errno == EOPNOTSUPP || errno == ENOTTY) noClones.insert(device);
        }
    }
    int64_t copied = 0;
    while (copied < size) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(size - copied), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        copied += n;
    }
    if (copied == size) return true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0;
        if (!WriteAll(to, std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
    }
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    Descriptor in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0) return std::nullopt;
    std::string bytes;
    struct stat st {};
    if (::fstat(in.Get(), &st) == 0 && S_ISREG(st.st_mode))
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(in.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

namespace {

bool CopyFileTo(const std::string& source, const std::string& target, int createFlags) {
    Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat sourceStat {};
    if (from.Get() < 0 || ::fstat(from.Get(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) return false;
    // Not truncated on opening: the target may be the source itself.
    Descriptor to(::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | createFlags, 0600));
    struct stat targetStat {};
    if (to.Get() < 0 || ::fstat(to.Get(), &targetStat) != 0) return false;
    if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) return false;
    const bool emptied = targetStat.st_size == 0 || ::ftruncate(to.Get(), 0) == 0;
    const bool copied = emptied && CopyContents(from.Get(), to.Get(), sourceStat.st_size, targetStat.st_dev) &&
                        ::fchmod(to.Get(), sourceStat.st_mode & 07777) == 0;
    if (to.Close() && copied) return true;
    const int error = errno;  // the caller reports why it failed, not the cleanup
    ::unlink(target.c_str());
    errno = error;
    return false;
}

}  // namespace

bool CopyFileReplacing(const std::string& source, const std::string& target) {
    return CopyFileTo(source, target, 0);
}

bool CopyToNewFile(const std::string& source, const std::string& target) {
    return CopyFileTo(source, target, O_EXCL | O_NOFOLLOW);
}

int CreateNewFile(const std::string& path, unsigned mode) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(mode));
}

bool EndsWithIgnoreCase(const std::string& text, const std::string& suffix) {
    if (suffix.size() > text.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(text[text.size() - suffix.size() + i]) != lower(suffix[i])) return false;
    }
    return true;
}

}  // namespace sgry::fs
