#include <algorithm>
#include <cstdint>
#include <vector>

#include "pdf/PdfLexer.h"
#include "pdf/StreamDecoder.h"

namespace sgry {

namespace {

// Appends bytes, false when out would pass limit.
bool Put(std::string& out, std::string_view bytes, std::size_t limit) {
    if (out.size() + bytes.size() > limit) return false;
    out.append(bytes);
    return true;
}

// The next code of width bits, most significant bit first; -1 at the end.
class BitReader {
public:
    explicit BitReader(std::string_view data) : data_(data) {}
    int Read(int width) {
        while (count_ < width) {
            if (pos_ == data_.size()) return -1;
            buffer_ = (buffer_ << 8) | static_cast<unsigned char>(data_[pos_++]);
            count_ += 8;
        }
        count_ -= width;
        return static_cast<int>((buffer_ >> count_) & ((1u << width) - 1));
    }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
    uint32_t buffer_ = 0;
    int count_ = 0;
};

}  // namespace

DecodeResult AsciiHexDecode(std::string_view in, std::size_t limit, std::string& out) {
    out.clear();
    int high = -1;
    for (const char c : in) {
        if (c == '>') break;
        if (IsPdfWhite(c)) continue;
        const int value = HexDigitValue(c);
        if (value < 0) return DecodeResult::Corrupt;
        if (high < 0) {
            high = value;
            continue;
        }
        if (!Put(out, std::string(1, static_cast<char>(high * 16 + value)), limit)) return DecodeResult::TooLarge;
        high = -1;
    }
    // An odd last digit stands for its high half.
    if (high >= 0 && !Put(out, std::string(1, static_cast<char>(high * 16)), limit)) return DecodeResult::TooLarge;
    return DecodeResult::Ok;
}

// Groups of five digits '!'..'u' in base 85 give four bytes; "z" alone
// stands for four zeros; a last group of n digits gives n - 1 bytes.
DecodeResult Ascii85Decode(std::string_view in, std::size_t limit, std::string& out) {
    out.clear();
    // Some writers keep the "<~" that opens the encoding in other formats.
    const std::size_t first = in.find_first_not_of(" \r\n\t\f", 0);
    if (first != std::string_view::npos && in.substr(first, 2) == "<~") in.remove_prefix(first + 2);
    out.reserve(std::min(limit, in.size() / 5 * 4 + 4));
    uint64_t value = 0;
    int digits = 0;
    const auto flush = [&](int bytes) {
        if (out.size() + static_cast<std::size_t>(bytes) > limit) return false;
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (24 - 8 * i)) & 0xFF));
        return true;
    };
    for (const char c : in) {
        if (IsPdfWhite(c)) continue;
        if (c == '~') break;
        if (c == 'z' && digits == 0) {
            if (!flush(4)) return DecodeResult::TooLarge;
            continue;
        }
        if (c < '!' || c > 'u') return DecodeResult::Corrupt;
        value = value * 85 + static_cast<uint64_t>(c - '!');
        if (++digits < 5) continue;
        if (value > 0xFFFFFFFFu) return DecodeResult::Corrupt;
        if (!flush(4)) return DecodeResult::TooLarge;
        value = 0;
        digits = 0;
    }
    if (digits == 1) return DecodeResult::Corrupt;
    if (digits > 1) {
        for (int i = digits; i < 5; ++i) value = value * 85 + 84;
        if (value > 0xFFFFFFFFu) return DecodeResult::Corrupt;
        if (!flush(digits - 1)) return DecodeResult::TooLarge;
    }
    return DecodeResult::Ok;
}

// A length byte n: n + 1 bytes follow as they are (n < 128), or the next
// byte repeated 257 - n times (n > 128); 128 ends the data.
DecodeResult RunLengthDecode(std::string_view in, std::size_t limit, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size();) {
        const auto length = static_cast<unsigned char>(in[i++]);
        if (length == 128) break;
        if (length < 128) {
            const std::size_t count = std::min<std::size_t>(length + 1u, in.size() - i);
            if (!Put(out, in.substr(i, count), limit)) return DecodeResult::TooLarge;
            i += count;
        } else if (i < in.size()) {
            if (!Put(out, std::string(257u - length, in[i++]), limit)) return DecodeResult::TooLarge;
        }
    }
    return DecodeResult::Ok;
}

// Codes of 9 to 12 bits: 256 clears the table, 257 ends the data, and each
// code after the first adds the previous entry and the first byte of this
// one. With early change the width grows one code sooner.
DecodeResult LzwDecode(std::string_view in, bool earlyChange, std::size_t limit, std::string& out) {
    constexpr int kClear = 256;
    constexpr int kEnd = 257;
    constexpr std::size_t kMaxEntries = 4096;
    out.clear();
    std::vector<std::string> table;
    const auto reset = [&table] {
        table.assign(258, std::string());
        for (int i = 0; i < 256; ++i) table[static_cast<std::size_t>(i)] = std::string(1, static_cast<char>(i));
    };
    reset();
    BitReader bits(in);
    int width = 9;
    std::string previous;
    bool havePrevious = false;
    for (int code = bits.Read(width); code >= 0 && code != kEnd; code = bits.Read(width)) {
        if (code == kClear) {
            reset();
            width = 9;
            havePrevious = false;
            continue;
        }
        std::string entry;
        const auto index = static_cast<std::size_t>(code);
        if (index < table.size() && index != kClear && index != kEnd) {
            entry = table[index];
        } else if (index == table.size() && havePrevious) {
            entry = previous + previous[0];
        } else {
            return DecodeResult::Corrupt;
        }
        if (havePrevious && table.size() < kMaxEntries) table.push_back(previous + entry[0]);
        if (!Put(out, entry, limit)) return DecodeResult::TooLarge;
        previous = std::move(entry);
        havePrevious = true;
        const std::size_t next = table.size() + (earlyChange ? 1 : 0);
        if (width < 12 && next >= (std::size_t{1} << width)) ++width;
    }
    return DecodeResult::Ok;
}

}  // namespace sgry
