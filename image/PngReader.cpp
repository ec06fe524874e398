#include "image/PngReader.h"

#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>

#include "image/ImageFile.h"
#include "image/PngLibrary.h"
#include "platform/Format.h"

namespace sgry {
namespace {

// Owns libpng's read and info structures; whatever was created is destroyed
// on every path out of the decoding, a libpng error included.
class PngReadStructs {
public:
    PngReadStructs(const PngLibrary& libpng, char* messageBuffer);
    ~PngReadStructs() {
        if (png_) libpng_.png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    PngReadStructs(const PngReadStructs&) = delete;
    PngReadStructs& operator=(const PngReadStructs&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    const PngLibrary& libpng_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

constexpr std::size_t kMessageSize = 256;
constexpr png_byte kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void KeepMessage(char* buffer, const char* message) {
    std::strncpy(buffer, message ? message : "", kMessageSize - 1);
    buffer[kMessageSize - 1] = '\0';
}

// libpng's png_jmpbuf, through the loaded library.
std::jmp_buf& JumpBuffer(const PngLibrary& libpng, png_structp png) {
    return *libpng.png_set_longjmp_fn(png, std::longjmp, sizeof(std::jmp_buf));
}

// Keeps libpng's message in the reader's fixed buffer (nothing that could
// throw runs here) and jumps back to the step that set the jump buffer.
[[noreturn]] void OnLibpngError(png_structp png, png_const_charp message) {
    const PngLibrary& libpng = *Libpng().Functions();  // loaded: libpng called this
    KeepMessage(static_cast<char*>(libpng.png_get_error_ptr(png)), message);
    std::longjmp(JumpBuffer(libpng, png), 1);
}

void OnLibpngWarning(png_structp, png_const_charp) {}

PngReadStructs::PngReadStructs(const PngLibrary& libpng, char* messageBuffer) : libpng_(libpng) {
    png_ =
        libpng.png_create_read_struct(PNG_LIBPNG_VER_STRING, messageBuffer, OnLibpngError, OnLibpngWarning);
    if (png_) info_ = libpng.png_create_info_struct(png_);
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

int PngReader::Decode(std::FILE* file) {
    if (!file) return kNoFile;
    png_byte signature[sizeof kSignature] = {};
    if (std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        std::memcmp(signature, kSignature, sizeof signature) != 0)
        return kNotPng;

    libpng_ = Libpng().Functions();
    KeepMessage(libraryMessage_, libpng_ ? "" : Libpng().Error().c_str());
    if (!libpng_) return kLibraryError;
    PngReadStructs structs(*libpng_, libraryMessage_);
    if (!structs.png() || !structs.info()) return kNoStructures;
    libpng_->png_init_io(structs.png(), file);
    libpng_->png_set_sig_bytes(structs.png(), static_cast<int>(sizeof signature));

    if (const int code = ReadInfoAndTransform(structs.png(), structs.info()); code != kNoError) return code;
    const auto rows = static_cast<std::size_t>(height_);
    if (rows != 0 && rowBytes_ > kMaxDecodedBytes / rows) return kOutOfMemory;
    if (const int code = CheckDataCanFill(file); code != kNoError) return code;
    try {
        decoded_.assign(rows * rowBytes_, 0);
        rowPointers_.resize(rows);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    for (std::size_t y = 0; y < rows; ++y) rowPointers_[y] = decoded_.data() + y * rowBytes_;
    const int code = ReadRows(structs.png(), structs.info());
    rowPointers_ = {};
    return code;
}

// Deflate packs at most 1032 bytes into one, so a file of n bytes cannot hold
// more than about 1032 n bytes of image data. A header that claims more is
// damaged: it is refused as libpng would refuse it once the data ran out,
// but before the rows are allocated, so that a small file cannot make the
// reader take memory out of proportion to it.
int PngReader::CheckDataCanFill(std::FILE* file) {
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
int PngReader::ReadInfoAndTransform(png_structp png, png_infop info) {
    if (setjmp(JumpBuffer(*libpng_, png)) != 0) return kLibraryError;
    libpng_->png_read_info(png, info);
    libpng_->png_get_IHDR(png, info, &width_, &height_, &bitDepth_, &colourType_, nullptr, nullptr, nullptr);
    storedRowBytes_ = libpng_->png_get_rowbytes(png, info);  // as stored, before the transformations

    // Every form becomes 8-bit RGB, with an alpha channel where the file has one.
    if (bitDepth_ == 16) libpng_->png_set_strip_16(png);
    if (colourType_ == PNG_COLOR_TYPE_PALETTE) libpng_->png_set_expand(png);
    if (bitDepth_ < 8) libpng_->png_set_expand(png);
    if (libpng_->png_get_valid(png, info, PNG_INFO_tRNS)) libpng_->png_set_expand(png);
    if (colourType_ == PNG_COLOR_TYPE_GRAY || colourType_ == PNG_COLOR_TYPE_GRAY_ALPHA)
        libpng_->png_set_gray_to_rgb(png);

    png_color_16p fileBackground = nullptr;
    if (libpng_->png_get_bKGD(png, info, &fileBackground) && fileBackground) {
        libpng_->png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        const int shift = bitDepth_ == 16 ? 8 : 0;
        hasBackground_ = true;
        background_ = {static_cast<uint8_t>(fileBackground->red >> shift),
                       static_cast<uint8_t>(fileBackground->green >> shift),
                       static_cast<uint8_t>(fileBackground->blue >> shift)};
    }
    double fileGamma = 0.0;
    if (libpng_->png_get_gAMA(png, info, &fileGamma)) libpng_->png_set_gamma(png, 2.2, fileGamma);

    libpng_->png_read_update_info(png, info);
    libpng_->png_get_IHDR(png, info, &width_, &height_, &bitDepth_, &colourType_, nullptr, nullptr, nullptr);
    rowBytes_ = libpng_->png_get_rowbytes(png, info);
    channels_ = libpng_->png_get_channels(png, info);
    return kNoError;
}

int PngReader::ReadRows(png_structp png, png_infop info) {
    if (setjmp(JumpBuffer(*libpng_, png)) != 0) return kLibraryError;
    libpng_->png_read_image(png, rowPointers_.data());
    libpng_->png_read_end(png, info);
    return kNoError;
}

// Takes red, green and blue of every decoded pixel; a fourth (alpha) byte
// left without a bKGD chunk is dropped without blending.
int PngReader::ConvertToRgb(std::FILE* file) {
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

std::string PngReader::ErrorText(int code) const {
    switch (code) {
    case kNoError: return "エラーは発生していません";
    case kCannotOpen: return "ファイルが開けません";
    case kNoFile: return "ファイルポインタエラー";
    case kNotPng: return "PNGファイルではありません";
    case kNoStructures: return "PNG情報格納域の生成エラー";
    case kOutOfMemory: return "メモリ不足";
    case kLibraryError: return libraryMessage_;
    case kInternalError: return Format("内部エラー(%d)", code);
    default: return Format("未定義のエラー(%d)", code);
    }
}

}  // namespace sgry
