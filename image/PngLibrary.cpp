#include "image/PngLibrary.h"

namespace sgry {

namespace {
bool Bind(SharedLibrary& library, PngLibrary& png) {
    return SGRY_BIND(library, png, png_create_read_struct) &&
           SGRY_BIND(library, png, png_create_info_struct) &&
           SGRY_BIND(library, png, png_destroy_read_struct) && SGRY_BIND(library, png, png_get_error_ptr) &&
           SGRY_BIND(library, png, png_set_longjmp_fn) && SGRY_BIND(library, png, png_init_io) &&
           SGRY_BIND(library, png, png_set_sig_bytes) && SGRY_BIND(library, png, png_read_info) &&
           SGRY_BIND(library, png, png_get_IHDR) && SGRY_BIND(library, png, png_get_rowbytes) &&
           SGRY_BIND(library, png, png_get_channels) && SGRY_BIND(library, png, png_get_valid) &&
           SGRY_BIND(library, png, png_get_bKGD) && SGRY_BIND(library, png, png_get_gAMA) &&
           SGRY_BIND(library, png, png_set_strip_16) && SGRY_BIND(library, png, png_set_expand) &&
           SGRY_BIND(library, png, png_set_gray_to_rgb) && SGRY_BIND(library, png, png_set_background) &&
           SGRY_BIND(library, png, png_set_gamma) && SGRY_BIND(library, png, png_read_update_info) &&
           SGRY_BIND(library, png, png_read_image) && SGRY_BIND(library, png, png_read_end);
}
}  // namespace

const LibraryFunctions<PngLibrary>& Libpng() {
    static const LibraryFunctions<PngLibrary> functions(SIGILRY_PNG_SONAME, Bind);
    return functions;
}

}  // namespace sgry
