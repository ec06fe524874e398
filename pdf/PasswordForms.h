#pragma once
// The byte forms a typed password (UTF-8, as terminals and the desktop give
// it) may have been stored with. Writers of revisions 2 to 4 convert the
// password to PDFDocEncoding when it fits, some after compatibility
// normalisation, others take the bytes as they are; writers of revisions 5
// and 6 prepare it with SASLprep (RFC 4013), or again take the bytes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sgry {

// PDFDocEncoding of a UTF-8 text; nullopt when the text is not valid UTF-8
// or holds a character the encoding cannot represent.
std::optional<std::string> ToPdfDocEncoding(std::string_view utf8);

// The SASLprep form of a UTF-8 text (mapping, NFKC, prohibited characters
// and the bidirectional rule, unassigned code points allowed as for a
// query); nullopt when the profile refuses the text.
std::optional<std::string> SaslPrepared(std::string_view utf8);

// The forms to try, most likely first, without repeats. modern: revisions
// 5 and 6, whose passwords count at most 127 bytes (longer forms are cut).
std::vector<std::string> PasswordForms(std::string_view typed, bool modern);

}  // namespace sgry
