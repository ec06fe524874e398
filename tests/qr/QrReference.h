#pragma once
// A slow, independent reader of QR symbols for the encoder's tests: it knows
// the symbol layout from the standard's rules (not from the encoder's tables
// or placement code), reads format and version information, removes the
// mask, walks the codewords, checks every block's Reed-Solomon syndromes and
// decodes the segments back into bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace sgry::test {

struct ReferenceSymbol {
    std::string error;  // empty when the symbol read back cleanly
    int level = -1;
    int mask = -1;
    int version = 0;  // from the version information (7 and above) or the size
    std::vector<uint8_t> dataCodewords;
    std::vector<uint8_t> modeSequence;  // mode indicator of every segment
    std::string message;
    int dataBits = 0;  // bits of the segments, before the terminator
};

// Alignment centres by the rule: 6, then evenly spaced (even steps) up to side - 7.
std::vector<int> ReferenceAlignmentCentres(int version);

// True for every function module of the version (finders with separators,
// timing, alignment, format and version areas, dark module). side x side.
std::vector<bool> ReferenceFunctionModules(int version);

// Reads a matrix with a four-module quiet zone, n = side + 8 modules per row.
ReferenceSymbol ReadSymbol(const uint8_t* modules, int n);

// Total codewords, data codewords and the block structure of the standard,
// from its error-correction table (for the reference only).
struct ReferenceBlocks {
    int ecPerBlock = 0;
    std::vector<int> dataPerBlock;  // per block, in order
};
ReferenceBlocks ReferenceBlockStructure(int version, int level);

// The penalty score as a literal, slow reading of the rules, over a
// side x side array of colours (true dark).
int ReferencePenalty(const std::vector<bool>& dark, int side);

}  // namespace sgry::test
