#pragma once
// The one byte stream of a job: the source opened for reading, later the
// output opened for update. It can also live in memory, so that tests build
// small PDFs without touching the disk.
//
// Reads go through a cache of aligned blocks, so that the jumps between a
// page, its content and the objects they share read each block once. Bytes
// written at the end of the file (every append of an update) collect in a
// buffer that reaches the file when it is full, on Flush, and before a read,
// write or cut that concerns them; a write anywhere else goes straight to the
// file. A failed write is remembered: every later write and Flush fail too,
// until Truncate cuts the file back.
//
// Positions from kRegionBase upward do not lie in the file. They belong to
// read-only regions that a RegionSource supplies on demand: the text of an
// object kept inside a compressed object stream, so that the token reader
// reads it as if it stood in the file. A seek to such a position reads from
// the region until the next seek outside it; the end of the region reads as
// the end of the file. Seeking to the end, writing, appending and Size()
// always concern the real file, so offsets of appended bytes never mix with
// region positions.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sgry {

// Supplies the regions above PdfFile::kRegionBase.
class RegionSource {
public:
    virtual ~RegionSource() = default;
    // The region that holds position: its first position and its bytes.
    // False when there is none. Called during a seek; it may read the real
    // file through the same PdfFile (a seek into a region meanwhile fails).
    virtual bool RegionAt(int64_t position, int64_t& base, std::string& bytes) = 0;
};

class PdfFile {
public:
    static constexpr int64_t kRegionBase = int64_t{1} << 62;

    enum class Origin { Start, Current, End };

    PdfFile();
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    bool OpenRead(const std::string& path);    // mode "rb"
    bool OpenUpdate(const std::string& path);  // mode "r+b": the file must exist
    void OpenMemory(std::string bytes);        // readable and writable
    // Close() keeps the region source: the output that is reopened after it
    // holds the source's bytes at the same offsets.
    void Close();
    // Closes, keeping the bytes read for the file opened next, which must
    // hold the same bytes at the same offsets (a copy of this file, or this
    // file itself): the stamping pass does not read the source twice.
    void CloseKeepingReads();
    bool IsOpen() const;
    // Borrowed; nullptr detaches. Without a source, region positions cannot be sought.
    void SetRegionSource(RegionSource* source) { regions_ = source; }
    bool InRegion() const { return inRegion_; }

    // Next byte (0-255), or -1 at end of file (or when nothing is open).
    int ReadByte() {
        if (pos_ >= bufStart_ && pos_ < bufStart_ + bufLen_)
            return static_cast<unsigned char>(data_[pos_++ - bufStart_]);
        return ReadByteSlow();
    }
    // The bytes read ahead from the position on (empty when none are), and
    // a step forward over some of them.
    std::string_view Buffered() const {
        if (pos_ < bufStart_ || pos_ >= bufStart_ + bufLen_) return std::string_view();
        return std::string_view(data_ + (pos_ - bufStart_), static_cast<size_t>(bufStart_ + bufLen_ - pos_));
    }
    void Skip(size_t n) { pos_ += static_cast<int64_t>(n); }
    // Steps back over the byte just read.
    void Unread() {
        if (pos_ > bufStart_ && pos_ <= bufStart_ + bufLen_)
            --pos_;
        else
            Seek(-1, Origin::Current);
    }
    // Reads up to n bytes; returns how many were read.
    size_t Read(char* out, size_t n);
    // A seek into a region that cannot be supplied fails and leaves the
    // position unspecified (the source may have read the file meanwhile).
    bool Seek(int64_t offset, Origin origin);
    int64_t Tell() const { return pos_; }
    // Length of the real file, the bytes still to be written included.
    int64_t Size() const;
    bool AtEnd() const {
        if (inRegion_) return pos_ >= bufStart_ + bufLen_;
        return pos_ >= Size() || (readEnd_ >= 0 && pos_ >= readEnd_);
    }
    // Reads stop at offset as if the file ended there (-1: at its real end).
    // A job's update is appended after the source's end, and a damaged
    // source whose object never closes must not go on to read it.
    void EndReadsAt(int64_t offset);

    // Writes n bytes at the current position; false if not all were written
    // (always false inside a region, and after a failed write).
    bool Write(const char* data, size_t n);
    // Writes out the buffered bytes and syncs where the stream syncs; false
    // when any write so far failed.
    bool Flush();
    // Whether a read of the file failed (not just ended) since it was opened:
    // what was read is then no evidence of what the file holds.
    bool ReadFailed() const { return readFailed_; }
    // The system's error number of the first failed write (0: none yet).
    int WriteErrno() const { return writeErrno_; }
    // Seeks to the end, writes text up to its first NUL byte, and returns the
    // offset where the text begins; -1 when the seek or write fails.
    int64_t AppendAtEnd(std::string_view text);
    // Cuts the file back to the given length (used to undo a failed update).
    bool Truncate(int64_t length);

    // The bytes of a memory stream (empty for a file stream).
    const std::string& MemoryBytes();

private:
    class Backend;
    class FileBackend;
    class MemoryBackend;

    struct Block {
        int64_t start = -1;  // -1: holds nothing
        int64_t length = 0;
        uint64_t lastUse = 0;
        std::unique_ptr<char[]> bytes;
    };

    int ReadByteSlow();
    bool Fill();
    Block& CachedBlock(int64_t start, int64_t needed);
    void ForgetBlocksFrom(int64_t offset);
    void ClampToReadEnd();
    bool WritePending();
    bool WriteAtEnd(const char* data, size_t n);
    bool EnterRegion(int64_t position);
    void LeaveRegion();

    std::unique_ptr<Backend> backend_;
    int64_t pos_ = 0;
    // The bytes being read: a cached block of the file, or the region.
    const char* data_ = nullptr;
    int64_t bufStart_ = 0;
    int64_t bufLen_ = 0;
    int64_t readEnd_ = -1;
    std::vector<Block> blocks_;
    uint64_t useCount_ = 0;
    // Bytes that follow the file's last byte, not yet written.
    std::string pending_;
    bool writeFailed_ = false;
    int writeErrno_ = 0;
    bool readFailed_ = false;
    // While inRegion_, region_ holds the region's bytes from bufStart_ on.
    std::string region_;
    RegionSource* regions_ = nullptr;
    bool inRegion_ = false;
    bool loadingRegion_ = false;
};

}  // namespace sgry
