#pragma once
// The writing protocol of an incremental update, as every writer of a new
// object sees it: take a number, register it with its kind, append the bytes,
// record the offset. The job implements it; tests use a memory recorder.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sgry {

// Kind of an object in the update's write table.
enum class ObjectKind : int32_t {
    Page = 0,
    PageContent = 2,
    PageResources = 3,
    Font = 4,
    Image = 5,  // image XObject or its palette
    GraphicsState = 6,
    Form = 7,  // text watermark or band form
    QrForm = 8,
};

class ObjectWriter {
public:
    virtual ~ObjectWriter() = default;

    // Next free object number of the update; every call gives a new one.
    virtual int32_t AllocateObjectNumber() = 0;
    // Adds (number, generation) to the write table; a pair already present,
    // or the inline-resources marker -3, is ignored.
    virtual void RegisterObject(int32_t number, int32_t generation, bool isNew, ObjectKind kind) = 0;
    // Seeks to the end of the output, writes text up to its first NUL, flushes;
    // returns the offset of the first byte, or -1 when the seek or write fails.
    virtual int64_t AppendAtEnd(std::string_view text) = 0;
    // Writes raw bytes at the current position, which is the end of the file
    // right after AppendAtEnd.
    virtual bool AppendBytes(const void* data, std::size_t size) = 0;
    // Sets the offset of a registered pair; an unregistered pair is ignored.
    virtual void RecordOffset(int32_t number, int32_t generation, int64_t offset) = 0;

    // Allocate and register a new object of the given kind; returns its number.
    int32_t NewObject(ObjectKind kind) {
        const int32_t number = AllocateObjectNumber();
        RegisterObject(number, 0, true, kind);
        return number;
    }
};

}  // namespace sgry
