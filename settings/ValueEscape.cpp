#include "settings/ValueEscape.h"

namespace sgry {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool NeedsEscape(std::string_view value) {
    if (value.empty()) return false;
    if (IsBlank(value.front()) || IsBlank(value.back())) return true;
    return value.find_first_of(std::string_view("\r\n\xFF", 3)) != std::string_view::npos;
}

}  // namespace

std::string EscapeValue(std::string_view value) {
    if (!NeedsEscape(value)) return std::string(value);
    const size_t firstInner = value.find_first_not_of(" \t");
    const size_t lastInner = value.find_last_not_of(" \t");
    std::string stored;
    stored.reserve(value.size() + 8);
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool atEnd = firstInner == std::string_view::npos || i < firstInner || i > lastInner;
        if (c == '\n') stored += "\xFFn";
        else if (c == '\r') stored += "\xFFr";
        else if (c == kValueEscapeByte) stored += "\xFF\xFF";
        else if (c == ' ' && atEnd) stored += "\xFFs";
        else if (c == '\t' && atEnd) stored += "\xFFt";
        else stored += c;
    }
    return stored;
}

std::string UnescapeValue(std::string_view stored) {
    if (stored.find(kValueEscapeByte) == std::string_view::npos) return std::string(stored);
    std::string value;
    value.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c != kValueEscapeByte || i + 1 == stored.size()) {
            value += c;
            continue;
        }
        switch (stored[i + 1]) {
        case 'n': value += '\n'; break;
        case 'r': value += '\r'; break;
        case 's': value += ' '; break;
        case 't': value += '\t'; break;
        case kValueEscapeByte: value += kValueEscapeByte; break;
        default: value += c; continue;  // not an escape: keep the byte, read the next as usual
        }
        ++i;
    }
    return value;
}

}  // namespace sgry
