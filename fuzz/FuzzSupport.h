#pragma once
// Helpers shared by the fuzz targets and by the tests that replay their
// corpus: the readers under test take a path, so the input bytes are put in
// an anonymous in-memory file and handed over as /proc/self/fd/N.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Format.h"

namespace sgry::fuzz {

// An anonymous file holding the given bytes; removed when destroyed.
class MemoryFile {
public:
    explicit MemoryFile(std::string_view bytes) {
        fd_ = ::memfd_create("sigilry-fuzz", MFD_CLOEXEC);
        if (fd_ < 0) std::abort();  // the machine cannot run the target at all
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
        path_ = Format("/proc/self/fd/%d", fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

inline std::string_view AsText(const uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A broken invariant: names it and aborts, so that libFuzzer records the
// input (and a replaying test dies with it).
[[noreturn]] inline void Broken(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "broken invariant: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

}  // namespace sgry::fuzz

#define SGRY_FUZZ_EXPECT(condition) \
    ((condition) ? void() : ::sgry::fuzz::Broken(#condition, __FILE__, __LINE__))
