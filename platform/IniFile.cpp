#include "platform/IniFile.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>
#include <vector>

#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/SjisText.h"

namespace sgry {

namespace {

constexpr std::string_view kNewLine = "\r\n";

// One line of the file: its text is [begin, end), its terminator [end, next).
struct Line {
    size_t begin;
    size_t end;
    size_t next;
    bool HasTerminator() const { return next > end; }
};

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    size_t begin = 0;
    while (begin < bytes.size()) {
        const size_t end = bytes.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) {
            lines.push_back({begin, bytes.size(), bytes.size()});
            break;
        }
        const size_t next = (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? end + 2 : end + 1;
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Name of a section header line "[name]", or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view text) {
    text = TrimIniBlanks(text);
    if (text.empty() || text.front() != '[') return std::nullopt;
    text.remove_prefix(1);
    return TrimIniBlanks(text.substr(0, text.find(']')));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> ParseEntry(std::string_view text) {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return Entry{TrimIniBlanks(text.substr(0, equals)), TrimIniBlanks(text.substr(equals + 1))};
}

// Where a key stands in the file, or where it would go.
struct KeyLocation {
    std::optional<size_t> sectionLastLine;  // last non-blank line of the section (its header at least)
    std::optional<size_t> keyLine;
};

KeyLocation Locate(std::string_view bytes, const std::vector<Line>& lines, std::string_view section,
                   std::string_view key) {
    KeyLocation where;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = bytes.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (const auto name = SectionName(text)) {
            if (inSection) break;  // only the first section of that name counts
            inSection = SameIniName(*name, section);
            if (inSection) where.sectionLastLine = i;
            continue;
        }
        if (!inSection) continue;
        if (!TrimIniBlanks(text).empty()) where.sectionLastLine = i;
        const auto entry = ParseEntry(text);
        if (entry && !where.keyLine && SameIniName(entry->key, key)) where.keyLine = i;
    }
    return where;
}

// The file's bytes with key=value set in section: replaced in place, added at
// the end of the section, or added with a new section at the end of the file.
std::string WithValue(std::string bytes, std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = std::string(key) + "=" + std::string(value);
    const std::vector<Line> lines = SplitLines(bytes);
    const KeyLocation where = Locate(bytes, lines, section, key);
    if (where.keyLine) {
        const Line& line = lines[*where.keyLine];
        bytes.replace(line.begin, line.end - line.begin, entry);
    } else if (where.sectionLastLine) {
        const Line& line = lines[*where.sectionLastLine];
        const std::string insert = line.HasTerminator() ? entry + std::string(kNewLine) : std::string(kNewLine) + entry;
        bytes.insert(line.next, insert);
    } else {
        if (!lines.empty() && !lines.back().HasTerminator()) bytes += kNewLine;
        bytes += "[" + std::string(section) + "]" + std::string(kNewLine) + entry + std::string(kNewLine);
    }
    return bytes;
}

// Appends name with its ASCII letters in upper case, but for the second byte
// of a two-byte CP932 character, which stays as it is: names match
// (SameIniName) when these are equal.
void AppendFolded(std::string& out, std::string_view name) {
    for (size_t i = 0; i < name.size(); ++i) {
        if (sjis::IsLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
            out += name.substr(i, 2);
            ++i;
        } else {
            const char c = name[i];
            out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
}

// A key under its section, folded; a line break, which no name holds, keeps
// the two apart.
std::string FoldedName(std::string_view section, std::string_view key) {
    std::string out;
    AppendFolded(out, section);
    out += '\n';
    AppendFolded(out, key);
    return out;
}

// Every key's value in one pass, found as Locate finds one: only the first
// block of a section's name counts, and in it the key's first entry.
std::unordered_map<std::string, std::string> ValuesOf(std::string_view bytes) {
    std::unordered_map<std::string, std::string> values;
    std::set<std::string> sectionsSeen;
    std::optional<std::string_view> section;  // the block's name while it is its section's first
    for (const Line& line : SplitLines(bytes)) {
        const std::string_view text = bytes.substr(line.begin, line.end - line.begin);
        if (const auto name = SectionName(text)) {
            section = sectionsSeen.insert(FoldedName(*name, "")).second ? name : std::nullopt;
            continue;
        }
        if (!section) continue;
        if (const auto entry = ParseEntry(text))
            values.try_emplace(FoldedName(*section, entry->key), entry->value);
    }
    return values;
}

const char* SkipSign(const char* p, const char* end, bool& negative) {
    negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    return p;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view TrimIniBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Equal without regard to ASCII case. The second byte of a two-byte CP932
// character can fall in 'a'-'z' and is compared as it stands.
bool SameIniName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    std::string foldedA;
    std::string foldedB;
    AppendFolded(foldedA, a);
    AppendFolded(foldedB, b);
    return foldedA == foldedB;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::PutString(std::string_view key, std::string_view value) const {
    key = TrimIniBlanks(key);
    if (key.empty()) return false;
    heldValues_.reset();
    if (held_) {
        *held_ = WithValue(std::move(*held_), section_, key, value);
        return true;
    }
    readsHeld_ = false;
    const std::optional<std::string> old = fs::ReadWholeFile(path_);
    const std::string bytes = WithValue(old.value_or(std::string()), section_, key, value);
    if (old && bytes == *old) return true;  // nothing to change: leave the file alone
    return fs::ReplaceFileContents(path_, bytes);
}

void IniFile::HoldWrites() const {
    if (held_) return;
    heldValues_.reset();
    heldOriginal_ = fs::ReadWholeFile(path_);
    held_ = heldOriginal_.value_or(std::string());
}

bool IniFile::CommitWrites() const {
    if (!held_) return true;
    const std::string bytes = std::move(*held_);
    held_.reset();
    heldValues_.reset();
    readsHeld_ = false;  // the file now holds the batch, not what was read before it
    if (heldOriginal_ && bytes == *heldOriginal_) return true;
    return fs::ReplaceFileContents(path_, bytes);
}

bool IniFile::HoldReads() const {
    heldReads_ = fs::ReadWholeFile(path_);
    readsHeld_ = true;
    heldValues_.reset();
    std::error_code error;
    return heldReads_.has_value() || !std::filesystem::exists(path_, error);
}

// A missing file holds no values, as an empty one.
const IniFile::Values& IniFile::HeldValues() const {
    if (!heldValues_) heldValues_ = ValuesOf(held_ ? *held_ : heldReads_.value_or(std::string()));
    return *heldValues_;
}

bool IniFile::PutInt(std::string_view key, int32_t value) const { return PutString(key, Format("%d", value)); }

bool IniFile::PutLong(std::string_view key, int32_t value) const { return PutString(key, Format("%ld", value)); }

bool IniFile::PutBool(std::string_view key, bool value) const { return PutString(key, value ? "True" : "False"); }

bool IniFile::PutFloat(std::string_view key, float value) const {
    return PutString(key, Format("%f", static_cast<double>(value)));
}

std::string IniFile::GetString(std::string_view key, std::string_view defaultValue) const {
    const std::string name = FoldedName(section_, TrimIniBlanks(key));
    if (held_ || readsHeld_) {
        const auto found = HeldValues().find(name);
        return found != HeldValues().end() ? found->second : std::string(defaultValue);
    }
    const std::optional<std::string> bytes = fs::ReadWholeFile(path_);
    if (!bytes) return std::string(defaultValue);
    const Values values = ValuesOf(*bytes);
    const auto found = values.find(name);
    return found != values.end() ? found->second : std::string(defaultValue);
}

bool IniFile::HasValue(std::string_view key) const { return !GetString(key).empty(); }

int32_t IniFile::GetInt(std::string_view key) const { return LeadingInt32(GetString(key)); }

int32_t IniFile::GetLong(std::string_view key) const { return LeadingInt32(GetString(key)); }

float IniFile::GetFloat(std::string_view key) const { return LeadingFloat(GetString(key)); }

bool IniFile::GetBool(std::string_view key) const { return GetString(key) == "True"; }

int32_t IniFile::GetIntClamped(std::string_view key, int32_t minimum, int32_t maximum) const {
    const int32_t value = GetInt(key);
    if (value < minimum) return minimum;
    if (value > maximum) return maximum;
    return value;
}

int64_t LeadingInt64(std::string_view text, int64_t limit) {
    text = TrimIniBlanks(text);
    bool negative = false;
    const char* p = SkipSign(text.data(), text.data() + text.size(), negative);
    const char* end = text.data() + text.size();
    // Accumulate past the limit only as far as needed to saturate.
    int64_t magnitude = 0;
    for (; p != end && IsDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) break;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    return value > limit ? limit : (value < -limit - 1 ? -limit - 1 : value);
}

int32_t LeadingInt32(std::string_view text) {
    return static_cast<int32_t>(LeadingInt64(text, std::numeric_limits<int32_t>::max()));
}

float LeadingFloat(std::string_view text) {
    text = TrimIniBlanks(text);
    bool negative = false;
    const char* end = text.data() + text.size();
    const char* p = SkipSign(text.data(), end, negative);
    // Digits with an optional fraction and exponent only: no "inf", "nan" or hex.
    const bool startsNumber = p != end && (IsDigit(*p) || (*p == '.' && p + 1 != end && IsDigit(p[1])));
    if (!startsNumber) return 0.0f;
    double value = 0.0;
    const auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec != std::errc()) return 0.0f;  // beyond the range of double
    if (negative) value = -value;
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}

}  // namespace sgry
