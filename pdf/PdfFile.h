#pragma once
// The one byte stream of a job: the source opened for reading, later the
// output opened for update. It can also live in memory, so that tests build
// small PDFs without touching the disk. Reads are buffered; every write goes
// straight to the file at the stream's single position.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sgry {

class PdfFile {
public:
    enum class Origin { Start, Current, End };

    PdfFile();
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    bool OpenRead(const std::string& path);    // mode "rb"
    bool OpenUpdate(const std::string& path);  // mode "r+b": the file must exist
    void OpenMemory(std::string bytes);        // readable and writable
    void Close();
    bool IsOpen() const;

    // Next byte (0-255), or -1 at end of file (or when nothing is open).
    int ReadByte() {
        if (pos_ >= bufStart_ && pos_ < bufStart_ + bufLen_)
            return static_cast<unsigned char>(buf_[static_cast<size_t>(pos_++ - bufStart_)]);
        return ReadByteSlow();
    }
    // Reads up to n bytes; returns how many were read.
    size_t Read(char* out, size_t n);
    bool Seek(int64_t offset, Origin origin);
    int64_t Tell() const { return pos_; }
    int64_t Size() const;
    bool AtEnd() const { return pos_ >= Size(); }

    // Writes n bytes at the current position; false if not all were written.
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

    std::unique_ptr<Backend> backend_;
    int64_t pos_ = 0;
    std::string buf_;
    int64_t bufStart_ = 0;
    int64_t bufLen_ = 0;
};

}  // namespace sgry
