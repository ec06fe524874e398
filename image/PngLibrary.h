#pragma once
// The functions of libpng that the PNG reader calls, taken from the library
// when the first PNG is read, so that a run without one never loads it.
#include <png.h>

#include "platform/SharedLibrary.h"

namespace sgry {

struct PngLibrary {
    decltype(&::png_create_read_struct) png_create_read_struct = nullptr;
    decltype(&::png_create_info_struct) png_create_info_struct = nullptr;
    decltype(&::png_destroy_read_struct) png_destroy_read_struct = nullptr;
    decltype(&::png_get_error_ptr) png_get_error_ptr = nullptr;
    decltype(&::png_set_longjmp_fn) png_set_longjmp_fn = nullptr;
    decltype(&::png_init_io) png_init_io = nullptr;
    decltype(&::png_set_sig_bytes) png_set_sig_bytes = nullptr;
    decltype(&::png_read_info) png_read_info = nullptr;
    decltype(&::png_get_IHDR) png_get_IHDR = nullptr;
    decltype(&::png_get_rowbytes) png_get_rowbytes = nullptr;
    decltype(&::png_get_channels) png_get_channels = nullptr;
    decltype(&::png_get_valid) png_get_valid = nullptr;
    decltype(&::png_get_bKGD) png_get_bKGD = nullptr;
    decltype(&::png_get_gAMA) png_get_gAMA = nullptr;
    decltype(&::png_set_strip_16) png_set_strip_16 = nullptr;
    decltype(&::png_set_expand) png_set_expand = nullptr;
    decltype(&::png_set_gray_to_rgb) png_set_gray_to_rgb = nullptr;
    decltype(&::png_set_background) png_set_background = nullptr;
    decltype(&::png_set_gamma) png_set_gamma = nullptr;
    decltype(&::png_read_update_info) png_read_update_info = nullptr;
    decltype(&::png_read_image) png_read_image = nullptr;
    decltype(&::png_read_end) png_read_end = nullptr;
};

// The library's functions, loaded on the first call.
const LibraryFunctions<PngLibrary>& Libpng();

}  // namespace sgry
