#pragma once
// The functions of nettle that the security handler's primitives call, taken
// from the library when the first encrypted file is opened, so that a run
// without one never loads it.
#include <nettle/aes.h>
#include <nettle/arcfour.h>
#include <nettle/cbc.h>
#include <nettle/md5.h>
#include <nettle/sha2.h>

#include "platform/SharedLibrary.h"

namespace sgry {

struct NettleLibrary {
    decltype(&::nettle_md5_init) nettle_md5_init = nullptr;
    decltype(&::nettle_md5_update) nettle_md5_update = nullptr;
    decltype(&::nettle_md5_digest) nettle_md5_digest = nullptr;
    decltype(&::nettle_sha256_init) nettle_sha256_init = nullptr;
    decltype(&::nettle_sha256_update) nettle_sha256_update = nullptr;
    decltype(&::nettle_sha256_digest) nettle_sha256_digest = nullptr;
    decltype(&::nettle_sha384_init) nettle_sha384_init = nullptr;
    decltype(&::nettle_sha384_digest) nettle_sha384_digest = nullptr;
    decltype(&::nettle_sha512_init) nettle_sha512_init = nullptr;
    decltype(&::nettle_sha512_update) nettle_sha512_update = nullptr;
    decltype(&::nettle_sha512_digest) nettle_sha512_digest = nullptr;
    decltype(&::nettle_arcfour_set_key) nettle_arcfour_set_key = nullptr;
    decltype(&::nettle_arcfour_crypt) nettle_arcfour_crypt = nullptr;
    decltype(&::nettle_aes128_set_encrypt_key) nettle_aes128_set_encrypt_key = nullptr;
    decltype(&::nettle_aes128_set_decrypt_key) nettle_aes128_set_decrypt_key = nullptr;
    decltype(&::nettle_aes128_encrypt) nettle_aes128_encrypt = nullptr;
    decltype(&::nettle_aes128_decrypt) nettle_aes128_decrypt = nullptr;
    decltype(&::nettle_aes256_set_encrypt_key) nettle_aes256_set_encrypt_key = nullptr;
    decltype(&::nettle_aes256_set_decrypt_key) nettle_aes256_set_decrypt_key = nullptr;
    decltype(&::nettle_aes256_encrypt) nettle_aes256_encrypt = nullptr;
    decltype(&::nettle_aes256_decrypt) nettle_aes256_decrypt = nullptr;
    decltype(&::nettle_cbc_encrypt) nettle_cbc_encrypt = nullptr;
    decltype(&::nettle_cbc_decrypt) nettle_cbc_decrypt = nullptr;
};

// The library's functions, loaded on the first call.
const LibraryFunctions<NettleLibrary>& Libnettle();

}  // namespace sgry
