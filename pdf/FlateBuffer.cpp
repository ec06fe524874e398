#include "pdf/FlateBuffer.h"

#include <zlib.h>

#include <limits>

namespace sgry {

namespace {

// zlib's compress() sets up a deflate state of about 270 KB for every call
// and frees it again; with one content stream per page, that allocation (and
// the page faults behind it) was a large part of a run. Each thread keeps one
// state and resets it instead: deflateReset starts from exactly the state
// deflateInit gives, and the calls below are compress2's own, so the bytes
// are those compress() writes.
class Deflater {
public:
    Deflater() { ready_ = deflateInit(&stream_, Z_DEFAULT_COMPRESSION) == Z_OK; }
    ~Deflater() {
        if (ready_) deflateEnd(&stream_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    int Compress(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen) {
        if (!ready_ || deflateReset(&stream_) != Z_OK) return compress(dest, destLen, source, sourceLen);
        constexpr uInt kMax = std::numeric_limits<uInt>::max();
        uLong left = *destLen;
        *destLen = 0;
        stream_.next_out = dest;
        stream_.avail_out = 0;
        stream_.next_in = const_cast<Bytef*>(source);
        stream_.avail_in = 0;
        int err = Z_OK;
        do {
            if (stream_.avail_out == 0) {
                stream_.avail_out = left > kMax ? kMax : static_cast<uInt>(left);
                left -= stream_.avail_out;
            }
            if (stream_.avail_in == 0) {
                stream_.avail_in = sourceLen > kMax ? kMax : static_cast<uInt>(sourceLen);
                sourceLen -= stream_.avail_in;
            }
            err = deflate(&stream_, sourceLen ? Z_NO_FLUSH : Z_FINISH);
        } while (err == Z_OK);
        *destLen = stream_.total_out;
        return err == Z_STREAM_END ? Z_OK : err;
    }

private:
    z_stream stream_{};
    bool ready_ = false;
};

}  // namespace

bool FlateBuffer::Compress(std::string_view input) {
    data_.clear();
    const float scaled = static_cast<float>(input.size()) * 1.2f;
    auto capacity = static_cast<uLongf>(scaled);
    if (capacity == 0) return false;
    std::string out(capacity, '\0');
    uLongf length = capacity;
    thread_local Deflater deflater;
    if (deflater.Compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(input.data()),
                          static_cast<uLong>(input.size())) != Z_OK)
        return false;
    out.resize(length);
    data_ = std::move(out);
    return true;
}

}  // namespace sgry
