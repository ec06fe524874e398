#include "pdf/CryptoPrimitives.h"

#include <nettle/aes.h>
#include <nettle/arcfour.h>
#include <nettle/cbc.h>
#include <nettle/md5.h>
#include <nettle/sha2.h>
#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <fstream>

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

// An AES key schedule with the function that runs it in one direction.
// nettle's CBC hands its block function the context as void*; the function
// found beside the schedule keeps the types exact.
template <class Schedule>
struct AesContext {
    Schedule schedule;
    void (*blocks)(const Schedule*, std::size_t, uint8_t*, const uint8_t*);
};

template <class Schedule>
void RunAesBlocks(const void* context, std::size_t n, uint8_t* d, const uint8_t* s) {
    const auto* aes = static_cast<const AesContext<Schedule>*>(context);
    aes->blocks(&aes->schedule, n, d, s);
}

template <class Schedule>
std::string AesCbcWith(AesContext<Schedule>& aes, std::string_view iv, std::string_view data, bool encrypt) {
    std::string chain(iv);
    std::string out(data.size(), '\0');
    (encrypt ? nettle_cbc_encrypt : nettle_cbc_decrypt)(&aes, RunAesBlocks<Schedule>, kBlock, Bytes(chain),
                                                        data.size(), Bytes(out), Bytes(data));
    return out;
}

std::string AesCbc(std::string_view key, std::string_view iv, std::string_view data, bool encrypt) {
    if ((key.size() != 16 && key.size() != 32) || iv.size() != kBlock || data.size() % kBlock != 0) return {};
    if (data.empty()) return std::string();
    if (key.size() == 16) {
        AesContext<aes128_ctx> aes{};
        (encrypt ? nettle_aes128_set_encrypt_key : nettle_aes128_set_decrypt_key)(&aes.schedule, Bytes(key));
        aes.blocks = encrypt ? nettle_aes128_encrypt : nettle_aes128_decrypt;
        return AesCbcWith(aes, iv, data, encrypt);
    }
    AesContext<aes256_ctx> aes{};
    (encrypt ? nettle_aes256_set_encrypt_key : nettle_aes256_set_decrypt_key)(&aes.schedule, Bytes(key));
    aes.blocks = encrypt ? nettle_aes256_encrypt : nettle_aes256_decrypt;
    return AesCbcWith(aes, iv, data, encrypt);
}

}  // namespace

std::string Md5(std::string_view data) {
    return Digest<md5_ctx, MD5_DIGEST_SIZE>(data, nettle_md5_init, nettle_md5_update, nettle_md5_digest);
}
std::string Sha256(std::string_view data) {
    return Digest<sha256_ctx, SHA256_DIGEST_SIZE>(data, nettle_sha256_init, nettle_sha256_update,
                                                  nettle_sha256_digest);
}
std::string Sha384(std::string_view data) {
    return Digest<sha512_ctx, SHA384_DIGEST_SIZE>(data, nettle_sha384_init, nettle_sha512_update,
                                                  nettle_sha384_digest);
}
std::string Sha512(std::string_view data) {
    return Digest<sha512_ctx, SHA512_DIGEST_SIZE>(data, nettle_sha512_init, nettle_sha512_update,
                                                  nettle_sha512_digest);
}

std::string Rc4(std::string_view key, std::string_view data) {
    if (key.empty() || key.size() > ARCFOUR_MAX_KEY_SIZE) return {};
    arcfour_ctx context;
    nettle_arcfour_set_key(&context, key.size(), Bytes(key));
    std::string out(data.size(), '\0');
    nettle_arcfour_crypt(&context, data.size(), Bytes(out), Bytes(data));
    return out;
}

std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view data) {
    return AesCbc(key, iv, data, true);
}
std::string AesCbcDecrypt(std::string_view key, std::string_view iv, std::string_view data) {
    return AesCbc(key, iv, data, false);
}

// From the system's generator; a kernel without getrandom is read through
// /dev/urandom. Nothing here throws.
std::string RandomIv() {
    std::string iv(kBlock, '\0');
    std::size_t filled = 0;
    while (filled < iv.size()) {
        const ssize_t got = ::getrandom(iv.data() + filled, iv.size() - filled, 0);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got < 0 && errno != EINTR) {
            break;
        }
    }
    if (filled == iv.size()) return iv;
    std::ifstream urandom("/dev/urandom", std::ios::binary);
    urandom.read(iv.data(), static_cast<std::streamsize>(iv.size()));
    return iv;
}

}  // namespace sgry::crypto
