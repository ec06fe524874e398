#pragma once
// Decoding of the stream data that the readers of cross-reference streams
// and object streams need: zlib inflate (FlateDecode), then the PNG or TIFF
// predictor named by /DecodeParms. Every step is bounded, so that a small
// hostile stream cannot make a huge allocation.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sgry {

enum class DecodeResult {
    Ok,
    Corrupt,      // the zlib data is damaged, or predictor rows are malformed
    TooLarge,     // the decoded data would exceed the limit
    Unsupported,  // a predictor or parameter this reader does not handle
};

// The /DecodeParms values of a predictor (the defaults of an absent key).
struct PredictorParams {
    int64_t predictor = 1;         // 1 none, 2 TIFF, 10-15 PNG (the row's tag byte decides)
    int64_t colors = 1;            // 1..32
    int64_t bitsPerComponent = 8;  // 1, 2, 4, 8 or 16
    int64_t columns = 1;           // 1..2^24
};

// Inflates zlib data into out, at most limit bytes. Data that ends before the
// zlib end marker is taken as far as it goes (writers that cut the checksum
// off exist); damaged data is Corrupt.
DecodeResult InflateBounded(std::string_view in, std::size_t limit, std::string& out);

// Undoes the predictor in place. PNG rows are one tag byte and the row's
// bytes; an incomplete last row is dropped. TIFF prediction is supported for
// 8 bits per component only.
DecodeResult UndoPredictor(const PredictorParams& params, std::string& data);

}  // namespace sgry
