#pragma once
// Reader of the two bitmap forms an image watermark may use: uncompressed
// 8 bits per pixel with a colour table, and uncompressed 24 bits per pixel,
// with either the 40-byte Windows or the 12-byte OS/2 info header.
//
// Error codes: Error(), BmpReader::Code; the batch run shows their numbers.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "image/ImageFile.h"

namespace sgry {

class BmpReader {
public:
    enum class Code : int {
        kNoError = 0,
        kNotBitmap = 1,         // the file does not start with "BM"
        kCannotOpen = 2,        // the file cannot be opened
        kBadInfoHeader = 3,     // the info header size is neither 40 nor 12
        kCompressed = 4,        // Windows header with a compression other than 0 (RLE, bit fields)
        kUnsupportedDepth = 5,  // bits per pixel other than 8 and 24
        kDamaged = 6,           // it ends inside its headers or pixel rows, or its width or height
                                // is 0 or negative (a negative Windows height, the top-down
                                // form, is accepted)
    };
    using enum Code;

    // Opens the file ("rb") and reads its headers and colour table. Returns
    // true when Error() is kNoError. The file stays open until the reader is destroyed.
    bool Open(const std::string& path);
    Code Error() const { return error_; }

    int BitsPerPixel() const { return bitsPerPixel_; }
    // Pixels; Height() is the absolute value of the stored height.
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Height x Width x 3 for 24 bits, Height x Width for 8 bits (rows packed).
    std::size_t PixelBytes() const;

    // Entry 0-255 of the colour table; false for an index outside 0-255.
    // Entries past the file's real table hold the bytes that follow it (zero
    // where the file ends first).
    bool PaletteEntry(int index, uint8_t& red, uint8_t& green, uint8_t& blue) const;

    // Fills `pixels` (resized to PixelBytes()) with the rows, top row first:
    // red, green, blue per pixel for 24 bits, one palette index per pixel for
    // 8 bits. False (kDamaged) when the file ends before the last row.
    bool ReadPixels(std::vector<uint8_t>& pixels);

private:
    Code ReadHeaders();
    Code ReadColourTable();
    Code CheckPixelDataFits() const;
    std::size_t StoredRowBytes() const;
    std::size_t PackedRowBytes() const;

    Code error_ = kNoError;
    std::array<uint8_t, 256 * 4> colourTable_{};  // blue, green, red, reserved
    uint32_t pixelOffset_ = 0;
    uint32_t infoSize_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool topDown_ = false;
    int bitsPerPixel_ = 0;
    uint32_t compression_ = 0;
    bool os2_ = false;
    ImageFile file_;
    std::string path_;
};

}  // namespace sgry
