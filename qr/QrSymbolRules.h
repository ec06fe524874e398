#pragma once
// The rules the encoder is built from, as free functions so that tests can
// check each against the standard on its own. Internal to qr/.
#include <cstdint>

#include "qr/QrTables.h"

namespace sgry::qr {

// Character classes of the segmentation, ordered numeric < alphanumeric <
// byte by width; Kanji stands apart and never joins another class.
enum class CharClass : uint8_t { Numeric = 0, Alphanumeric = 1, Byte = 2, Kanji = 3 };

Mode ModeOfClass(CharClass charClass);

// Class of a single byte: 0x30-0x39 numeric; space $ % * + - . / : and A-Z
// alphanumeric; 0x81-0x9F and 0xE0-0xEB Kanji lead; everything else byte.
CharClass ClassOfByte(uint8_t byte);

// 0-9 digits, 10-35 A-Z, 36 space, 37 $, 38 %, 39 *, 40 +, 41 -, 42 ., 43 /, 44 :;
// -1 for any other byte.
int AlphanumericValue(uint8_t byte);

// Classifies every byte of the message into classes[0..length). Both bytes of
// a Kanji character are Kanji. A CP932 lead byte beyond the Kanji range
// (0xEC-0xFC) with a valid trail byte forms a two-byte byte-mode character, so
// that its trail byte is never mistaken for a Kanji lead byte.
// Returns 0, or 2 (bad trail byte after a Kanji lead byte) or 3 (lone Kanji
// lead byte at the end).
int ClassifyMessage(const uint8_t* message, int length, uint8_t* classes);

// Bits a segment costs: 4 + count indicator + data bits; numeric 10 per three
// digits (+4 for one, +7 for two left over), alphanumeric 11 per pair (+6 for
// an odd one), byte 8 per byte, Kanji 13 per two bytes. length counts bytes.
int SegmentCost(CharClass mode, int length, int version);

struct Segment {
    CharClass mode;
    int start;
    int length;  // bytes
};

// The next segment from start (< end) by the cost rules: runs of a narrower
// class join a wider segment when that is not dearer, and a short wider run
// swallows the segment before it when one segment is cheaper than two.
Segment NextSegment(const uint8_t* classes, int start, int end, int version);

// Remainder of data (first codeword highest) divided by the generator, in
// GF(256)/0x11D: the generator's degree error-correction codewords.
void ReedSolomonRemainder(const uint8_t* data, int dataLength, const GeneratorPolynomial& generator,
                          uint8_t* remainder);

// Mask condition at row i, column j; true inverts the module.
bool MaskCondition(int mask, int row, int column);

// Penalty of a symbol of the given side whose module bytes lie row-major with
// the given stride; a module is dark when its byte has the dark flag (2).
int PenaltyScore(const uint8_t* modules, int side, int stride);

// The 15-bit format information of a level (0 L, 1 M, 2 Q, 3 H) and mask.
uint32_t FormatInformation(int level, int mask);

// Row and column of bit k (0 least significant) of copy 0 or 1 of the format
// information, and of version information bit k in block 0 (upper right) or
// 1 (lower left).
struct ModulePosition {
    int row;
    int column;
};
ModulePosition FormatBitPosition(int bit, int copy, int side);
ModulePosition VersionBitPosition(int bit, int block, int side);

}  // namespace sgry::qr
