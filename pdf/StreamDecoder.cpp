#include "pdf/StreamDecoder.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace sgry {

namespace {

constexpr int64_t kMaxColors = 32;
constexpr int64_t kMaxColumns = int64_t{1} << 24;

struct Inflater {
    z_stream stream{};
    bool ready = false;
    Inflater() { ready = inflateInit(&stream) == Z_OK; }
    ~Inflater() {
        if (ready) inflateEnd(&stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

// libdeflate's decompressor and the buffer it inflates into, kept for the
// thread's next stream.
struct AtOnceInflater {
    struct Free {
        void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
    };
    std::unique_ptr<libdeflate_decompressor, Free> decompressor{libdeflate_alloc_decompressor()};
    std::unique_ptr<char[]> buffer = std::make_unique<char[]>(kInflateAtOnce);
};

// The whole of a zlib stream that decodes to at most capacity bytes, in one
// piece; false for anything else (larger, damaged, cut short), which the
// piecewise inflate then decodes or reports exactly as it would have.
bool InflateAtOnce(std::string_view in, std::size_t capacity, const DecodedSink& sink) {
    thread_local AtOnceInflater inflater;
    if (!inflater.decompressor) return false;
    std::size_t inUsed = 0, produced = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress_ex(inflater.decompressor.get(), in.data(), in.size(), inflater.buffer.get(),
                                      capacity, &inUsed, &produced);
    if (result != LIBDEFLATE_SUCCESS) return false;
    sink(std::string_view(inflater.buffer.get(), produced));
    return true;
}

DecodeResult InflatePiecewise(std::string_view in, std::size_t limit, const DecodedSink& sink) {
    Inflater z;
    if (!z.ready) return DecodeResult::Corrupt;
    z.stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.stream.avail_in = static_cast<uInt>(in.size());
    if (in.size() != z.stream.avail_in) return DecodeResult::TooLarge;  // beyond 4 GiB of input
    const auto piece = std::make_unique<char[]>(kInflatePiece);
    std::size_t total = 0;
    for (;;) {
        z.stream.next_out = reinterpret_cast<Bytef*>(piece.get());
        z.stream.avail_out = static_cast<uInt>(kInflatePiece);
        const int rc = inflate(&z.stream, Z_NO_FLUSH);
        const std::size_t produced = kInflatePiece - z.stream.avail_out;
        if (total + produced > limit) return DecodeResult::TooLarge;
        total += produced;
        if (produced > 0) sink(std::string_view(piece.get(), produced));
        if (rc == Z_STREAM_END) return DecodeResult::Ok;
        if (rc == Z_BUF_ERROR && z.stream.avail_in == 0) return DecodeResult::Ok;  // cut short: take what came
        if (rc != Z_OK) return DecodeResult::Corrupt;
        if (produced == 0 && z.stream.avail_in == 0) return DecodeResult::Ok;
    }
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// One PNG row in place; prior is the decoded row above (zeros for the first).
bool UndoPngRow(int tag, uint8_t* row, const uint8_t* prior, std::size_t length, std::size_t bpp) {
    for (std::size_t i = 0; i < length; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        const int up = prior[i];
        const int upLeft = i >= bpp ? prior[i - bpp] : 0;
        switch (tag) {
            case 0: break;
            case 1: row[i] = static_cast<uint8_t>(row[i] + left); break;
            case 2: row[i] = static_cast<uint8_t>(row[i] + up); break;
            case 3: row[i] = static_cast<uint8_t>(row[i] + (left + up) / 2); break;
            case 4: row[i] = static_cast<uint8_t>(row[i] + Paeth(left, up, upLeft)); break;
            default: return false;
        }
    }
    return true;
}

bool ValidParams(const PredictorParams& p) {
    const int64_t bits = p.bitsPerComponent;
    return p.colors >= 1 && p.colors <= kMaxColors && p.columns >= 1 && p.columns <= kMaxColumns &&
           (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16);
}

DecodeResult UndoPng(const PredictorParams& p, std::string& data) {
    const auto bitsPerPixel = static_cast<std::size_t>(p.colors * p.bitsPerComponent);
    const std::size_t rowLength = (static_cast<std::size_t>(p.columns) * bitsPerPixel + 7) / 8;
    const std::size_t bpp = (bitsPerPixel + 7) / 8;
    const std::size_t rows = data.size() / (rowLength + 1);
    std::vector<uint8_t> prior(rowLength, 0);
    std::string out;
    out.reserve(rows * rowLength);
    for (std::size_t r = 0; r < rows; ++r) {
        auto* row = reinterpret_cast<uint8_t*>(data.data() + r * (rowLength + 1));
        if (!UndoPngRow(row[0], row + 1, prior.data(), rowLength, bpp)) return DecodeResult::Corrupt;
        out.append(reinterpret_cast<const char*>(row + 1), rowLength);
        prior.assign(row + 1, row + 1 + rowLength);
    }
    data = std::move(out);
    return DecodeResult::Ok;
}

DecodeResult UndoTiff(const PredictorParams& p, std::string& data) {
    if (p.bitsPerComponent != 8) return DecodeResult::Unsupported;
    const auto colors = static_cast<std::size_t>(p.colors);
    const std::size_t rowLength = static_cast<std::size_t>(p.columns) * colors;
    for (std::size_t start = 0; start + rowLength <= data.size(); start += rowLength)
        for (std::size_t i = colors; i < rowLength; ++i)
            data[start + i] = static_cast<char>(static_cast<uint8_t>(data[start + i]) +
                                                static_cast<uint8_t>(data[start + i - colors]));
    return DecodeResult::Ok;
}

}  // namespace

DecodeResult InflateInto(std::string_view in, std::size_t limit, const DecodedSink& sink) {
    const std::size_t atOnce = std::min(limit, kInflateAtOnce);
    // Data longer than half the buffer hardly ever fits it once inflated.
    if (in.size() <= atOnce / 2 && InflateAtOnce(in, atOnce, sink)) return DecodeResult::Ok;
    return InflatePiecewise(in, limit, sink);
}

DecodeResult InflateBounded(std::string_view in, std::size_t limit, std::string& out) {
    out.clear();
    return InflateInto(in, limit, [&out](std::string_view piece) { out.append(piece); });
}

DecodeResult UndoPredictor(const PredictorParams& params, std::string& data) {
    if (params.predictor == 1) return DecodeResult::Ok;
    if (!ValidParams(params)) return DecodeResult::Unsupported;
    if (params.predictor == 2) return UndoTiff(params, data);
    if (params.predictor >= 10 && params.predictor <= 15) return UndoPng(params, data);
    return DecodeResult::Unsupported;
}

}  // namespace sgry
