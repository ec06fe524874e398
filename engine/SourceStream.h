#pragma once
// Reads one stream object of a source PDF, a cross-reference stream or an
// object stream: its dictionary and its decoded data. FlateDecode and
// LZWDecode (with the PNG and TIFF predictors), ASCIIHexDecode,
// ASCII85Decode and RunLengthDecode are decoded, in chains as well.
//
// Bounds: /Length must be a non-negative integer whose data lies inside the
// file; decoded data is at most kMaxDecodedBytes. An indirect /Length is
// followed only through the offset table given (and only to an object that
// stands in the file itself).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ObjectOffsetTable.h"
#include "pdf/PdfObject.h"
#include "pdf/SecurityHandler.h"
#include "pdf/StreamDecoder.h"
#include "pdf/TokenReader.h"

namespace sgry {

struct SourceStream {
    int64_t number = -1;
    int64_t generation = -1;
    std::unique_ptr<PdfDictionary> dictionary;
    int64_t dataOffset = -1;  // where the raw data begins in the file
    std::string data;         // decoded
};

enum class StreamError {
    None,
    NotStream,    // no "N G obj << ... >> stream" at the offset
    BadLength,    // /Length missing, negative, unresolvable or beyond the end of the file
    Unsupported,  // a filter or predictor this reader does not decode
    Corrupt,      // the compressed data is damaged
    TooLarge,     // decoded data beyond kMaxDecodedBytes
};

// The value of key when it is a direct integer (an optional sign and digits).
std::optional<int64_t> DirectInteger(const PdfDictionary& dictionary, std::string_view key);
// The value of key when it is a direct name ("/XRef"), else "".
std::string DirectName(const PdfDictionary& dictionary, std::string_view key);

class SourceStreamReader {
public:
    static constexpr std::size_t kMaxDecodedBytes = std::size_t{256} << 20;

    // offsets may be nullptr: then only a direct /Length is accepted.
    SourceStreamReader(TokenReader& reader, const ObjectOffsetTable* offsets) : reader_(reader), offsets_(offsets) {}

    // Reads the stream object whose header starts at offset: ReadHeader,
    // then ReadData. False with Error() set when it cannot be read; the
    // reader's position is then unspecified.
    bool Read(int64_t offset, SourceStream& out) { return ReadHeader(offset, out) && ReadData(out); }
    // "N G obj", the dictionary and the "stream" keyword: fills number,
    // generation, dictionary and dataOffset.
    bool ReadHeader(int64_t offset, SourceStream& out);
    // The data after ReadHeader, decoded into out.data, at most limit bytes
    // (and never more than kMaxDecodedBytes). A leading /Crypt filter is
    // applied and taken off the dictionary's /Filter and /DecodeParms.
    bool ReadData(SourceStream& out, std::size_t limit = kMaxDecodedBytes);
    // The same data handed to sink piece by piece instead of kept in
    // out.data: a last Flate step is inflated piecewise (pdf/StreamDecoder.h),
    // any other in one piece. On a failure the pieces decoded before it have
    // been handed over.
    bool ReadDataInto(SourceStream& out, const DecodedSink& sink, std::size_t limit = kMaxDecodedBytes);
    StreamError Error() const { return error_; }
    // Data of an encrypted source is decrypted with the stream's own key
    // before it is decoded (a cross-reference stream's is never encrypted).
    void SetSecurity(const SecurityHandler* security) { security_ = security; }

private:
    // Decrypts a stream's data, with the crypt filter the stream named in
    // its own /Filter when it did. False for a name the handler does not know.
    bool Decrypt(const SourceStream& stream, const std::optional<std::string>& cryptFilter, std::string& data) const;
    bool Fail(StreamError error) {
        error_ = error;
        return false;
    }
    std::optional<int64_t> StreamLength(const PdfDictionary& dictionary);
    // The raw data after ReadHeader, decrypted, with the /Crypt filter taken off.
    bool ReadRaw(SourceStream& stream, std::string& raw);
    bool Decode(const PdfDictionary& dictionary, std::string raw, std::size_t limit, const DecodedSink& sink);
    static bool Decodable(const PdfDictionary& dictionary);

    TokenReader& reader_;
    const ObjectOffsetTable* offsets_;
    const SecurityHandler* security_ = nullptr;
    StreamError error_ = StreamError::None;
};

}  // namespace sgry
