#include "image/JpegReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <span>

#include "image/ImageFile.h"
#include "platform/CodeNumber.h"
#include "platform/Format.h"
#include "platform/Translation.h"

namespace sgry {
namespace {

using Segment = std::span<const uint8_t>;

// Marker codes: the byte after 0xFF.
constexpr unsigned kSof0 = 0xC0, kSof1 = 0xC1, kSof2 = 0xC2, kSof9 = 0xC9, kSof10 = 0xCA, kSof15 = 0xCF;
constexpr unsigned kDht = 0xC4, kJpg = 0xC8, kDac = 0xCC;
constexpr unsigned kRst0 = 0xD0, kRst7 = 0xD7, kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kDqt = 0xDB,
                   kDnl = 0xDC, kDri = 0xDD;
constexpr unsigned kApp0 = 0xE0, kApp15 = 0xEF, kCom = 0xFE, kTem = 0x01;

// The limits of the common decoders (libjpeg among them): a frame beyond
// them would not be drawn, so it is refused as a damaged header.
constexpr unsigned kMaxDimension = 65500;
constexpr unsigned kMaxComponents = 10;
constexpr unsigned kMaxScanComponents = 4;
constexpr unsigned kMaxSampling = 4;

unsigned Be16(Segment s, std::size_t at) { return static_cast<unsigned>(s[at] << 8 | s[at + 1]); }

// The bytes of the file from a position on; every read checks the end.
class MarkerCursor {
public:
    explicit MarkerCursor(Segment bytes) : bytes_(bytes) {}

    bool StartsWithSoi() {
        if (bytes_.size() < 2 || bytes_[0] != 0xFF || bytes_[1] != kSoi) return false;
        pos_ = 2;
        return true;
    }

    // The next marker's code. Stray bytes before it and stuffed zeros (0xFF
    // 0x00) are passed over, as decoders pass them, and so are fill bytes
    // (0xFF repeated). False at the end of the file.
    bool NextMarker(unsigned& code) {
        for (;;) {
            while (pos_ < bytes_.size() && bytes_[pos_] != 0xFF) ++pos_;
            while (pos_ < bytes_.size() && bytes_[pos_] == 0xFF) ++pos_;
            if (pos_ >= bytes_.size()) return false;
            code = bytes_[pos_++];
            if (code != 0) return true;
        }
    }

    // The data of the segment whose length field comes next, without that
    // field; false when the length is below its own two bytes or the
    // segment runs past the end.
    bool NextSegment(Segment& data) {
        if (bytes_.size() - pos_ < 2) return false;
        const unsigned length = Be16(bytes_, pos_);
        if (length < 2 || bytes_.size() - pos_ < length) return false;
        data = bytes_.subspan(pos_ + 2, length - 2);
        pos_ += length;
        return true;
    }

private:
    Segment bytes_;
    std::size_t pos_ = 0;
};

bool IsFrameMarker(unsigned code) {
    return code >= kSof0 && code <= kSof15 && code != kDht && code != kJpg && code != kDac;
}

// Huffman or arithmetic, sequential or progressive: the lossless and
// hierarchical processes are refused as decoders refuse them.
bool IsDecodableFrame(unsigned code) {
    return code == kSof0 || code == kSof1 || code == kSof2 || code == kSof9 || code == kSof10;
}

// A table segment holds whole tables under indexes decoders know, as they
// check before the first scan: quantisation tables of 64 values of one or two
// bytes, Huffman tables of 16 counts and at most 256 values, and pairs of
// arithmetic conditioning values (a DC pair's lower bound not above its upper).
bool TablesFill(unsigned code, Segment data) {
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t left = data.size() - at;
        const unsigned index = data[at];
        std::size_t size = 2;
        if (code == kDqt) {
            if ((index & 0x0F) >= 4) return false;
            size = (index >> 4) != 0 ? 129 : 65;
        } else if (code == kDht) {
            if ((index & ~0x10u) >= 4 || left < 17) return false;
            std::size_t values = 0;
            for (std::size_t i = 1; i <= 16; ++i) values += data[at + i];
            if (values > 256) return false;
            size = 17 + values;
        } else if (index >= 32 || (left >= 2 && index < 16 && (data[at + 1] & 0x0Fu) > data[at + 1] >> 4)) {
            return false;
        }
        if (left < size) return false;
        at += size;
    }
    return true;
}

// Segments read over by their length, tables checked. The others (DHP, EXP,
// JPGn and the reserved codes) announce extensions no decoder reads.
bool IsSkippedSegment(unsigned code, Segment data) {
    if (code == kDri) return data.size() == 2;
    if (code == kDqt || code == kDht || code == kDac) return TablesFill(code, data);
    return code == kDnl || code == kCom || (code >= kApp0 && code <= kApp15);
}

struct Frame {
    unsigned code = 0;  // 0 until a frame header is read
    unsigned precision = 0;
    unsigned height = 0;
    unsigned width = 0;
    Segment components;  // 3 bytes each: identifier, sampling factors, table
};

// Precision (1), height (2), width (2), component count (1), components.
bool ReadFrame(unsigned code, Segment data, Frame& frame) {
    if (data.size() < 6) return false;
    frame = {code, data[0], Be16(data, 1), Be16(data, 3), data.subspan(6)};
    const std::size_t count = data[5];
    if (frame.height == 0 || frame.width == 0 || count == 0 || frame.components.size() != count * 3)
        return false;
    if (frame.height > kMaxDimension || frame.width > kMaxDimension || count > kMaxComponents) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned sampling = frame.components[i * 3 + 1];
        const unsigned horizontal = sampling >> 4, vertical = sampling & 0x0F;
        if (horizontal == 0 || horizontal > kMaxSampling || vertical == 0 || vertical > kMaxSampling)
            return false;
    }
    return true;
}

// Count (1), then identifier and tables (2) of each component, then the
// spectral selection and approximation (3). Every component named is one of
// the frame's first four, named once.
bool ScanMatchesFrame(Segment scan, const Frame& frame) {
    if (scan.empty()) return false;
    const std::size_t count = scan[0];
    if (count == 0 || count > kMaxScanComponents || scan.size() != 4 + count * 2) return false;
    const std::size_t candidates = std::min<std::size_t>(frame.components.size() / 3, kMaxScanComponents);
    bool named[kMaxScanComponents] = {};
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t c = 0;
        while (c < candidates && (frame.components[c * 3] != scan[1 + i * 2] || named[c])) ++c;
        if (c == candidates) return false;
        named[c] = true;
    }
    return true;
}

}  // namespace

bool JpegReader::Open(const std::string& path) {
    path_ = path;
    width_ = height_ = frameComponents_ = 0;
    error_ = Load(path);
    if (error_ == kNoError) error_ = ReadHeader();
    return error_ == kNoError;
}

JpegReader::Code JpegReader::Load(const std::string& path) {
    ImageFile file(std::fopen(path.c_str(), "rb"));
    if (!file) return kCannotOpen;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return kReadError;
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return kReadError;
    try {
        bytes_.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (std::fread(bytes_.data(), 1, bytes_.size(), file.get()) != bytes_.size()) return kReadError;
    return kNoError;
}

// The header ends at the first scan header; what follows is entropy-coded
// data, which stays unread. A second start of image, an end of image before
// the scan or a second frame header makes the file undrawable.
JpegReader::Code JpegReader::ReadHeader() {
    MarkerCursor cursor(bytes_);
    if (!cursor.StartsWithSoi()) return kBadHeader;
    Frame frame;
    for (;;) {
        unsigned code = 0;
        if (!cursor.NextMarker(code)) return kBadHeader;
        if ((code >= kRst0 && code <= kRst7) || code == kTem) continue;  // markers without a segment
        Segment data;
        if (code == kSoi || code == kEoi || !cursor.NextSegment(data)) return kBadHeader;
        if (code == kSos) {
            if (frame.code == 0 || !ScanMatchesFrame(data, frame)) return kBadHeader;
            break;
        }
        if (IsFrameMarker(code)) {
            if (frame.code != 0 || !IsDecodableFrame(code) || !ReadFrame(code, data, frame))
                return kBadHeader;
        } else if (!IsSkippedSegment(code, data)) {
            return kBadHeader;
        }
    }
    // DCTDecode samples are 8-bit: a 12-bit file would be drawn wrong.
    if (frame.precision == 12) return kTwelveBit;
    if (frame.precision != 8) return kBadHeader;
    width_ = static_cast<int>(frame.width);
    height_ = static_cast<int>(frame.height);
    if (frame.code == kSof0 || frame.code == kSof2)
        frameComponents_ = static_cast<int>(frame.components.size() / 3);
    return kNoError;
}

bool JpegReader::IsCmyk(bool& cmyk) const {
    if (frameComponents_ == 0) return false;
    cmyk = frameComponents_ == 4;
    return true;
}

void JpegReader::CopyBytes(uint8_t* buffer) const {
    if (!bytes_.empty()) std::memcpy(buffer, bytes_.data(), bytes_.size());
}

std::string JpegReader::ErrorText(Code code) {
    switch (code) {
        case kNoError:
            return Translate("No error");
        case kNotJpeg:
            return Translate("Not a JPEG file");
        case kCannotOpen:
            return Translate("Cannot open the file");
        case kOutOfMemory:
            return Translate("Not enough memory");
        case kReadError:
            return Translate("Read error");
        case kBadHeader:
            return Translate("Could not create the image object");
        case kTwelveBit:
            return Translate("12-bit JPEG files are not supported");
        default:
            return Format(Translate("Unknown error (%d)"), CodeNumber(code));
    }
}

}  // namespace sgry
