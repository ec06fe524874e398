#include "qr/QrSymbolRules.h"

#include <cstdlib>

namespace sgry::qr {

namespace {

bool IsKanjiLead(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEB); }

bool IsTrailByte(uint8_t byte) { return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC); }

// Kanji mode packs (high x 0xC0 + low) of the code minus 0xC140 into 13 bits;
// 0xEBC0 and above would overflow them.
bool KanjiModeCarries(uint8_t lead, uint8_t trail) { return IsTrailByte(trail) && !(lead == 0xEB && trail >= 0xC0); }

int RunLength(const uint8_t* classes, int start, int end, CharClass charClass) {
    int p = start;
    while (p < end && classes[p] == static_cast<uint8_t>(charClass)) ++p;
    return p - start;
}

CharClass ClassAt(const uint8_t* classes, int p) { return static_cast<CharClass>(classes[p]); }

}  // namespace

Mode ModeOfClass(CharClass charClass) {
    switch (charClass) {
        case CharClass::Numeric: return Mode::Numeric;
        case CharClass::Alphanumeric: return Mode::Alphanumeric;
        case CharClass::Byte: return Mode::Byte;
        case CharClass::Kanji: return Mode::Kanji;
    }
    return Mode::Byte;
}

int AlphanumericValue(uint8_t byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'A' && byte <= 'Z') return byte - 'A' + 10;
    static constexpr char kSymbols[] = " $%*+-./:";
    for (int i = 0; kSymbols[i] != '\0'; ++i)
        if (byte == static_cast<uint8_t>(kSymbols[i])) return 36 + i;
    return -1;
}

CharClass ClassOfByte(uint8_t byte) {
    if (byte >= '0' && byte <= '9') return CharClass::Numeric;
    if (AlphanumericValue(byte) >= 0) return CharClass::Alphanumeric;
    if (IsKanjiLead(byte)) return CharClass::Kanji;
    return CharClass::Byte;
}

int ClassifyMessage(const uint8_t* message, int length, uint8_t* classes) {
    int i = 0;
    while (i < length) {
        const uint8_t byte = message[i];
        if (IsKanjiLead(byte)) {
            if (i + 1 >= length) return 3;
            if (!KanjiModeCarries(byte, message[i + 1])) return 2;
            classes[i] = classes[i + 1] = static_cast<uint8_t>(CharClass::Kanji);
            i += 2;
        } else if (byte >= 0xEC && byte <= 0xFC && i + 1 < length && IsTrailByte(message[i + 1])) {
            classes[i] = classes[i + 1] = static_cast<uint8_t>(CharClass::Byte);
            i += 2;
        } else {
            classes[i] = static_cast<uint8_t>(ClassOfByte(byte));
            i += 1;
        }
    }
    return 0;
}

int SegmentCost(CharClass mode, int length, int version) {
    int data = 0;
    switch (mode) {
        case CharClass::Numeric:
            data = 10 * (length / 3) + (length % 3 == 1 ? 4 : 0) + (length % 3 == 2 ? 7 : 0);
            break;
        case CharClass::Alphanumeric: data = 11 * (length / 2) + (length % 2 == 1 ? 6 : 0); break;
        case CharClass::Byte: data = 8 * length; break;
        case CharClass::Kanji: data = 13 * (length / 2); break;
    }
    return 4 + CountIndicatorBits(ModeOfClass(mode), version) + data;
}

Segment NextSegment(const uint8_t* classes, int start, int end, int version) {
    CharClass a = ClassAt(classes, start);
    int length = RunLength(classes, start, end, a);
    while (start + length < end) {
        const CharClass b = ClassAt(classes, start + length);
        if (a == CharClass::Kanji || b == CharClass::Kanji) break;
        const int n = RunLength(classes, start + length, end, b);
        if (a > b) {
            // A narrower run inside a wider segment: keep it apart only when
            // two (or three) segments cost less than one.
            int apart = SegmentCost(b, n, version) + SegmentCost(a, length, version);
            const int after = start + length + n;
            if (after < end && ClassAt(classes, after) == a) apart += SegmentCost(a, 0, version);
            if (apart < SegmentCost(a, length + n, version)) break;
            length += n;
            length += RunLength(classes, start + length, end, a);
            continue;
        }
        // A wider run follows: it takes this segment along when that is not dearer.
        if (SegmentCost(b, n, version) + SegmentCost(a, length, version) >= SegmentCost(b, length + n, version)) {
            a = b;
            length += n;
        }
        break;
    }
    return {a, start, length};
}

void ReedSolomonRemainder(const uint8_t* data, int dataLength, const GeneratorPolynomial& generator,
                          uint8_t* remainder) {
    const GaloisTables& gf = Galois();
    const int degree = generator.degree;
    for (int i = 0; i < degree; ++i) remainder[i] = 0;
    // Long division: remainder holds the running coefficients of x^(degree-1)..x^0.
    for (int i = 0; i < dataLength; ++i) {
        const uint8_t factor = data[i] ^ remainder[0];
        for (int j = 0; j + 1 < degree; ++j) remainder[j] = remainder[j + 1];
        remainder[degree - 1] = 0;
        if (factor == 0) continue;
        const int logFactor = gf.log[factor];
        for (int j = 0; j < degree; ++j) remainder[j] ^= gf.exp[logFactor + generator.exponents[j + 1]];
    }
}

bool MaskCondition(int mask, int row, int column) {
    const int i = row;
    const int j = column;
    switch (mask) {
        case 0: return (i + j) % 2 == 0;
        case 1: return i % 2 == 0;
        case 2: return j % 3 == 0;
        case 3: return (i + j) % 3 == 0;
        case 4: return (i / 2 + j / 3) % 2 == 0;
        case 5: return (i * j) % 2 + (i * j) % 3 == 0;
        case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
        case 7: return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
        default: return false;
    }
}

namespace {

constexpr uint8_t kDarkFlag = 2;

// Scores one line (a row or a column) of n colours (1 dark): runs of five or
// more, and dark-light-dark-dark-dark-light-dark with light or absent
// neighbours.
int LinePenalty(const uint8_t* line, int n) {
    int score = 0;
    int run = 1;
    for (int k = 1; k < n; ++k) {
        if (line[k] == line[k - 1]) {
            ++run;
            continue;
        }
        if (run >= 5) score += run - 2;
        run = 1;
    }
    if (run >= 5) score += run - 2;
    static constexpr uint8_t kFinderLike[7] = {1, 0, 1, 1, 1, 0, 1};
    for (int k = 0; k + 7 <= n; ++k) {
        if (line[k] == 0 || (k > 0 && line[k - 1] != 0) || (k + 7 < n && line[k + 7] != 0)) continue;
        int m = 1;
        while (m < 7 && line[k + m] == kFinderLike[m]) ++m;
        if (m == 7) score += 40;
    }
    return score;
}

}  // namespace

int PenaltyScore(const uint8_t* modules, int side, int stride) {
    auto darkAt = [&](int row, int column) -> uint8_t { return (modules[row * stride + column] & kDarkFlag) != 0; };
    uint8_t line[kMaxSide];
    int score = 0;
    int dark = 0;
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) {
            line[c] = darkAt(r, c);
            dark += line[c];
        }
        score += LinePenalty(line, side);
    }
    for (int c = 0; c < side; ++c) {
        for (int r = 0; r < side; ++r) line[r] = darkAt(r, c);
        score += LinePenalty(line, side);
    }
    for (int r = 0; r + 1 < side; ++r) {
        for (int c = 0; c + 1 < side; ++c) {
            const uint8_t d = darkAt(r, c);
            if (darkAt(r, c + 1) == d && darkAt(r + 1, c) == d && darkAt(r + 1, c + 1) == d) score += 3;
        }
    }
    const int p = dark * 100 / (side * side) - 50;
    score += (std::abs(p) / 5) * 10;
    return score;
}

uint32_t FormatInformation(int level, int mask) {
    static constexpr uint32_t kLevelBits[kLevelCount] = {1, 0, 3, 2};  // L 01, M 00, Q 11, H 10
    const uint32_t data = (kLevelBits[level] << 3) | static_cast<uint32_t>(mask);
    uint32_t remainder = data << 10;
    for (int bit = 14; bit >= 10; --bit)
        if (remainder >> bit & 1) remainder ^= 0x537u << (bit - 10);
    return ((data << 10) | remainder) ^ 0x5412u;
}

ModulePosition FormatBitPosition(int bit, int copy, int side) {
    if (copy == 0) {
        if (bit <= 5) return {bit, 8};
        if (bit == 6) return {7, 8};
        if (bit == 7) return {8, 8};
        if (bit == 8) return {8, 7};
        return {8, 14 - bit};
    }
    if (bit <= 7) return {8, side - 1 - bit};
    return {side - 15 + bit, 8};
}

ModulePosition VersionBitPosition(int bit, int block, int side) {
    const int along = bit / 3;
    const int across = side - 11 + bit % 3;
    return block == 0 ? ModulePosition{along, across} : ModulePosition{across, along};
}

}  // namespace sgry::qr
