#pragma once
// Accessor of a settings file of the private-profile (INI) kind, CP932 text:
//
//   [Section]
//   Key=Value
//
// - Section names and keys match without regard to ASCII case (the trail
//   byte of a two-byte CP932 character is never folded).
// - Names and values are trimmed of blanks (space, tab). Lines may end with
//   CR LF, LF or CR and may be of any length.
// - A missing file, section or key reads as "" (or the given default); the
//   first matching section and key win.
// - Writing creates the file, the section and the key as needed and replaces
//   an existing value in place; every other line is kept byte for byte. New
//   lines end with CR LF. The file is never written over in place: the new
//   bytes go to a temporary file that is synced and renamed over it, so a
//   crash while saving leaves the old file or the new one. A value is written as it stands (no quotes, no
//   escapes): one holding a line break reads back only up to that break.
//
// Number forms (locale-independent): int "%d", long "%ld", bool "True"/"False",
// float "%f". Reading a number takes the leading decimal number of the value
// (0 when there is none; integers saturate at the int32_t limits).
// No operation throws; a refused write is reported by the return value.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace sgry {

class IniFile {
public:
    // Section starts as "DefaultSection"; call SetSection before any access.
    explicit IniFile(std::string path);

    void SetSection(std::string name) { section_ = std::move(name); }
    const std::string& Section() const { return section_; }
    const std::string& Path() const { return path_; }

    // Returns false when the file could not be written.
    bool PutString(std::string_view key, std::string_view value) const;
    bool PutInt(std::string_view key, int32_t value) const;
    bool PutLong(std::string_view key, int32_t value) const;
    bool PutBool(std::string_view key, bool value) const;
    bool PutFloat(std::string_view key, float value) const;

    // Between HoldWrites and CommitWrites every Put changes a copy held in
    // memory (reads see it too), and CommitWrites replaces the file once:
    // saving a hundred keys costs one sync, not a hundred. False when the
    // file could not be written.
    void HoldWrites() const;
    bool CommitWrites() const;

    // From HoldReads on, every Get reads the bytes the file had then, until
    // a Put outside HoldWrites or a CommitWrites writes the file: loading a
    // hundred keys costs one read of the file, not a hundred. False when the
    // file is there but could not be read (it then reads as empty).
    bool HoldReads() const;

    // Stored value, trimmed; `defaultValue` when the file, section or key is
    // missing (a key present with an empty value reads as "").
    std::string GetString(std::string_view key, std::string_view defaultValue = "") const;
    // True when GetString(key) is not "": an empty value counts as absent.
    bool HasValue(std::string_view key) const;

    int32_t GetInt(std::string_view key) const;
    int32_t GetLong(std::string_view key) const;
    float GetFloat(std::string_view key) const;
    bool GetBool(std::string_view key) const;  // true only for the exact text "True"
    // GetInt pulled into [minimum, maximum].
    int32_t GetIntClamped(std::string_view key, int32_t minimum, int32_t maximum) const;

private:
    using Values = std::unordered_map<std::string, std::string>;
    const Values& HeldValues() const;

    std::string section_ = "DefaultSection";
    std::string path_;
    // The batch of HoldWrites; mutable because writes are const operations
    // of the accessor (they change the file, not the object).
    mutable std::optional<std::string> held_;
    mutable std::optional<std::string> heldOriginal_;
    mutable bool readsHeld_ = false;
    mutable std::optional<std::string> heldReads_;
    // The values of the held bytes (of writes, else of reads), taken in one
    // pass over them and dropped when they change.
    mutable std::optional<Values> heldValues_;
};

// A value or name without the blanks (space, tab) at its ends, as the file is read.
std::string_view TrimIniBlanks(std::string_view text);
// True when two section or key names match as the file matches them: ASCII
// letters without regard to case, two-byte CP932 characters byte for byte.
bool SameIniName(std::string_view a, std::string_view b);

// The conversions of the number forms, on their own for callers and tests.
int32_t LeadingInt32(std::string_view text);
// The same, saturated at -limit - 1 and limit (limit below 10^17).
int64_t LeadingInt64(std::string_view text, int64_t limit);
float LeadingFloat(std::string_view text);

}  // namespace sgry
