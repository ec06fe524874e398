#include "pdf/PdfFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace sgry {

namespace {
// Small blocks: a page object between two large images costs a small read.
// Few of them: reading a block again from the system's cache costs less than
// the first touch of fresh memory for it (about 11 µs a page on a virtual
// machine; 8 blocks instead of 16 saved 34 of 235 page faults on a 70-page
// file of images, and read no block more on it).
constexpr int64_t kBlockSize = 16 * 1024;
constexpr size_t kCachedBlocks = 8;
// Reserved whole at the first append, so that it never moves as it fills.
constexpr size_t kAppendBufferSize = 64 * 1024;
}  // namespace

class PdfFile::Backend {
public:
    virtual ~Backend() = default;
    virtual int64_t ReadAt(int64_t offset, char* out, size_t n) = 0;  // -1 on error
    virtual bool WriteAt(int64_t offset, const char* data, size_t n) = 0;
    virtual int64_t Size() const = 0;
    virtual bool Sync() { return true; }
    virtual bool Truncate(int64_t length) = 0;
    virtual const std::string& Bytes() const {
        static const std::string kNone;
        return kNone;
    }
};

class PdfFile::FileBackend final : public Backend {
public:
    FileBackend(int fd, bool writable, int64_t size) : fd_(fd), writable_(writable), size_(size) {}
    ~FileBackend() override { ::close(fd_); }

    int64_t ReadAt(int64_t offset, char* out, size_t n) override {
        for (;;) {
            ssize_t r = ::pread(fd_, out, n, static_cast<off_t>(offset));
            if (r >= 0) return r;
            if (errno != EINTR) return -1;
        }
    }
    bool WriteAt(int64_t offset, const char* data, size_t n) override {
        if (!writable_) return false;
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(fd_, data + done, n - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                size_ = std::max(size_, offset + static_cast<int64_t>(done));
                return false;
            }
            done += static_cast<size_t>(r);
        }
        size_ = std::max(size_, offset + static_cast<int64_t>(n));
        return true;
    }
    int64_t Size() const override { return size_; }
    bool Truncate(int64_t length) override {
        if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) return false;
        size_ = length;
        return true;
    }

private:
    int fd_;
    bool writable_;
    int64_t size_;
};

class PdfFile::MemoryBackend final : public Backend {
public:
    explicit MemoryBackend(std::string bytes) : bytes_(std::move(bytes)) {}
    int64_t ReadAt(int64_t offset, char* out, size_t n) override {
        if (offset < 0 || offset >= Size()) return 0;
        size_t count = std::min(n, bytes_.size() - static_cast<size_t>(offset));
        std::copy_n(bytes_.data() + offset, count, out);
        return static_cast<int64_t>(count);
    }
    bool WriteAt(int64_t offset, const char* data, size_t n) override {
        if (offset < 0) return false;
        const size_t end = static_cast<size_t>(offset) + n;
        if (end > bytes_.size()) bytes_.resize(end, '\0');
        std::copy_n(data, n, bytes_.data() + offset);
        return true;
    }
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
    bool Truncate(int64_t length) override {
        if (length < 0) return false;
        bytes_.resize(static_cast<size_t>(length));
        return true;
    }
    const std::string& Bytes() const override { return bytes_; }

private:
    std::string bytes_;
};

PdfFile::PdfFile() = default;
PdfFile::~PdfFile() = default;

bool PdfFile::OpenRead(const std::string& path) {
    if (IsOpen()) Close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    backend_ = std::make_unique<FileBackend>(fd, false, static_cast<int64_t>(st.st_size));
    return true;
}

bool PdfFile::OpenUpdate(const std::string& path) {
    if (IsOpen()) Close();
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    backend_ = std::make_unique<FileBackend>(fd, true, static_cast<int64_t>(st.st_size));
    return true;
}

void PdfFile::OpenMemory(std::string bytes) {
    if (IsOpen()) Close();
    backend_ = std::make_unique<MemoryBackend>(std::move(bytes));
}

void PdfFile::Close() {
    CloseKeepingReads();
    blocks_.clear();
}

void PdfFile::CloseKeepingReads() {
    WritePending();
    LeaveRegion();
    backend_.reset();
    pos_ = 0;
    bufStart_ = 0;
    bufLen_ = 0;
    pending_.clear();
    writeFailed_ = false;
    writeErrno_ = 0;
    readFailed_ = false;
    readEnd_ = -1;
}

bool PdfFile::IsOpen() const { return backend_ != nullptr; }

int64_t PdfFile::Size() const { return backend_ ? backend_->Size() + static_cast<int64_t>(pending_.size()) : 0; }

bool PdfFile::Fill() {
    if (!backend_ || pos_ < 0) return false;
    const int64_t start = pos_ - pos_ % kBlockSize;
    // A block that reaches past the written bytes may hold buffered ones.
    if (!pending_.empty() && start + kBlockSize > backend_->Size()) WritePending();
    Block& block = CachedBlock(start, pos_);
    data_ = block.bytes.get();
    bufStart_ = block.start;
    bufLen_ = block.length;
    ClampToReadEnd();
    return pos_ < bufStart_ + bufLen_;
}

void PdfFile::EndReadsAt(int64_t offset) {
    readEnd_ = offset;
    if (!inRegion_) ClampToReadEnd();
}

void PdfFile::ClampToReadEnd() {
    if (readEnd_ >= 0) bufLen_ = std::clamp<int64_t>(readEnd_ - bufStart_, 0, bufLen_);
}

// The block that starts at start and holds the byte at needed. A short block
// (the file's end) is read again only for a byte past what it holds: the file
// may have grown into it since. The least recently used block makes room for
// a new one.
PdfFile::Block& PdfFile::CachedBlock(int64_t start, int64_t needed) {
    Block* chosen = nullptr;
    for (Block& block : blocks_) {
        if (block.start == start) {
            chosen = &block;
            break;
        }
        if (!chosen || block.lastUse < chosen->lastUse) chosen = &block;
    }
    if (blocks_.size() < kCachedBlocks && (!chosen || chosen->start != start)) chosen = &blocks_.emplace_back();
    chosen->lastUse = ++useCount_;
    if (chosen->start == start && needed < start + chosen->length) return *chosen;
    if (!chosen->bytes) chosen->bytes = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(kBlockSize));
    const int64_t got = backend_->ReadAt(start, chosen->bytes.get(), static_cast<size_t>(kBlockSize));
    if (got < 0) readFailed_ = true;
    chosen->start = start;
    chosen->length = got > 0 ? got : 0;
    return *chosen;
}

void PdfFile::ForgetBlocksFrom(int64_t offset) {
    for (Block& block : blocks_)
        if (block.start >= 0 && block.start + block.length > offset) block.start = -1;
    if (!inRegion_ && bufStart_ + bufLen_ > offset) bufLen_ = 0;
}

int PdfFile::ReadByteSlow() {
    if (inRegion_ || !Fill()) return -1;
    return static_cast<unsigned char>(data_[pos_++ - bufStart_]);
}

size_t PdfFile::Read(char* out, size_t n) {
    size_t done = 0;
    while (done < n) {
        if (const std::string_view ahead = Buffered(); !ahead.empty()) {
            const size_t take = std::min(n - done, ahead.size());
            std::copy_n(ahead.data(), take, out + done);
            Skip(take);
            done += take;
            continue;
        }
        const int c = ReadByte();
        if (c < 0) break;
        out[done++] = static_cast<char>(c);
    }
    return done;
}

bool PdfFile::Seek(int64_t offset, Origin origin) {
    if (!backend_) return false;
    int64_t base = origin == Origin::Start ? 0 : origin == Origin::Current ? pos_ : Size();
    int64_t target = base + offset;
    if (target < 0) return false;
    if (inRegion_ && target >= bufStart_ && target <= bufStart_ + bufLen_) {
        pos_ = target;
        return true;
    }
    if (target >= kRegionBase) return EnterRegion(target);
    LeaveRegion();
    pos_ = target;
    return true;
}

bool PdfFile::EnterRegion(int64_t position) {
    if (!regions_ || loadingRegion_) return false;
    loadingRegion_ = true;
    int64_t base = 0;
    std::string bytes;
    const bool found = regions_->RegionAt(position, base, bytes);
    loadingRegion_ = false;
    if (!found || base < kRegionBase || position < base ||
        position > base + static_cast<int64_t>(bytes.size()))
        return false;
    region_ = std::move(bytes);
    data_ = region_.data();
    bufStart_ = base;
    bufLen_ = static_cast<int64_t>(region_.size());
    inRegion_ = true;
    pos_ = position;
    return true;
}

void PdfFile::LeaveRegion() {
    if (!inRegion_) return;
    inRegion_ = false;
    bufStart_ = 0;
    bufLen_ = 0;
}

bool PdfFile::Write(const char* data, size_t n) {
    if (!backend_ || inRegion_ || writeFailed_) return false;
    if (pos_ == Size()) {
        if (pending_.capacity() < kAppendBufferSize) pending_.reserve(kAppendBufferSize);
        if (pending_.size() + n > kAppendBufferSize && !WritePending()) return false;
        // A text the buffer cannot hold goes out as it is rather than through a copy.
        if (n >= kAppendBufferSize) {
            if (!WriteAtEnd(data, n)) return false;
            pos_ += static_cast<int64_t>(n);
            return true;
        }
        pending_.append(data, n);
        pos_ += static_cast<int64_t>(n);
        return pending_.size() < kAppendBufferSize || WritePending();
    }
    if (!WritePending()) return false;
    ForgetBlocksFrom(pos_);
    const bool ok = backend_->WriteAt(pos_, data, n);
    if (ok) pos_ += static_cast<int64_t>(n);
    return ok;
}

// A failed write is remembered: every later one fails too.
bool PdfFile::WriteAtEnd(const char* data, size_t n) {
    const int64_t end = backend_->Size();
    if (!backend_->WriteAt(end, data, n)) {
        writeFailed_ = true;
        writeErrno_ = errno;
    }
    ForgetBlocksFrom(end);
    return !writeFailed_;
}

bool PdfFile::WritePending() {
    if (pending_.empty() || !backend_) return !writeFailed_;
    if (!writeFailed_) WriteAtEnd(pending_.data(), pending_.size());
    pending_.clear();
    return !writeFailed_;
}

bool PdfFile::Flush() { return backend_ && WritePending() && backend_->Sync(); }

int64_t PdfFile::AppendAtEnd(std::string_view text) {
    if (!Seek(0, Origin::End)) return -1;
    const int64_t offset = pos_;
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    if (!Write(text.data(), text.size())) return -1;
    return offset;
}

// Buffered bytes past the cut are dropped unwritten; a failed write before
// it no longer matters once the file is back at a length written whole.
bool PdfFile::Truncate(int64_t length) {
    LeaveRegion();
    if (!backend_) return false;
    if (length > backend_->Size()) {
        if (!WritePending()) return false;
    } else {
        pending_.clear();
    }
    if (!backend_->Truncate(length)) return false;
    ForgetBlocksFrom(length);
    writeFailed_ = false;
    if (pos_ > length) pos_ = length;
    return true;
}

const std::string& PdfFile::MemoryBytes() {
    WritePending();
    static const std::string kNone;
    return backend_ ? backend_->Bytes() : kNone;
}

}  // namespace sgry
