#pragma once
// The tables of the QR code symbology (model 2, versions 1-40, levels L, M,
// Q, H) in the form the encoder keeps them, and the small rules that go with
// them. Internal to qr/: the encoder and its tests include it.
#include <array>
#include <cstdint>

namespace sgry::qr {

inline constexpr int kMinVersion = 1;
inline constexpr int kMaxVersion = 40;
inline constexpr int kLevelCount = 4;  // 0 L, 1 M, 2 Q, 3 H
inline constexpr int kMaxSide = 177;   // version 40
inline constexpr int kMaxDataCodewords = 2956;  // 40-L
inline constexpr int kMaxCodewords = 3706;      // version 40
inline constexpr int kMaxBlocks = 81;           // 40-H
inline constexpr int kMaxEcPerBlock = 30;
inline constexpr int kFirstVersionWithInformation = 7;
inline constexpr int kQuietZone = 4;

// Side of the symbol without quiet zone: 17 + 4 x version.
constexpr int SymbolSide(int version) { return 17 + 4 * version; }

// Mode of a segment, valued as its 4-bit mode indicator.
enum class Mode : uint8_t { Numeric = 1, Alphanumeric = 2, Byte = 4, Kanji = 8 };

// Width of the character count indicator: numeric 10/12/14, alphanumeric
// 9/11/13, byte 8/16/16, Kanji 8/10/12 for versions 1-9, 10-26, 27-40.
int CountIndicatorBits(Mode mode, int version);

struct BlockGroup {
    uint8_t blocks;           // 0 for an unused second group
    uint16_t codewords;       // per block
    uint16_t dataCodewords;   // per block
    uint8_t correctable;      // error codewords each block can correct
};

struct LevelTable {
    uint16_t dataCodewords;
    uint16_t capacity[4];  // characters in numeric, alphanumeric, byte, Kanji mode (reference only)
    BlockGroup groups[2];
};

struct VersionTable {
    uint16_t totalCodewords;
    uint8_t remainderBits;
    LevelTable levels[kLevelCount];
};

struct AlignmentCentres {
    uint8_t count;  // 0 for version 1
    uint8_t coordinates[7];
};

inline constexpr int kGeneratorCount = 13;

// Reed-Solomon generator polynomial of the given degree as exponents of
// alpha, the coefficient of x^degree first.
struct GeneratorPolynomial {
    uint8_t degree;
    uint8_t exponents[kMaxEcPerBlock + 1];
};

extern const VersionTable kVersionTables[kMaxVersion];  // index version - 1
extern const AlignmentCentres kAlignmentCentres[kMaxVersion];
extern const uint32_t kVersionInformation[kMaxVersion - kFirstVersionWithInformation + 1];  // index version - 7
extern const GeneratorPolynomial kGeneratorPolynomials[kGeneratorCount];

const VersionTable& VersionAt(int version);  // version 1-40
const LevelTable& LevelAt(int version, int level);
// nullptr for a degree no block structure uses.
const GeneratorPolynomial* GeneratorOfDegree(int degree);

// GF(256) with the primitive polynomial 0x11D: exponent table (alpha^i for
// i = 0..254, repeated once so that sums of two logarithms index it) and
// logarithm table (entry 0 unused).
struct GaloisTables {
    std::array<uint8_t, 510> exp{};
    std::array<uint8_t, 256> log{};
};
const GaloisTables& Galois();

}  // namespace sgry::qr
