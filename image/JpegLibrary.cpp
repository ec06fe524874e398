#include "image/JpegLibrary.h"

namespace sgry {

namespace {
bool Bind(SharedLibrary& library, JpegLibrary& jpeg) {
    return SGRY_BIND(library, jpeg, jpeg_std_error) && SGRY_BIND(library, jpeg, jpeg_CreateDecompress) &&
           SGRY_BIND(library, jpeg, jpeg_destroy_decompress) && SGRY_BIND(library, jpeg, jpeg_mem_src) &&
           SGRY_BIND(library, jpeg, jpeg_read_header);
}
}  // namespace

const LibraryFunctions<JpegLibrary>& Libjpeg() {
    static const LibraryFunctions<JpegLibrary> functions(SIGILRY_JPEG_SONAME, Bind);
    return functions;
}

}  // namespace sgry
