// A library preloaded into sigilry-cli by the system failure sweep: it counts
// the calls of one kind the program makes and fails the N-th.
//   SIGILRY_FAIL_CALL    open, read, write, fsync, ftruncate, rename,
//                        copy_file_range or unlink; each kind takes its
//                        family: open takes openat, fopen and iconv_open
//                        (which opens its modules out of our sight), read
//                        takes pread and fread, write takes pwrite (not on
//                        the standard streams), fsync takes fdatasync,
//                        rename takes renameat, unlink takes unlinkat and
//                        remove
//   SIGILRY_FAIL_AT      the call to fail (1 is the first); 0 fails none
//   SIGILRY_FAIL_COUNT   a file that receives the number of calls of the kind
//                        when the program exits
// A failed call returns its failure value with errno EIO (ENOSPC for a write).
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <stdarg.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::atomic<long> calls{0};

const std::string& Kind() {
    static const std::string kind = [] {
        const char* value = std::getenv("SIGILRY_FAIL_CALL");
        return std::string(value ? value : "");
    }();
    return kind;
}

long FailAt() {
    static const long at = [] {
        const char* value = std::getenv("SIGILRY_FAIL_AT");
        return value ? std::atol(value) : 0L;
    }();
    return at;
}

// Counts a call of `kind`; true when this one is to fail (errno is then set).
bool Fails(const char* kind, int error = EIO) {
    if (Kind() != kind) return false;
    const long n = ++calls;
    if (n != FailAt()) return false;
    errno = error;
    return true;
}

// Written with raw system calls, which nothing here counts.
__attribute__((destructor)) void ReportCount() {
    const char* path = std::getenv("SIGILRY_FAIL_COUNT");
    if (!path) return;
    const std::string text = std::to_string(calls.load()) + "\n";
    const long fd = syscall(SYS_openat, AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    syscall(SYS_write, fd, text.data(), text.size());
    syscall(SYS_close, fd);
}

template <class Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

mode_t ModeArgument(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

#define SGRY_OPEN(name)                                                                \
    int name(const char* path, int flags, ...) {                                       \
        va_list arguments;                                                             \
        va_start(arguments, flags);                                                    \
        const mode_t mode = ModeArgument(flags, arguments);                            \
        va_end(arguments);                                                             \
        if (Fails("open")) return -1;                                                  \
        return Next<int (*)(const char*, int, ...)>(#name)(path, flags, mode);         \
    }
SGRY_OPEN(open)
SGRY_OPEN(open64)

#define SGRY_OPENAT(name)                                                              \
    int name(int dir, const char* path, int flags, ...) {                              \
        va_list arguments;                                                             \
        va_start(arguments, flags);                                                    \
        const mode_t mode = ModeArgument(flags, arguments);                            \
        va_end(arguments);                                                             \
        if (Fails("open")) return -1;                                                  \
        return Next<int (*)(int, const char*, int, ...)>(#name)(dir, path, flags, mode); \
    }
SGRY_OPENAT(openat)
SGRY_OPENAT(openat64)

iconv_t iconv_open(const char* to, const char* from) {
    if (Fails("open")) return reinterpret_cast<iconv_t>(-1);
    return Next<iconv_t (*)(const char*, const char*)>("iconv_open")(to, from);
}

FILE* fopen(const char* path, const char* mode) {
    if (Fails("open")) return nullptr;
    return Next<FILE* (*)(const char*, const char*)>("fopen")(path, mode);
}
FILE* fopen64(const char* path, const char* mode) {
    if (Fails("open")) return nullptr;
    return Next<FILE* (*)(const char*, const char*)>("fopen64")(path, mode);
}

ssize_t read(int fd, void* buffer, size_t size) {
    if (Fails("read")) return -1;
    return Next<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, size);
}
ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
    if (Fails("read")) return -1;
    return Next<ssize_t (*)(int, void*, size_t, off_t)>("pread")(fd, buffer, size, offset);
}
ssize_t pread64(int fd, void* buffer, size_t size, off_t offset) {
    if (Fails("read")) return -1;
    return Next<ssize_t (*)(int, void*, size_t, off_t)>("pread64")(fd, buffer, size, offset);
}
size_t fread(void* buffer, size_t size, size_t count, FILE* file) {
    if (Fails("read")) return 0;
    return Next<size_t (*)(void*, size_t, size_t, FILE*)>("fread")(buffer, size, count, file);
}

ssize_t write(int fd, const void* buffer, size_t size) {
    if (fd > STDERR_FILENO && Fails("write", ENOSPC)) return -1;
    return Next<ssize_t (*)(int, const void*, size_t)>("write")(fd, buffer, size);
}
ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset) {
    if (Fails("write", ENOSPC)) return -1;
    return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, buffer, size, offset);
}
ssize_t pwrite64(int fd, const void* buffer, size_t size, off_t offset) {
    if (Fails("write", ENOSPC)) return -1;
    return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64")(fd, buffer, size, offset);
}

int fsync(int fd) {
    if (Fails("fsync")) return -1;
    return Next<int (*)(int)>("fsync")(fd);
}
int fdatasync(int fd) {
    if (Fails("fsync")) return -1;
    return Next<int (*)(int)>("fdatasync")(fd);
}

int ftruncate(int fd, off_t length) {
    if (Fails("ftruncate")) return -1;
    return Next<int (*)(int, off_t)>("ftruncate")(fd, length);
}
int ftruncate64(int fd, off_t length) {
    if (Fails("ftruncate")) return -1;
    return Next<int (*)(int, off_t)>("ftruncate64")(fd, length);
}
int truncate(const char* path, off_t length) {
    if (Fails("ftruncate")) return -1;
    return Next<int (*)(const char*, off_t)>("truncate")(path, length);
}

int rename(const char* from, const char* to) {
    if (Fails("rename")) return -1;
    return Next<int (*)(const char*, const char*)>("rename")(from, to);
}
int renameat(int fromDir, const char* from, int toDir, const char* to) {
    if (Fails("rename")) return -1;
    return Next<int (*)(int, const char*, int, const char*)>("renameat")(fromDir, from, toDir, to);
}

ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t size, unsigned flags) {
    if (Fails("copy_file_range")) return -1;
    return Next<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned)>("copy_file_range")(
        in, inOffset, out, outOffset, size, flags);
}

int unlink(const char* path) {
    if (Fails("unlink")) return -1;
    return Next<int (*)(const char*)>("unlink")(path);
}
int unlinkat(int dir, const char* path, int flags) {
    if (Fails("unlink")) return -1;
    return Next<int (*)(int, const char*, int)>("unlinkat")(dir, path, flags);
}
int remove(const char* path) {
    if (Fails("unlink")) return -1;
    return Next<int (*)(const char*)>("remove")(path);
}

}  // extern "C"
