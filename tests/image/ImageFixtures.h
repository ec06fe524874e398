#pragma once
// Image files made by the tests themselves: bitmaps and PNGs assembled byte
// by byte, JPEGs compressed with libjpeg, all in a temporary folder.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/SamplePdfs.h"
#include "support/ScratchDir.h"

namespace sgry::test {

// A scratch folder whose Write returns the path it wrote.
struct TempFolder : ScratchDir {
    TempFolder() : ScratchDir("image") {}
    std::string Write(const std::string& name, const std::string& bytes) const {
        ScratchDir::Write(File(name), bytes);
        return File(name);
    }
};

inline void PutLe16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}
inline void PutBe32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

using Rgb = std::array<uint8_t, 3>;

// A bitmap as the tests describe it: pixels top row first, packed, red-green-
// blue for 24 bits, indices for 8 bits, raw row bytes for other depths.
struct BmpLayout {
    int32_t width = 1;
    int32_t height = 1;
    bool topDown = false;  // store a negative height and the top row first
    uint16_t bitsPerPixel = 24;
    uint32_t compression = 0;
    bool os2 = false;
    uint32_t coloursUsed = 0;     // the header's count (0 = all)
    std::vector<Rgb> palette;     // entries actually stored
    std::vector<uint8_t> pixels;  // packed rows, top row first
    uint8_t padByte = 0xEE;       // fills the row padding, which must be skipped
    std::string afterPalette;     // bytes between the colour table and the pixels
};

inline std::string MakeBmp(const BmpLayout& layout) {
    const std::size_t packed = (static_cast<std::size_t>(layout.width) * layout.bitsPerPixel + 7) / 8;
    const std::size_t stored = (packed + 3) / 4 * 4;
    std::vector<uint8_t> pixels = layout.pixels;  // short pixel data is completed with zeros
    pixels.resize(packed * static_cast<std::size_t>(layout.height));
    std::string rows;
    for (int32_t i = 0; i < layout.height; ++i) {
        const int32_t y = layout.topDown ? i : layout.height - 1 - i;
        std::string row(pixels.begin() + static_cast<std::ptrdiff_t>(y * packed),
                        pixels.begin() + static_cast<std::ptrdiff_t>((y + 1) * packed));
        if (layout.bitsPerPixel == 24)
            for (std::size_t p = 0; p + 2 < row.size(); p += 3) std::swap(row[p], row[p + 2]);
        row.append(stored - packed, static_cast<char>(layout.padByte));
        rows += row;
    }
    std::string table;  // blue, green, red, and a reserved byte except in OS/2 files
    for (const Rgb& c : layout.palette) table += Bytes({c[2], c[1], c[0], 0}).substr(0, layout.os2 ? 3 : 4);
    table += layout.afterPalette;
    // Size, width and height (16 bits in OS/2 files, where top-down is not
    // told), planes, depth; then in Windows files compression, image size,
    // resolutions, colours used and colours important.
    std::string info;
    PutLe32(info, layout.os2 ? 12 : 40);
    const auto putSize = layout.os2 ? PutLe16 : PutLe32;
    putSize(info, static_cast<uint32_t>(layout.width));
    putSize(info, static_cast<uint32_t>(layout.topDown && !layout.os2 ? -layout.height : layout.height));
    PutLe16(info, 1);
    PutLe16(info, layout.bitsPerPixel);
    const auto rowBytes = static_cast<uint32_t>(rows.size());
    if (!layout.os2)
        for (const uint32_t v : {layout.compression, rowBytes, 2835u, 2835u, layout.coloursUsed, 0u}) PutLe32(info, v);
    const auto offset = static_cast<uint32_t>(14 + info.size() + table.size());
    std::string file = "BM";
    for (const uint32_t v : {offset + rowBytes, 0u, offset}) PutLe32(file, v);
    return file + info + table + rows;
}

// A PNG assembled chunk by chunk; rows are given unfiltered, without their
// filter byte, and stored with filter type 0.
struct PngLayout {
    uint32_t width = 1;
    uint32_t height = 1;
    uint8_t bitDepth = 8;
    uint8_t colourType = 2;
    std::vector<std::string> rows;
    std::string plte;  // PLTE chunk data, when not empty
    std::string trns;
    std::string bkgd;
};

inline std::string PngChunk(const char* type, const std::string& data) {
    std::string out;
    PutBe32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBe32(out, static_cast<uint32_t>(
                     crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    return out;
}

inline std::string MakePng(const PngLayout& layout) {
    std::string ihdr;
    PutBe32(ihdr, layout.width);
    PutBe32(ihdr, layout.height);
    ihdr += Bytes({layout.bitDepth, layout.colourType, 0, 0, 0});  // no compression, filter or interlace choice
    std::string raw;
    for (const std::string& row : layout.rows) raw += '\0' + row;
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string idat(size, '\0');
    compress(reinterpret_cast<Bytef*>(idat.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    idat.resize(size);
    std::string file = "\x89PNG\r\n\x1a\n";
    file += PngChunk("IHDR", ihdr);
    if (!layout.plte.empty()) file += PngChunk("PLTE", layout.plte);
    if (!layout.trns.empty()) file += PngChunk("tRNS", layout.trns);
    if (!layout.bkgd.empty()) file += PngChunk("bKGD", layout.bkgd);
    file += PngChunk("IDAT", idat);
    file += PngChunk("IEND", "");
    return file;
}

// A JPEG compressed by libjpeg: `components` 1 (grey), 3 (RGB) or 4 (CMYK),
// baseline or progressive; every sample of component c is 40 + 50 * c.
inline std::string MakeJpeg(int width, int height, int components, bool progressive) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components));
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<JSAMPLE>(40 + 50 * (i % components));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

}  // namespace sgry::test
