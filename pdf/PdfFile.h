#pragma once
// The one byte stream of a job: the source opened for reading, later the
// output opened for update. It can also live in memory, so that tests build
// small PDFs without touching the disk. Reads are buffered; every write goes
// straight to the file at the stream's single position.
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
    bool IsOpen() const;
    // Borrowed; nullptr detaches. Without a source, region positions cannot be sought.
    void SetRegionSource(RegionSource* source) { regions_ = source; }
    bool InRegion() const { return inRegion_; }

    // Next byte (0-255), or -1 at end of file (or when nothing is open).
    int ReadByte() {
        if (pos_ >= bufStart_ && pos_ < bufStart_ + bufLen_)
            return static_cast<unsigned char>(buf_[static_cast<size_t>(pos_++ - bufStart_)]);
        return ReadByteSlow();
    }
    // Reads up to n bytes; returns how many were read.
    size_t Read(char* out, size_t n);
    // A seek into a region that cannot be supplied fails and leaves the
    // position unspecified (the source may have read the file meanwhile).
    bool Seek(int64_t offset, Origin origin);
    int64_t Tell() const { return pos_; }
    // Length of the real file.
    int64_t Size() const;
    bool AtEnd() const { return inRegion_ ? pos_ >= bufStart_ + bufLen_ : pos_ >= Size(); }

    // Writes n bytes at the current position; false if not all were written
    // (always false inside a region).
    bool Write(const char* data, size_t n);
    bool Flush();
    // Seeks to the end, writes text up to its first NUL byte, flushes, and
    // returns the offset where the text begins; -1 when the seek or write fails.
    int64_t AppendAtEnd(std::string_view text);
    // Cuts the file back to the given length (used to undo a failed update).
    bool Truncate(int64_t length);

    // The bytes of a memory stream (empty for a file stream).
    const std::string& MemoryBytes() const;

private:
    class Backend;
    class FileBackend;
    class MemoryBackend;

    int ReadByteSlow();
    bool Fill();
    bool EnterRegion(int64_t position);
    void LeaveRegion();

    std::unique_ptr<Backend> backend_;
    int64_t pos_ = 0;
    std::string buf_;
    int64_t bufStart_ = 0;
    int64_t bufLen_ = 0;
    // While inRegion_, buf_ holds the region's bytes from bufStart_ on.
    RegionSource* regions_ = nullptr;
    bool inRegion_ = false;
    bool loadingRegion_ = false;
};

}  // namespace sgry
