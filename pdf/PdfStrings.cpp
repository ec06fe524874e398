#include "pdf/PdfStrings.h"

#include <array>

namespace sgry {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

namespace {

bool IsRegular(char c) { return !IsPdfWhite(c) && !IsPdfDelimiter(c); }

std::optional<std::string> DecodeHex(std::string_view body) {
    std::string out;
    int high = -1;
    for (char c : body) {
        if (IsPdfWhite(c)) continue;
        const int value = HexDigitValue(c);
        if (value < 0) return std::nullopt;
        if (high < 0) {
            high = value;
        } else {
            out += static_cast<char>(high * 16 + value);
            high = -1;
        }
    }
    if (high >= 0) out += static_cast<char>(high * 16);
    return out;
}

// The escape after a backslash at body[i]; i moves to the last byte used.
void DecodeEscape(std::string_view body, std::size_t& i, std::string& out) {
    const char c = body[i];
    switch (c) {
        case 'n': out += '\n'; return;
        case 'r': out += '\r'; return;
        case 't': out += '\t'; return;
        case 'b': out += '\b'; return;
        case 'f': out += '\f'; return;
        case '\r':
            if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
            return;
        case '\n': return;
        default: break;
    }
    if (c < '0' || c > '7') {
        out += c;  // \( \) \\ and an unknown escape stand for the byte itself
        return;
    }
    int value = c - '0';
    for (int digits = 1; digits < 3 && i + 1 < body.size() && body[i + 1] >= '0' && body[i + 1] <= '7'; ++digits)
        value = value * 8 + (body[++i] - '0');
    out += static_cast<char>(value & 0xFF);
}

std::string DecodeLiteral(std::string_view body) {
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\\' && i + 1 < body.size()) {
            ++i;
            DecodeEscape(body, i, out);
        } else if (c == '\r') {
            // An unescaped line end of any kind reads as one LF.
            if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += c;
        }
    }
    return out;
}


}  // namespace

std::size_t LiteralEnd(std::string_view text, std::size_t begin, OpenLiteral* open) {
    // Most bytes of a string are none of the three that count; they are
    // passed over by one look in a table each.
    static constexpr std::array<bool, 256> kCounts = [] {
        std::array<bool, 256> counts{};
        counts['\\'] = counts['('] = counts[')'] = true;
        return counts;
    }();
    int depth = 0;
    bool escaping = false;
    for (std::size_t i = begin; i < text.size(); ++i) {
        while (i < text.size() && !kCounts[static_cast<unsigned char>(text[i])]) ++i;
        if (i == text.size()) break;
        if (text[i] == '\\') {
            escaping = ++i == text.size();
        } else if (text[i] == '(') {
            ++depth;
        } else if (--depth == 0) {
            return i + 1;
        }
    }
    if (open) *open = {depth, escaping};
    return std::string_view::npos;
}

std::optional<std::string> DecodeStringToken(std::string_view token) {
    if (token.size() >= 2 && token.front() == '(' && token.back() == ')')
        return DecodeLiteral(token.substr(1, token.size() - 2));
    if (token.size() >= 2 && token.front() == '<' && token.back() == '>' && token != "<<" && token[1] != '<')
        return DecodeHex(token.substr(1, token.size() - 2));
    return std::nullopt;
}

std::string HexStringToken(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "<";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out + ">";
}

// One pass over the text: comments and names are copied whole (a "(" in
// them opens no string), strings are rewritten, a run of regular bytes is
// checked for the two keywords that end the object's values.
RewrittenText RewriteStrings(std::string_view text, const StringTransform& transform) {
    RewrittenText result;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        std::size_t next = i + 1;
        if (c == '%') {
            while (next < text.size() && text[next] != '\r' && text[next] != '\n') ++next;
        } else if (c == '/') {
            while (next < text.size() && IsRegular(text[next])) ++next;
        } else if (c == '(' || (c == '<' && (i + 1 >= text.size() || text[i + 1] != '<'))) {
            next = c == '(' ? LiteralEnd(text, i) : text.find('>', i);
            if (next == std::string_view::npos) break;
            if (c == '<') ++next;
            const std::optional<std::string> bytes = DecodeStringToken(text.substr(i, next - i));
            if (!bytes) break;
            // A space after it keeps a following ">" from joining its ">" into ">>".
            result.text += HexStringToken(transform(*bytes)) + " ";
            i = next;
            continue;
        } else if (c == '<' || c == '>') {
            next = i + 2 <= text.size() && text[i + 1] == c ? i + 2 : i + 1;
        } else if (IsRegular(c)) {
            while (next < text.size() && IsRegular(text[next])) ++next;
            const std::string_view word = text.substr(i, next - i);
            if (word == "endobj" || word == "stream") {
                result.end = word == "endobj" ? TextEnd::Endobj : TextEnd::Stream;
                result.stop = i;
                return result;
            }
        }
        result.text.append(text.substr(i, next - i));
        i = next;
    }
    result.stop = text.size();
    result.end = TextEnd::Incomplete;
    return result;
}

}  // namespace sgry
