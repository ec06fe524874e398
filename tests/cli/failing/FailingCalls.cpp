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
bool Fails(const char* kind) {
    if (Kind() != kind) return false;
    const long n = ++calls;
    if (n != FailAt()) return false;
    errno = Kind() == "write" ? ENOSPC : EIO;
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

// A call of `kind` that returns `failed` when it is the one to fail.
#define SGRY_FAILING(result, name, kind, failed, parameters, arguments) \
    result name parameters {                                             \
        if (Fails(kind)) return failed;                                  \
        return Next<result(*) parameters>(#name) arguments;              \
    }

SGRY_FAILING(iconv_t, iconv_open, "open", reinterpret_cast<iconv_t>(-1), (const char* to, const char* from), (to, from))
SGRY_FAILING(FILE*, fopen, "open", nullptr, (const char* path, const char* mode), (path, mode))
SGRY_FAILING(FILE*, fopen64, "open", nullptr, (const char* path, const char* mode), (path, mode))
SGRY_FAILING(ssize_t, read, "read", -1, (int fd, void* buffer, size_t size), (fd, buffer, size))
SGRY_FAILING(ssize_t, pread, "read", -1, (int fd, void* buffer, size_t size, off_t at), (fd, buffer, size, at))
SGRY_FAILING(ssize_t, pread64, "read", -1, (int fd, void* buffer, size_t size, off_t at), (fd, buffer, size, at))
SGRY_FAILING(size_t, fread, "read", 0, (void* buffer, size_t size, size_t count, FILE* file), (buffer, size, count, file))
SGRY_FAILING(ssize_t, pwrite, "write", -1, (int fd, const void* data, size_t size, off_t at), (fd, data, size, at))
SGRY_FAILING(ssize_t, pwrite64, "write", -1, (int fd, const void* data, size_t size, off_t at), (fd, data, size, at))
SGRY_FAILING(int, fsync, "fsync", -1, (int fd), (fd))
SGRY_FAILING(int, fdatasync, "fsync", -1, (int fd), (fd))
SGRY_FAILING(int, ftruncate, "ftruncate", -1, (int fd, off_t length), (fd, length))
SGRY_FAILING(int, ftruncate64, "ftruncate", -1, (int fd, off_t length), (fd, length))
SGRY_FAILING(int, truncate, "ftruncate", -1, (const char* path, off_t length), (path, length))
SGRY_FAILING(int, rename, "rename", -1, (const char* from, const char* to), (from, to))
SGRY_FAILING(int, renameat, "rename", -1, (int fromDir, const char* from, int toDir, const char* to),
             (fromDir, from, toDir, to))
SGRY_FAILING(ssize_t, copy_file_range, "copy_file_range", -1,
             (int in, off64_t* inAt, int out, off64_t* outAt, size_t size, unsigned flags),
             (in, inAt, out, outAt, size, flags))
SGRY_FAILING(int, unlink, "unlink", -1, (const char* path), (path))
SGRY_FAILING(int, unlinkat, "unlink", -1, (int dir, const char* path, int flags), (dir, path, flags))
SGRY_FAILING(int, remove, "unlink", -1, (const char* path), (path))

// The standard streams' writes (messages) are not counted.
ssize_t write(int fd, const void* data, size_t size) {
    if (fd > STDERR_FILENO && Fails("write")) return -1;
    return Next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}

}  // extern "C"
