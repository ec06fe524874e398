#pragma once
// The keys of a source trailer that the update's trailer carries over.
#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/TokenReader.h"

namespace sgry {

// Reads the trailer dictionary of the cross-reference section at
// sectionOffset (for a cross-reference stream: the stream's dictionary) and
// returns its keys and values, each token followed by one space, without the
// keys that describe the section itself (/Size, /Prev, /XRefStm; of a stream
// also /Type, /W, /Index, /Length, /Filter, /DecodeParms, /F, /FFilter,
// /FDecodeParms, /DL), which the update writes its own way, up to and
// including the dictionary's closing ">>". Nested dictionaries are counted, so
// an inline /Info or /Encrypt dictionary is copied whole; a trailer cut short
// by the end of the file, or a section without a "trailer" keyword, is closed
// with ">> ", so the result always completes one dictionary. A trailer that a
// reader would not take as one dictionary (a string or hexadecimal string
// left open) is copied entry by entry as the object parser reads it, up to
// its first broken entry.
// searchFrom: where the search for a classic section's "trailer" keyword (and
// its /Root) may start, when the caller knows the entries before it; -1 for
// the section offset.
std::string CopyTrailerKeys(TokenReader& reader, int64_t sectionOffset, int64_t searchFrom = -1);

// Whether the copied keys (as CopyTrailerKeys returns them) hold key in the
// trailer dictionary itself, not inside a nested dictionary.
bool TrailerKeysName(const std::string& keys, std::string_view key);

}  // namespace sgry
