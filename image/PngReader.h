#pragma once
// Reader of a PNG image watermark: decodes the file with libpng and delivers
// it as 8-bit RGB rows, whatever its colour type and bit depth. Transparency
// is not kept: with a bKGD chunk the alpha channel is composed onto that
// colour, without one it is dropped and pixels show their stored colour.
//
// Error codes: Error(), PngReader::Code, texts from ErrorText.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// libpng's structures, declared here so that users need not include png.h.
struct png_struct_def;
struct png_info_def;

namespace sgry {

class PngReader {
public:
    enum class Code : int {
        kNoError = 0,
        kCannotOpen = 1,     // the file cannot be opened
        kNoFile = 2,         // no open file
        kNotPng = 3,         // not a PNG file
        kNoStructures = 4,   // libpng structures cannot be created
        kOutOfMemory = 5,    // out of memory (also for images whose decoded rows would exceed
                             // kMaxDecodedBytes)
        kLibraryError = 6,   // libpng reported an error; ErrorText gives libpng's own message
                             // (also "Not enough image data" for a header that claims more rows
                             // than the file's size could hold, refused before anything is
                             // allocated)
        kInternalError = 7,  // no open file when converting
    };
    using enum Code;

    // Upper bound of the decoded rows in bytes; larger images are refused
    // with kOutOfMemory before anything is allocated.
    static constexpr std::size_t kMaxDecodedBytes = std::size_t{1} << 30;

    struct Rgb {
        uint8_t red = 0, green = 0, blue = 0;
    };

    // Opens ("rb"), decodes and converts the file; true when Error() is kNoError.
    bool Open(const std::string& path);
    Code Error() const { return error_; }

    // Pixels after decoding (0 before a good Open).
    int Width() const { return static_cast<int>(width_); }
    int Height() const { return static_cast<int>(height_); }
    // Height x Width x 3: rows of red, green, blue, top row first.
    std::size_t PixelBytes() const { return pixels_.size(); }
    const std::vector<uint8_t>& Pixels() const { return pixels_; }

    // The file's bKGD colour, when it has one (after expansion to RGB).
    bool HasBackground() const { return hasBackground_; }
    Rgb Background() const { return background_; }

    // The message for a code (UTF-8); kLibraryError gives libpng's message.
    std::string ErrorText(Code code) const;

private:
    Code Decode(std::FILE* file);
    Code ReadInfoAndTransform(png_struct_def* png, png_info_def* info);
    Code ReadRows(png_struct_def* png, png_info_def* info);
    Code CheckDataCanFill(std::FILE* file);
    Code ConvertToRgb(std::FILE* file);

    Code error_ = kNoError;
    std::vector<uint8_t> decoded_;  // rows of rowBytes_, top row first
    int channels_ = 0;
    bool hasBackground_ = false;
    Rgb background_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    int bitDepth_ = 0;
    int colourType_ = 0;
    std::size_t rowBytes_ = 0;
    std::size_t storedRowBytes_ = 0;
    std::vector<uint8_t*> rowPointers_;
    char libraryMessage_[256] = {};  // filled inside libpng's error callback
    std::string path_;
    std::vector<uint8_t> pixels_;
};

}  // namespace sgry
