#pragma once
// Numbered indirect objects and their stream bytes, and the one protocol by
// which every builder appends a new object to the update:
//   number = AllocateObjectNumber(); RegisterObject(number, 0, new, kind);
//   build the dictionary; write it (with its stream); RecordOffset(number, 0, offset).
//
// Bytes written (CR LF line ends):
//   without stream  "%ld %d obj\r\n" + contents' text + "\r\nendobj\r\n"
//   with stream     "%ld %d obj\r\n" + contents' text + "stream\r\n" + raw bytes
//                   + "\r\nendstream\r\n" + "endobj\r\n"
// (a dictionary's text ends with ">>", so ">>stream" follows directly).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/ObjectWriter.h"
#include "pdf/PdfObject.h"

namespace sgry {

// The bytes of a stream; its /Length and /Filter live in the owning object's
// dictionary.
class PdfRawStream {
public:
    PdfRawStream() = default;
    virtual ~PdfRawStream() = default;
    PdfRawStream(const PdfRawStream&) = delete;
    PdfRawStream& operator=(const PdfRawStream&) = delete;

    // Replaces the bytes held so far with a copy of size bytes. Returns false
    // when the memory cannot be had; the stream then holds no data (and is
    // written as an empty stream part).
    bool SetData(std::size_t size, const void* bytes);
    bool SetData(std::string_view bytes) { return SetData(bytes.size(), bytes.data()); }

    bool HasData() const { return hasData_; }
    // Byte count (0 without data).
    int32_t Length() const { return static_cast<int32_t>(data_.size()); }
    const std::string& Data() const { return data_; }

    // Appends "stream\r\n", the raw bytes (through AppendBytes, so NUL bytes
    // survive) and "\r\nendstream\r\n". true when every write succeeded.
    bool WriteTo(ObjectWriter& writer) const;

private:
    std::string data_;
    bool hasData_ = false;
};

class PdfIndirectObject {
public:
    PdfIndirectObject() = default;  // number 0, generation 0 (the object parser fills it)
    PdfIndirectObject(int32_t number, int32_t generation) : number_(number), generation_(generation) {}
    virtual ~PdfIndirectObject() = default;
    PdfIndirectObject(const PdfIndirectObject&) = delete;
    PdfIndirectObject& operator=(const PdfIndirectObject&) = delete;

    int32_t Number() const { return number_; }
    int32_t Generation() const { return generation_; }
    void SetNumber(int32_t number, int32_t generation) {
        number_ = number;
        generation_ = generation;
    }

    // Appends a content object; false for a null object or when the list
    // cannot grow (the object is then freed).
    bool AddEntry(std::unique_ptr<PdfObject> object);
    // Replaces (and destroys) the stream attached so far; null leaves the
    // object without stream. Always returns true.
    bool SetStream(std::unique_ptr<PdfRawStream> stream);

    std::size_t ItemCount() const { return contents_.size(); }
    // Content object at index, nullptr outside 0 .. ItemCount()-1. Owned here.
    PdfObject* GetItem(int index) const;
    // Moves the content object at index out of the list (e.g. a loaded
    // dictionary that is merged elsewhere); nullptr outside.
    std::unique_ptr<PdfObject> TakeItem(int index);
    PdfRawStream* Stream() const { return stream_.get(); }

    // "%ld %d obj\r\n" + contents' text + "\r\nendobj\r\n" (the stream is not part of it).
    std::string ToText() const;
    // Appends header and contents, the stream part when a stream is attached,
    // then "endobj\r\n". Returns the offset of the header's first byte, or -1
    // when that first write failed (the later writes are still attempted).
    int64_t WriteTo(ObjectWriter& writer) const;

private:
    std::string HeaderAndContents() const;

    int32_t number_ = 0;
    int32_t generation_ = 0;
    std::vector<std::unique_ptr<PdfObject>> contents_;
    std::unique_ptr<PdfRawStream> stream_;
};

// Writes object (its text form without stream, or WriteTo with its stream)
// and records the offset for (Number(), Generation()). Returns the offset, -1
// when the header could not be written (then -1 is what is recorded).
int64_t WriteAndRecord(ObjectWriter& writer, const PdfIndirectObject& object);

// Writes dictionary as object (number, 0), with a stream holding streamBytes
// when they are given, and records its offset. For builders that took their
// number earlier with writer.NewObject(kind) (objects that refer to each
// other). Returns the offset or -1.
int64_t WriteObject(ObjectWriter& writer, int32_t number, PdfDictionary dictionary,
                    std::optional<std::string_view> streamBytes = std::nullopt);

// The whole new-object protocol in one call: allocates a number, registers it
// with kind, writes dictionary (and the stream when streamBytes are given) and
// records the offset. Returns the new object's number (generation 0).
int32_t WriteNewObject(ObjectWriter& writer, ObjectKind kind, PdfDictionary dictionary,
                       std::optional<std::string_view> streamBytes = std::nullopt);

// Prepares a content stream: compresses content with FlateBuffer; on success
// adds "/Length" (compressed size) and "/Filter" "/FlateDecode" to dictionary
// and returns the compressed bytes; otherwise adds only "/Length" (the plain
// size) and returns content unchanged. Pass the result as streamBytes.
std::string AddFlateStream(PdfDictionary& dictionary, std::string_view content);

}  // namespace sgry
