#include "image/PngReader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>

#include "image/ImageFile.h"
#include "platform/CodeNumber.h"
#include "platform/Format.h"
#include "platform/Translation.h"

namespace sgry {
namespace {

// Owns libpng's read and info structures; whatever was created is destroyed
// on every path out of the decoding, a libpng error included.
class PngReadStructs {
public:
    explicit PngReadStructs(char* messageBuffer);
    ~PngReadStructs() {
        if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    PngReadStructs(const PngReadStructs&) = delete;
    PngReadStructs& operator=(const PngReadStructs&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

constexpr std::size_t kMessageSize = 256;
constexpr png_byte kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void KeepMessage(char* buffer, const char* message) {
    std::strncpy(buffer, message ? message : "", kMessageSize - 1);
    buffer[kMessageSize - 1] = '\0';
}

// Keeps libpng's message in the reader's fixed buffer (nothing that could
// throw runs here) and jumps back to the step that set the jump buffer.
[[noreturn]] void OnLibpngError(png_structp png, png_const_charp message) {
    KeepMessage(static_cast<char*>(png_get_error_ptr(png)), message);
    png_longjmp(png, 1);
}

void OnLibpngWarning(png_structp, png_const_charp) {}

PngReadStructs::PngReadStructs(char* messageBuffer) {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, messageBuffer, OnLibpngError, OnLibpngWarning);
    if (png_) info_ = png_create_info_struct(png_);
}

}  // namespace

bool PngReader::Open(const std::string& path) {
    path_ = path;
    width_ = height_ = 0;
    pixels_.clear();
    ImageFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error_ = kCannotOpen;
        return false;
    }
    error_ = Decode(file.get());
    if (error_ == kNoError) error_ = ConvertToRgb(file.get());
    decoded_ = {};
    if (error_ != kNoError) width_ = height_ = 0;
    return error_ == kNoError;
}

PngReader::Code PngReader::Decode(std::FILE* file) {
    if (!file) return kNoFile;
    png_byte signature[sizeof kSignature] = {};
    if (std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        std::memcmp(signature, kSignature, sizeof signature) != 0)
        return kNotPng;

    KeepMessage(libraryMessage_, "");
    PngReadStructs structs(libraryMessage_);
    if (!structs.png() || !structs.info()) return kNoStructures;
    png_init_io(structs.png(), file);
    png_set_sig_bytes(structs.png(), static_cast<int>(sizeof signature));

    if (const Code code = ReadInfoAndTransform(structs.png(), structs.info()); code != kNoError) return code;
    const auto rows = static_cast<std::size_t>(height_);
    if (rows != 0 && rowBytes_ > kMaxDecodedBytes / rows) return kOutOfMemory;
    if (const Code code = CheckDataCanFill(file); code != kNoError) return code;
    try {
        decoded_.assign(rows * rowBytes_, 0);
        rowPointers_.resize(rows);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    for (std::size_t y = 0; y < rows; ++y) rowPointers_[y] = decoded_.data() + y * rowBytes_;
    const Code code = ReadRows(structs.png(), structs.info());
    rowPointers_ = {};
    return code;
}

// Deflate packs at most 1032 bytes into one, so a file of n bytes cannot hold
// more than about 1032 n bytes of image data. A header that claims more is
// damaged: it is refused as libpng would refuse it once the data ran out,
// but before the rows are allocated, so that a small file cannot make the
// reader take memory out of proportion to it.
PngReader::Code PngReader::CheckDataCanFill(std::FILE* file) {
    constexpr std::size_t kMaxInflateRatio = 1100;  // 1032 and some room
    // libpng reads on from where it stopped: the position is put back.
    const long position = std::ftell(file);
    if (position < 0 || std::fseek(file, 0, SEEK_END) != 0) return kNoError;  // libpng reports what it meets
    const long size = std::ftell(file);
    if (std::fseek(file, position, SEEK_SET) != 0) return kLibraryError;
    if (size < 0) return kNoError;
    const auto fileBytes = static_cast<std::size_t>(size);
    const auto rows = static_cast<std::size_t>(height_);
    if (rows != 0 && storedRowBytes_ + 1 > fileBytes * kMaxInflateRatio / rows) {
        KeepMessage(libraryMessage_, "Not enough image data");
        return kLibraryError;
    }
    return kNoError;
}

// The steps that may end in libpng's error jump hold only plain values, so
// the jump skips no destructor; the structures belong to the caller.
PngReader::Code PngReader::ReadInfoAndTransform(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png)) != 0) return kLibraryError;
    png_read_info(png, info);
    png_get_IHDR(png, info, &width_, &height_, &bitDepth_, &colourType_, nullptr, nullptr, nullptr);
    storedRowBytes_ = png_get_rowbytes(png, info);  // as stored, before the transformations

    // Every form becomes 8-bit RGB, with an alpha channel where the file has one.
    if (bitDepth_ == 16) png_set_strip_16(png);
    if (colourType_ == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
    if (bitDepth_ < 8) png_set_expand(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_expand(png);
    if (colourType_ == PNG_COLOR_TYPE_GRAY || colourType_ == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);

    png_color_16p fileBackground = nullptr;
    if (png_get_bKGD(png, info, &fileBackground) && fileBackground) {
        png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        const int shift = bitDepth_ == 16 ? 8 : 0;
        hasBackground_ = true;
        background_ = {static_cast<uint8_t>(fileBackground->red >> shift),
                       static_cast<uint8_t>(fileBackground->green >> shift),
                       static_cast<uint8_t>(fileBackground->blue >> shift)};
    }
    double fileGamma = 0.0;
    if (png_get_gAMA(png, info, &fileGamma)) png_set_gamma(png, 2.2, fileGamma);

    png_read_update_info(png, info);
    png_get_IHDR(png, info, &width_, &height_, &bitDepth_, &colourType_, nullptr, nullptr, nullptr);
    rowBytes_ = png_get_rowbytes(png, info);
    channels_ = png_get_channels(png, info);
    return kNoError;
}

PngReader::Code PngReader::ReadRows(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png)) != 0) return kLibraryError;
    png_read_image(png, rowPointers_.data());
    png_read_end(png, info);
    return kNoError;
}

// Takes red, green and blue of every decoded pixel; a fourth (alpha) byte
// left without a bKGD chunk is dropped without blending.
PngReader::Code PngReader::ConvertToRgb(std::FILE* file) {
    if (!file) return kInternalError;
    if (bitDepth_ != 8 || channels_ < 3 || channels_ > 4) return kInternalError;
    const auto width = static_cast<std::size_t>(width_);
    const auto rows = static_cast<std::size_t>(height_);
    const auto channels = static_cast<std::size_t>(channels_);
    try {
        pixels_.assign(rows * width * 3, 0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    uint8_t* out = pixels_.data();
    for (std::size_t y = 0; y < rows; ++y) {
        const uint8_t* in = decoded_.data() + y * rowBytes_;
        for (std::size_t x = 0; x < width; ++x, in += channels, out += 3) std::memcpy(out, in, 3);
    }
    return kNoError;
}

std::string PngReader::ErrorText(Code code) const {
    switch (code) {
        case kNoError:
            return Translate("No error");
        case kCannotOpen:
            return Translate("Cannot open the file");
        case kNoFile:
            return Translate("File pointer error");
        case kNotPng:
            return Translate("Not a PNG file");
        case kNoStructures:
            return Translate("Could not create the PNG reader structures");
        case kOutOfMemory:
            return Translate("Out of memory");
        case kLibraryError:
            return libraryMessage_;
        case kInternalError:
            return Format(Translate("Internal error (%d)"), CodeNumber(code));
        default:
            return Format(Translate("Unknown error (%d)"), CodeNumber(code));
    }
}

}  // namespace sgry
