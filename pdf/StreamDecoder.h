#pragma once
// Decoding of stream data: zlib inflate (FlateDecode) and LZW, then the PNG
// or TIFF predictor named by /DecodeParms; the text filters ASCIIHex and
// ASCII85 and RunLength, which page content may use as well. Every step is bounded, so that a small
// hostile stream cannot make a huge allocation.
#include <cstddef>
#include <cstdint>
#include <functional>
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

// Receives decoded data piece by piece, in order.
using DecodedSink = std::function<void(std::string_view piece)>;

// Inflates zlib data into sink, at most limit bytes in all. Data that ends
// before the zlib end marker is taken as far as it goes (writers that cut the
// checksum off exist); damaged data is Corrupt, after the pieces that decoded
// before the damage. Data that decodes to at most kInflateAtOnce bytes (page
// content almost always does) is inflated by libdeflate in one piece, into a
// buffer each thread reuses; larger data in pieces of kInflatePiece bytes, so
// that no stream is ever held whole.
inline constexpr std::size_t kInflateAtOnce = std::size_t{256} << 10;
inline constexpr std::size_t kInflatePiece = std::size_t{64} << 10;
DecodeResult InflateInto(std::string_view in, std::size_t limit, const DecodedSink& sink);
// The same into out (replaced).
DecodeResult InflateBounded(std::string_view in, std::size_t limit, std::string& out);

// The other standard filters, each into out, at most limit bytes. Data that
// ends before its end-of-data mark is taken as far as it goes; a byte the
// filter cannot hold is Corrupt. earlyChange: LZW's /EarlyChange (1 unless
// /DecodeParms says 0).
DecodeResult AsciiHexDecode(std::string_view in, std::size_t limit, std::string& out);
DecodeResult Ascii85Decode(std::string_view in, std::size_t limit, std::string& out);
DecodeResult RunLengthDecode(std::string_view in, std::size_t limit, std::string& out);
DecodeResult LzwDecode(std::string_view in, bool earlyChange, std::size_t limit, std::string& out);

// Undoes the predictor in place. PNG rows are one tag byte and the row's
// bytes; an incomplete last row is dropped. TIFF prediction is supported for
// 8 bits per component only.
DecodeResult UndoPredictor(const PredictorParams& params, std::string& data);

}  // namespace sgry
