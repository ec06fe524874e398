#pragma once
// The keys of a source trailer that the update's trailer carries over.
#include <cstdint>
#include <string>

#include "pdf/TokenReader.h"

namespace sgry {

// Reads the trailer dictionary of the cross-reference section at
// sectionOffset and returns its keys and values, each token followed by one
// space, without /Size and /Prev (the update writes its own), up to and
// including the dictionary's closing ">>". Nested dictionaries are counted, so
// an inline /Info or /Encrypt dictionary is copied whole; a trailer cut short
// by the end of the file, or a section without a "trailer" keyword, is closed
// with ">> ", so the result always completes one dictionary.
std::string CopyTrailerKeys(TokenReader& reader, int64_t sectionOffset);

}  // namespace sgry
