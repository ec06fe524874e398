#pragma once
// Thin wrappers over nettle's hashes and ciphers, on byte strings, for the
// security handler. No cipher or hash is implemented here.
#include <string>
#include <string_view>

namespace sgry::crypto {

std::string Md5(std::string_view data);
std::string Sha256(std::string_view data);
std::string Sha384(std::string_view data);
std::string Sha512(std::string_view data);
// RC4 with a key of 1 to 256 bytes (encryption and decryption are the same).
std::string Rc4(std::string_view key, std::string_view data);
// AES in CBC mode with a 16- or 32-byte key and a 16-byte iv, on data whose
// size is a multiple of 16 (no padding is added or removed). Returns "" for
// a key, iv or data of the wrong size.
std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view data);
std::string AesCbcDecrypt(std::string_view key, std::string_view iv, std::string_view data);
// 16 unpredictable bytes for an initialisation vector.
std::string RandomIv();

}  // namespace sgry::crypto
