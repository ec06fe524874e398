#pragma once
// The functions of libjpeg that the JPEG reader calls, taken from the library
// when the first JPEG is read, so that a run without one never loads it.
#include <cstddef>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "platform/SharedLibrary.h"

namespace sgry {

struct JpegLibrary {
    decltype(&::jpeg_std_error) jpeg_std_error = nullptr;
    decltype(&::jpeg_CreateDecompress) jpeg_CreateDecompress = nullptr;
    decltype(&::jpeg_destroy_decompress) jpeg_destroy_decompress = nullptr;
    decltype(&::jpeg_mem_src) jpeg_mem_src = nullptr;
    decltype(&::jpeg_read_header) jpeg_read_header = nullptr;
};

// The library's functions, loaded on the first call.
const LibraryFunctions<JpegLibrary>& Libjpeg();

}  // namespace sgry
