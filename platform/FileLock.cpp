#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace sgry::fs {

namespace {

// O_NONBLOCK: opening a FIFO by mistake must not wait for a writer.
constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

bool LockWhole(int fd, short type, int& error) {
    struct flock whole {};
    whole.l_type = type;
    whole.l_whence = SEEK_SET;
    whole.l_start = 0;
    whole.l_len = 0;  // to the end, however long the file grows
    if (::fcntl(fd, F_OFD_SETLK, &whole) == 0) return true;
    error = errno;
    return false;
}

}  // namespace

FileLock::FileLock(const std::string& path, LockAccess access) {
    if (access == LockAccess::Update) fd_ = Descriptor(::open(path.c_str(), O_RDWR | kOpenFlags));
    writable_ = fd_.Get() >= 0;
    const bool onlyReadable = access == LockAccess::ReadOnly || errno == EACCES || errno == EROFS || errno == ETXTBSY;
    if (!writable_ && onlyReadable)
        fd_ = Descriptor(::open(path.c_str(), O_RDONLY | kOpenFlags));
    struct stat info {};
    if (fd_.Get() < 0 || ::fstat(fd_.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        fd_.Close();
        return;
    }
    identity_ = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    int error = 0;
    if (LockWhole(fd_.Get(), writable_ ? F_WRLCK : F_RDLCK, error)) {
        state_ = State::Held;
        return;
    }
    if (error == EAGAIN || error == EACCES) state_ = State::Busy;
    fd_.Close();
}

}  // namespace sgry::fs
