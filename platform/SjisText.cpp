#include "platform/SjisText.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <memory>

namespace sgry::sjis {

namespace {

struct FullWidthRow {
    unsigned char single, first, second;
};

constexpr FullWidthRow kFullWidth[] = {
#include "platform/FullWidthTable.inc"
};

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle OpenIconv(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return IconvHandle();
    return IconvHandle(cd);
}

// Converts the whole input; empty optional on any invalid or unconvertible byte.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
    IconvHandle cd = OpenIconv(to, from);
    if (!cd) return std::nullopt;
    std::string out;
    std::string input(in);
    char* inPtr = input.data();
    size_t inLeft = input.size();
    std::array<char, 1024> chunk{};
    while (inLeft > 0) {
        char* outPtr = chunk.data();
        size_t outLeft = chunk.size();
        size_t r = iconv(static_cast<iconv_t>(cd.get()), &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(chunk.data(), chunk.size() - outLeft);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) return std::nullopt;
    }
    return out;
}

}  // namespace

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string ToFullWidth(std::string_view text) {
    std::array<const FullWidthRow*, 256> bySingle{};
    for (const FullWidthRow& row : kFullWidth) bySingle[row.single] = &row;

    std::string out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(byte) && i + 1 < text.size()) {
            out += text[i];
            out += text[++i];
        } else if (const FullWidthRow* row = bySingle[byte]) {
            out += static_cast<char>(row->first);
            out += static_cast<char>(row->second);
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<std::u16string> ToUtf16(std::string_view text, std::size_t maxUnits) {
    std::optional<std::string> bytes = Convert("UTF-16BE", "CP932", text);
    if (!bytes) return std::nullopt;
    const size_t units = bytes->size() / 2;
    if (units > maxUnits) return std::nullopt;
    std::u16string out(units, u'\0');
    for (size_t i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>((static_cast<unsigned char>((*bytes)[2 * i]) << 8) |
                                       static_cast<unsigned char>((*bytes)[2 * i + 1]));
    return out;
}

std::string ToUtf8(std::string_view cp932) {
    if (std::optional<std::string> whole = Convert("UTF-8", "CP932", cp932)) return *whole;
    // Convert what can be converted, one character at a time.
    std::string out;
    for (size_t i = 0; i < cp932.size(); ++i) {
        size_t len = (IsLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size()) ? 2 : 1;
        std::optional<std::string> part = Convert("UTF-8", "CP932", cp932.substr(i, len));
        out += part ? *part : std::string("\xEF\xBF\xBD");
        i += len - 1;
    }
    return out;
}

std::optional<std::string> FromUtf8(std::string_view utf8) {
    return Convert("CP932", "UTF-8", utf8);
}

}  // namespace sgry::sjis
