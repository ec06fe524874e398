#include "qr/QrTables.h"

namespace sgry::qr {

#include "qr/QrTables.inc"

namespace {

constexpr GaloisTables MakeGaloisTables() {
    GaloisTables t;
    unsigned x = 1;
    for (int i = 0; i < 255; ++i) {
        t.exp[i] = static_cast<uint8_t>(x);
        t.exp[i + 255] = static_cast<uint8_t>(x);
        t.log[x] = static_cast<uint8_t>(i);
        x <<= 1;
        if (x & 0x100) x ^= 0x11D;
    }
    return t;
}

constexpr GaloisTables kGalois = MakeGaloisTables();

}  // namespace

int CountIndicatorBits(Mode mode, int version) {
    static constexpr int kBits[4][3] = {{10, 12, 14}, {9, 11, 13}, {8, 16, 16}, {8, 10, 12}};
    const int range = version <= 9 ? 0 : (version <= 26 ? 1 : 2);
    switch (mode) {
        case Mode::Numeric: return kBits[0][range];
        case Mode::Alphanumeric: return kBits[1][range];
        case Mode::Byte: return kBits[2][range];
        case Mode::Kanji: return kBits[3][range];
    }
    return 0;
}

const VersionTable& VersionAt(int version) { return kVersionTables[version - 1]; }

const LevelTable& LevelAt(int version, int level) { return kVersionTables[version - 1].levels[level]; }

const GeneratorPolynomial* GeneratorOfDegree(int degree) {
    for (const GeneratorPolynomial& g : kGeneratorPolynomials)
        if (g.degree == degree) return &g;
    return nullptr;
}

const GaloisTables& Galois() { return kGalois; }

}  // namespace sgry::qr
