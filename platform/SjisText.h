#pragma once
// Shift-JIS (code page 932) text helpers. Data strings of the program (custom
// texts, the QR message, watermark words, font names) are CP932 byte strings;
// their lengths and limits count bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sgry::sjis {

// Every byte below 0x80.
bool IsAscii(std::string_view text);

// 0x81-0x9F or 0xE0-0xFC: the first byte of a two-byte character.
bool IsLeadByte(unsigned char byte);

// Replaces every one-byte character by its full-width two-byte form, one
// character at a time (a half-width voiced mark stays a separate mark), and
// copies two-byte characters. Bytes without a full-width form are kept.
std::string ToFullWidth(std::string_view text);

// The UTF-16 buffer that text conversion fills holds this many code units.
inline constexpr std::size_t kUtf16BufferUnits = 80;

// CP932 to UTF-16 code units. Empty optional when the bytes are not valid
// CP932 or the result would need more than maxUnits code units.
std::optional<std::u16string> ToUtf16(std::string_view text,
                                      std::size_t maxUnits = kUtf16BufferUnits);

// Conversions at the edges (terminal, Qt widgets). ToUtf8 replaces bytes it
// cannot convert by U+FFFD; FromUtf8 fails on a character CP932 cannot hold.
std::string ToUtf8(std::string_view cp932);
std::optional<std::string> FromUtf8(std::string_view utf8);

}  // namespace sgry::sjis
