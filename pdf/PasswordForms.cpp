#include "pdf/PasswordForms.h"

#include <stringprep.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

namespace sgry {

namespace {

constexpr std::size_t kMaxModernPassword = 127;

// The code points of PDFDocEncoding that differ from Latin-1: 0x18-0x1F
// (spacing accents) and 0x80-0xA0 (punctuation, ligatures, letters of
// Central European languages and the euro sign). 0x9F is undefined.
constexpr std::array<std::pair<char32_t, unsigned char>, 40> kPdfDocSpecials = {{
    {0x02D8, 0x18}, {0x02C7, 0x19}, {0x02C6, 0x1A}, {0x02D9, 0x1B}, {0x02DD, 0x1C}, {0x02DB, 0x1D},
    {0x02DA, 0x1E}, {0x02DC, 0x1F}, {0x2022, 0x80}, {0x2020, 0x81}, {0x2021, 0x82}, {0x2026, 0x83},
    {0x2014, 0x84}, {0x2013, 0x85}, {0x0192, 0x86}, {0x2044, 0x87}, {0x2039, 0x88}, {0x203A, 0x89},
    {0x2212, 0x8A}, {0x2030, 0x8B}, {0x201E, 0x8C}, {0x201C, 0x8D}, {0x201D, 0x8E}, {0x2018, 0x8F},
    {0x2019, 0x90}, {0x201A, 0x91}, {0x2122, 0x92}, {0xFB01, 0x93}, {0xFB02, 0x94}, {0x0141, 0x95},
    {0x0152, 0x96}, {0x0160, 0x97}, {0x0178, 0x98}, {0x017D, 0x99}, {0x0131, 0x9A}, {0x0142, 0x9B},
    {0x0153, 0x9C}, {0x0161, 0x9D}, {0x017E, 0x9E}, {0x20AC, 0xA0},
}};

// The next code point of a UTF-8 text; nullopt for a malformed sequence.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t extra = 0;
    if (lead >= 0xF0 && lead < 0xF5) {
        extra = 3;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        extra = 2;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        extra = 1;
    } else if (lead >= 0x80) {
        return std::nullopt;
    }
    if (pos + extra >= text.size() && extra > 0) return std::nullopt;
    char32_t value = extra == 0 ? lead : lead & (0x3Fu >> extra);
    for (std::size_t i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (next & 0x3Fu);
    }
    pos += extra + 1;
    return value;
}

std::optional<unsigned char> PdfDocByte(char32_t c) {
    const bool sameAsLatin1 = c < 0x18 || (c >= 0x20 && c < 0x7F) || (c >= 0xA1 && c <= 0xFF && c != 0xAD);
    if (sameAsLatin1) return static_cast<unsigned char>(c);
    const auto* special = std::find_if(kPdfDocSpecials.begin(), kPdfDocSpecials.end(),
                                       [c](const auto& entry) { return entry.first == c; });
    if (special == kPdfDocSpecials.end()) return std::nullopt;
    return special->second;
}

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

std::optional<std::string> Nfkc(std::string_view utf8) {
    const std::string text(utf8);
    const std::unique_ptr<char, FreeDeleter> normal(stringprep_utf8_nfkc_normalize(text.c_str(), -1));
    if (!normal) return std::nullopt;
    return std::string(normal.get());
}

void AddForm(std::vector<std::string>& forms, std::string form) {
    if (std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(std::move(form));
}

}  // namespace

std::optional<std::string> ToPdfDocEncoding(std::string_view utf8) {
    std::string out;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::optional<char32_t> c = NextCodePoint(utf8, pos);
        const std::optional<unsigned char> byte = c ? PdfDocByte(*c) : std::nullopt;
        if (!byte) return std::nullopt;
        out += static_cast<char>(*byte);
    }
    return out;
}

std::optional<std::string> SaslPrepared(std::string_view utf8) {
    const std::string text(utf8);
    if (text.find('\0') != std::string::npos) return std::nullopt;
    char* prepared = nullptr;
    const int rc = stringprep_profile(text.c_str(), &prepared, "SASLprep", static_cast<Stringprep_profile_flags>(0));
    const std::unique_ptr<char, FreeDeleter> owned(prepared);
    if (rc != STRINGPREP_OK || !owned) return std::nullopt;
    return std::string(owned.get());
}

std::vector<std::string> PasswordForms(std::string_view typed, bool modern) {
    std::vector<std::string> forms;
    if (modern) {
        if (std::optional<std::string> prepared = SaslPrepared(typed))
            AddForm(forms, prepared->substr(0, kMaxModernPassword));
        AddForm(forms, std::string(typed.substr(0, kMaxModernPassword)));
        return forms;
    }
    if (std::optional<std::string> encoded = ToPdfDocEncoding(typed)) AddForm(forms, std::move(*encoded));
    if (const std::optional<std::string> normal = Nfkc(typed))
        if (std::optional<std::string> encoded = ToPdfDocEncoding(*normal)) AddForm(forms, std::move(*encoded));
    AddForm(forms, std::string(typed));
    return forms;
}

}  // namespace sgry
