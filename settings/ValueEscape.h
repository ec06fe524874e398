#pragma once
// Escaped form of text values in the settings file.
//
// A private-profile line cannot hold a line break (the value ends at the
// first one) and loses blanks at its ends. Text that would not survive is
// written with the escape byte 0xFF:
//
//   0xFF 'n' = LF     0xFF 'r' = CR     0xFF 0xFF = 0xFF
//   0xFF 's' = space  0xFF 't' = tab    (used for blanks at the ends only)
//
// 0xFF is never part of valid CP932 text (nor of UTF-8), so no value that a
// text field could hold before this form existed contains it: old files and
// every value without line breaks, 0xFF or blanks at its ends are stored and
// read byte for byte as before. Only a value that needs it is escaped, and
// 0xFF followed by any other byte is read as it stands.
#include <string>
#include <string_view>

namespace sgry {

inline constexpr char kValueEscapeByte = '\xFF';

std::string EscapeValue(std::string_view value);
std::string UnescapeValue(std::string_view stored);

}  // namespace sgry
