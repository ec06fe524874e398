#include "pdf/CryptoPrimitives.h"

#include <nettle/aes.h>
#include <nettle/arcfour.h>
#include <nettle/cbc.h>
#include <nettle/md5.h>
#include <nettle/sha2.h>

#include <cstdint>
#include <random>

namespace sgry::crypto {

namespace {

constexpr std::size_t kBlock = 16;

const uint8_t* Bytes(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }
uint8_t* Bytes(std::string& s) { return reinterpret_cast<uint8_t*>(s.data()); }

template <class Context, std::size_t DigestSize>
std::string Digest(std::string_view data, void (*init)(Context*),
                   void (*update)(Context*, std::size_t, const uint8_t*),
                   void (*digest)(Context*, std::size_t, uint8_t*)) {
    Context context;
    init(&context);
    update(&context, data.size(), Bytes(data));
    std::string out(DigestSize, '\0');
    digest(&context, out.size(), Bytes(out));
    return out;
}

// nettle's block functions take their key schedule as void*; these adapters
// keep the function types exact.
void Aes128Encrypt(const void* c, std::size_t n, uint8_t* d, const uint8_t* s) {
    aes128_encrypt(static_cast<const aes128_ctx*>(c), n, d, s);
}
void Aes128Decrypt(const void* c, std::size_t n, uint8_t* d, const uint8_t* s) {
    aes128_decrypt(static_cast<const aes128_ctx*>(c), n, d, s);
}
void Aes256Encrypt(const void* c, std::size_t n, uint8_t* d, const uint8_t* s) {
    aes256_encrypt(static_cast<const aes256_ctx*>(c), n, d, s);
}
void Aes256Decrypt(const void* c, std::size_t n, uint8_t* d, const uint8_t* s) {
    aes256_decrypt(static_cast<const aes256_ctx*>(c), n, d, s);
}

std::string AesCbc(std::string_view key, std::string_view iv, std::string_view data, bool encrypt) {
    if ((key.size() != 16 && key.size() != 32) || iv.size() != kBlock || data.size() % kBlock != 0) return {};
    std::string chain(iv);
    std::string out(data.size(), '\0');
    if (data.empty()) return out;
    if (key.size() == 16) {
        aes128_ctx context;
        encrypt ? aes128_set_encrypt_key(&context, Bytes(key)) : aes128_set_decrypt_key(&context, Bytes(key));
        (encrypt ? cbc_encrypt : cbc_decrypt)(&context, encrypt ? Aes128Encrypt : Aes128Decrypt, kBlock, Bytes(chain),
                                               data.size(), Bytes(out), Bytes(data));
    } else {
        aes256_ctx context;
        encrypt ? aes256_set_encrypt_key(&context, Bytes(key)) : aes256_set_decrypt_key(&context, Bytes(key));
        (encrypt ? cbc_encrypt : cbc_decrypt)(&context, encrypt ? Aes256Encrypt : Aes256Decrypt, kBlock, Bytes(chain),
                                               data.size(), Bytes(out), Bytes(data));
    }
    return out;
}

}  // namespace

std::string Md5(std::string_view data) {
    return Digest<md5_ctx, MD5_DIGEST_SIZE>(data, md5_init, md5_update, md5_digest);
}
std::string Sha256(std::string_view data) {
    return Digest<sha256_ctx, SHA256_DIGEST_SIZE>(data, sha256_init, sha256_update, sha256_digest);
}
std::string Sha384(std::string_view data) {
    return Digest<sha512_ctx, SHA384_DIGEST_SIZE>(data, sha384_init, sha512_update, sha384_digest);
}
std::string Sha512(std::string_view data) {
    return Digest<sha512_ctx, SHA512_DIGEST_SIZE>(data, sha512_init, sha512_update, sha512_digest);
}

std::string Rc4(std::string_view key, std::string_view data) {
    if (key.empty() || key.size() > ARCFOUR_MAX_KEY_SIZE) return {};
    arcfour_ctx context;
    arcfour_set_key(&context, key.size(), Bytes(key));
    std::string out(data.size(), '\0');
    arcfour_crypt(&context, data.size(), Bytes(out), Bytes(data));
    return out;
}

std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view data) {
    return AesCbc(key, iv, data, true);
}
std::string AesCbcDecrypt(std::string_view key, std::string_view iv, std::string_view data) {
    return AesCbc(key, iv, data, false);
}

std::string RandomIv() {
    std::random_device device;
    std::string iv(kBlock, '\0');
    for (char& c : iv) c = static_cast<char>(device() & 0xFF);
    return iv;
}

}  // namespace sgry::crypto
