#include "pdf/PdfIndirectObject.h"

#include <new>
#include <utility>

#include "pdf/FlateBuffer.h"
#include "platform/Format.h"

namespace sgry {

bool PdfRawStream::SetData(std::size_t size, const void* bytes) {
    data_.clear();
    data_.shrink_to_fit();
    hasData_ = false;
    try {
        data_.assign(static_cast<const char*>(bytes), size);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    hasData_ = true;
    return true;
}

bool PdfRawStream::WriteTo(ObjectWriter& writer) const {
    bool ok = writer.AppendAtEnd("stream\r\n") >= 0;
    if (hasData_ && !data_.empty()) ok = writer.AppendBytes(data_.data(), data_.size()) && ok;
    ok = writer.AppendAtEnd("\r\nendstream\r\n") >= 0 && ok;
    return ok;
}

bool PdfIndirectObject::AddEntry(std::unique_ptr<PdfObject> object) {
    if (!object) return false;
    try {
        contents_.push_back(std::move(object));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool PdfIndirectObject::SetStream(std::unique_ptr<PdfRawStream> stream) {
    stream_ = std::move(stream);
    return true;
}

PdfObject* PdfIndirectObject::GetItem(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= contents_.size()) return nullptr;
    return contents_[static_cast<std::size_t>(index)].get();
}

std::unique_ptr<PdfObject> PdfIndirectObject::TakeItem(int index) {
    if (!GetItem(index)) return nullptr;
    const auto at = contents_.begin() + index;
    std::unique_ptr<PdfObject> item = std::move(*at);
    contents_.erase(at);
    return item;
}

std::string PdfIndirectObject::HeaderAndContents() const {
    std::string text = Format("%ld %d obj\r\n", number_, generation_);
    for (const auto& object : contents_) text += object->ToText();
    return text;
}

std::string PdfIndirectObject::ToText() const { return HeaderAndContents() + "\r\nendobj\r\n"; }

int64_t PdfIndirectObject::WriteTo(ObjectWriter& writer) const {
    const int64_t offset = writer.AppendAtEnd(HeaderAndContents());
    if (stream_) stream_->WriteTo(writer);
    writer.AppendAtEnd("endobj\r\n");
    return offset;
}

int64_t WriteAndRecord(ObjectWriter& writer, const PdfIndirectObject& object) {
    const int64_t offset = object.Stream() ? object.WriteTo(writer) : writer.AppendAtEnd(object.ToText());
    writer.RecordOffset(object.Number(), object.Generation(), offset);
    return offset;
}

int64_t WriteObject(ObjectWriter& writer, int32_t number, PdfDictionary dictionary,
                    std::optional<std::string_view> streamBytes) {
    PdfIndirectObject object(number, 0);
    object.AddEntry(std::make_unique<PdfDictionary>(std::move(dictionary)));
    if (streamBytes) {
        auto stream = std::make_unique<PdfRawStream>();
        stream->SetData(*streamBytes);
        object.SetStream(std::move(stream));
    }
    return WriteAndRecord(writer, object);
}

int32_t WriteNewObject(ObjectWriter& writer, ObjectKind kind, PdfDictionary dictionary,
                       std::optional<std::string_view> streamBytes) {
    const int32_t number = writer.NewObject(kind);
    WriteObject(writer, number, std::move(dictionary), streamBytes);
    return number;
}

std::string AddFlateStream(PdfDictionary& dictionary, std::string_view content) {
    FlateBuffer buffer;
    if (buffer.Compress(content)) {
        dictionary.AddInteger("/Length", static_cast<int32_t>(buffer.Size()));
        dictionary.AddLiteral("/Filter", "/FlateDecode");
        return buffer.Data();
    }
    dictionary.AddInteger("/Length", static_cast<int32_t>(content.size()));
    return std::string(content);
}

}  // namespace sgry
