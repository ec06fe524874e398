#include "pdf/NettleLibrary.h"

namespace sgry {

namespace {
bool Bind(SharedLibrary& library, NettleLibrary& nettle) {
    return SGRY_BIND(library, nettle, nettle_md5_init) && SGRY_BIND(library, nettle, nettle_md5_update) &&
           SGRY_BIND(library, nettle, nettle_md5_digest) && SGRY_BIND(library, nettle, nettle_sha256_init) &&
           SGRY_BIND(library, nettle, nettle_sha256_update) &&
           SGRY_BIND(library, nettle, nettle_sha256_digest) &&
           SGRY_BIND(library, nettle, nettle_sha384_init) &&
           SGRY_BIND(library, nettle, nettle_sha384_digest) &&
           SGRY_BIND(library, nettle, nettle_sha512_init) &&
           SGRY_BIND(library, nettle, nettle_sha512_update) &&
           SGRY_BIND(library, nettle, nettle_sha512_digest) &&
           SGRY_BIND(library, nettle, nettle_arcfour_set_key) &&
           SGRY_BIND(library, nettle, nettle_arcfour_crypt) &&
           SGRY_BIND(library, nettle, nettle_aes128_set_encrypt_key) &&
           SGRY_BIND(library, nettle, nettle_aes128_set_decrypt_key) &&
           SGRY_BIND(library, nettle, nettle_aes128_encrypt) &&
           SGRY_BIND(library, nettle, nettle_aes128_decrypt) &&
           SGRY_BIND(library, nettle, nettle_aes256_set_encrypt_key) &&
           SGRY_BIND(library, nettle, nettle_aes256_set_decrypt_key) &&
           SGRY_BIND(library, nettle, nettle_aes256_encrypt) &&
           SGRY_BIND(library, nettle, nettle_aes256_decrypt) &&
           SGRY_BIND(library, nettle, nettle_cbc_encrypt) && SGRY_BIND(library, nettle, nettle_cbc_decrypt);
}
}  // namespace

const LibraryFunctions<NettleLibrary>& Libnettle() {
    static const LibraryFunctions<NettleLibrary> functions(SIGILRY_NETTLE_SONAME, Bind);
    return functions;
}

}  // namespace sgry
