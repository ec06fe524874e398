#include "pdf/PdfStrings.h"

#include <array>

namespace sgry {

namespace {

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

// One pass over the text's tokens: strings are rewritten, everything
// between them is copied as it stands, and the object's values end at the
// first "endobj" or "stream" keyword.
RewrittenText RewriteStrings(std::string_view text, const StringTransform& transform) {
    RewrittenText result;
    const PdfLexer lexer(text, true);
    std::size_t copied = 0;
    auto copyUpTo = [&](std::size_t pos) {
        result.text.append(text.substr(copied, pos - copied));
        copied = pos;
    };
    PdfToken token = lexer.Next(0);
    for (; token.kind != PdfTokenKind::End; token = lexer.Next(token.end)) {
        if (token.kind == PdfTokenKind::LiteralString || token.kind == PdfTokenKind::HexString) {
            const std::optional<std::string> bytes = token.closed ? DecodeStringToken(lexer.Text(token)) : std::nullopt;
            copyUpTo(token.begin);
            if (!bytes) break;  // the text is cut or damaged here: what follows is not copied
            // A space after it keeps a following ">" from joining its ">" into ">>".
            result.text += HexStringToken(transform(*bytes)) + " ";
            copied = token.end;
        } else if (token.kind == PdfTokenKind::Word && (lexer.Text(token) == "endobj" || lexer.Text(token) == "stream")) {
            copyUpTo(token.begin);
            result.end = lexer.Text(token) == "endobj" ? TextEnd::Endobj : TextEnd::Stream;
            result.stop = token.begin;
            return result;
        }
    }
    if (token.kind == PdfTokenKind::End) copyUpTo(text.size());
    result.stop = text.size();
    result.end = TextEnd::Incomplete;
    return result;
}

}  // namespace sgry
