#include "image/BmpReader.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace sgry {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr uint32_t kWindowsInfoSize = 40;
constexpr uint32_t kOs2InfoSize = 12;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

bool ReadExactly(std::FILE* f, void* buffer, std::size_t size) { return std::fread(buffer, 1, size, f) == size; }

}  // namespace

bool BmpReader::Open(const std::string& path) {
    path_ = path;
    file_.reset(std::fopen(path.c_str(), "rb"));
    error_ = file_ ? ReadHeaders() : kCannotOpen;
    return error_ == kNoError;
}

BmpReader::Code BmpReader::ReadHeaders() {
    std::FILE* f = file_.get();
    uint8_t fileHeader[kFileHeaderSize] = {};
    if (std::fseek(f, 0, SEEK_SET) != 0) return kCannotOpen;
    const std::size_t got = std::fread(fileHeader, 1, sizeof fileHeader, f);
    if (got < 2 || fileHeader[0] != 'B' || fileHeader[1] != 'M') return kNotBitmap;
    if (got < sizeof fileHeader) return kDamaged;
    pixelOffset_ = Le32(fileHeader + 10);

    uint8_t info[kWindowsInfoSize] = {};
    if (!ReadExactly(f, info, 4)) return kDamaged;
    infoSize_ = Le32(info);
    if (infoSize_ != kWindowsInfoSize && infoSize_ != kOs2InfoSize) return kBadInfoHeader;
    os2_ = infoSize_ == kOs2InfoSize;
    if (!ReadExactly(f, info + 4, infoSize_ - 4)) return kDamaged;

    if (os2_) {
        // The OS/2 header stores its sizes as unsigned 16-bit words.
        width_ = Le16(info + 4);
        height_ = Le16(info + 6);
        bitsPerPixel_ = Le16(info + 10);
    } else {
        width_ = static_cast<int32_t>(Le32(info + 4));
        const auto storedHeight = static_cast<int32_t>(Le32(info + 8));
        // A negative height marks rows stored top row first.
        topDown_ = storedHeight < 0;
        height_ = storedHeight == INT32_MIN ? 0 : std::abs(storedHeight);
        bitsPerPixel_ = Le16(info + 14);
        compression_ = Le32(info + 16);
        if (compression_ != 0) return kCompressed;
    }
    if (bitsPerPixel_ != 8 && bitsPerPixel_ != 24) return kUnsupportedDepth;
    if (width_ <= 0 || height_ <= 0) return kDamaged;
    if (bitsPerPixel_ == 8) ReadColourTable();
    return CheckPixelDataFits();
}

// Always 256 entries, whatever the header says about the colours used; the
// table follows the info header directly. A file that ends inside the table
// leaves the remaining entries zero.
BmpReader::Code BmpReader::ReadColourTable() {
    std::FILE* f = file_.get();
    const std::size_t entrySize = os2_ ? 3 : 4;
    std::array<uint8_t, 256 * 4> raw{};
    const std::size_t got = std::fread(raw.data(), 1, 256 * entrySize, f);
    std::fill(raw.begin() + static_cast<std::ptrdiff_t>(got), raw.end(), uint8_t{0});
    for (std::size_t i = 0; i < 256; ++i) {
        colourTable_[i * 4 + 0] = raw[i * entrySize + 0];
        colourTable_[i * 4 + 1] = raw[i * entrySize + 1];
        colourTable_[i * 4 + 2] = raw[i * entrySize + 2];
        colourTable_[i * 4 + 3] = os2_ ? 0 : raw[i * entrySize + 3];
    }
    return kNoError;
}

// Refuses a file whose rows would run past its end before any buffer of the
// declared size is allocated, so a damaged header cannot ask for gigabytes.
BmpReader::Code BmpReader::CheckPixelDataFits() const {
    std::FILE* f = file_.get();
    if (std::fseek(f, 0, SEEK_END) != 0) return kDamaged;
    const long size = std::ftell(f);
    if (size < 0) return kDamaged;
    const auto fileSize = static_cast<unsigned long long>(size);
    const unsigned long long needed = static_cast<unsigned long long>(StoredRowBytes()) * static_cast<uint32_t>(height_);
    if (pixelOffset_ > fileSize || needed > fileSize - pixelOffset_) return kDamaged;
    return kNoError;
}

std::size_t BmpReader::PackedRowBytes() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(bitsPerPixel_ / 8);
}

// Each stored row is padded to a multiple of four bytes.
std::size_t BmpReader::StoredRowBytes() const { return (PackedRowBytes() + 3) / 4 * 4; }

std::size_t BmpReader::PixelBytes() const {
    if (error_ != kNoError) return 0;
    return PackedRowBytes() * static_cast<std::size_t>(height_);
}

bool BmpReader::PaletteEntry(int index, uint8_t& red, uint8_t& green, uint8_t& blue) const {
    if (index < 0 || index > 255) return false;
    const auto at = static_cast<std::size_t>(index) * 4;
    blue = colourTable_[at];
    green = colourTable_[at + 1];
    red = colourTable_[at + 2];
    return true;
}

bool BmpReader::ReadPixels(std::vector<uint8_t>& pixels) {
    if (error_ != kNoError || !file_) return false;
    std::FILE* f = file_.get();
    const std::size_t packed = PackedRowBytes();
    const std::size_t stored = StoredRowBytes();
    const auto rows = static_cast<std::size_t>(height_);
    std::vector<uint8_t> row(stored);
    try {
        pixels.assign(packed * rows, 0);
    } catch (const std::bad_alloc&) {
        error_ = kDamaged;
        return false;
    }
    if (std::fseek(f, static_cast<long>(pixelOffset_), SEEK_SET) != 0) {
        error_ = kDamaged;
        return false;
    }
    for (std::size_t i = 0; i < rows; ++i) {
        if (!ReadExactly(f, row.data(), stored)) {
            error_ = kDamaged;
            return false;
        }
        // Bottom-up files store the bottom row first; top-down files keep their order.
        const std::size_t target = topDown_ ? i : rows - 1 - i;
        uint8_t* out = pixels.data() + target * packed;
        std::copy_n(row.data(), packed, out);
        if (bitsPerPixel_ == 24)
            for (std::size_t p = 0; p + 2 < packed; p += 3) std::swap(out[p], out[p + 2]);
    }
    return true;
}

}  // namespace sgry
