#include "QrReference.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace sgry::test {

namespace {

// GF(256) arithmetic by shift and reduce, without tables.
uint8_t GfMultiply(uint8_t a, uint8_t b) {
    unsigned result = 0;
    unsigned x = a;
    for (int i = 0; i < 8; ++i) {
        if (b >> i & 1) result ^= x;
        x <<= 1;
        if (x & 0x100) x ^= 0x11D;
    }
    return static_cast<uint8_t>(result);
}

uint8_t GfPower(int exponent) {
    uint8_t r = 1;
    for (int i = 0; i < exponent; ++i) r = GfMultiply(r, 2);
    return r;
}

// Error-correction codewords per block and number of blocks (L, M, Q, H).
const int kEcPerBlock[4][40] = {
    {7, 10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28, 28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26, 26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30, 28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28, 30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
};
const int kBlocks[4][40] = {
    {1, 1, 1, 1, 1, 2, 2, 2, 2, 4, 4, 4, 4, 4, 6, 6, 6, 6, 7, 8, 8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {1, 1, 1, 2, 2, 4, 4, 4, 5, 5, 5, 8, 9, 9, 10, 10, 11, 13, 14, 16, 17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {1, 1, 2, 2, 4, 4, 6, 6, 8, 8, 8, 10, 12, 16, 12, 17, 16, 18, 21, 20, 23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {1, 1, 2, 4, 4, 4, 5, 6, 8, 8, 11, 11, 16, 16, 18, 16, 19, 21, 25, 25, 25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
};

struct Pos {
    int row;
    int column;
};

// Format information bit k (0 least significant), copy 0 around the upper-left
// finder, copy 1 split between the other two.
Pos FormatPos(int k, int copy, int side) {
    static const Pos kCopy0[15] = {{0, 8}, {1, 8}, {2, 8}, {3, 8}, {4, 8}, {5, 8}, {7, 8}, {8, 8},
                                   {8, 7}, {8, 5}, {8, 4}, {8, 3}, {8, 2}, {8, 1}, {8, 0}};
    if (copy == 0) return kCopy0[k];
    if (k < 8) return {8, side - 1 - k};
    return {side - 7 + (k - 8), 8};
}

int Bch(uint32_t value, int dataBits, uint32_t generator, int generatorDegree) {
    uint32_t r = value << generatorDegree;
    for (int bit = dataBits + generatorDegree - 1; bit >= generatorDegree; --bit)
        if (r >> bit & 1) r ^= generator << (bit - generatorDegree);
    return static_cast<int>(r);
}

bool MaskAt(int mask, int i, int j) {
    switch (mask) {
        case 0: return (i + j) % 2 == 0;
        case 1: return i % 2 == 0;
        case 2: return j % 3 == 0;
        case 3: return (i + j) % 3 == 0;
        case 4: return (i / 2 + j / 3) % 2 == 0;
        case 5: return (i * j) % 2 + (i * j) % 3 == 0;
        case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
        default: return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
    }
}

ReferenceSymbol& Failed(ReferenceSymbol& s, std::string error) {
    s.error = std::move(error);
    return s;
}

class BitReader {
public:
    explicit BitReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    int Left() const { return static_cast<int>(bytes_.size()) * 8 - position_; }
    int Position() const { return position_; }
    unsigned Read(int n) {
        unsigned v = 0;
        for (int i = 0; i < n; ++i, ++position_)
            v = v << 1 | ((bytes_[static_cast<std::size_t>(position_ / 8)] >> (7 - position_ % 8)) & 1);
        return v;
    }

private:
    const std::vector<uint8_t>& bytes_;
    int position_ = 0;
};

}  // namespace

std::vector<int> ReferenceAlignmentCentres(int version) {
    if (version == 1) return {};
    const int side = 17 + 4 * version;
    const int count = version / 7 + 2;
    const int last = side - 7;
    // Even step, as large as needed to spread count centres from 6 to last;
    // version 32 is the standard's one exception to rounding up.
    int step = version == 32 ? 26 : ((last - 6) + (count - 1) - 1) / (count - 1);
    if (step % 2 == 1) ++step;
    std::vector<int> centres(static_cast<std::size_t>(count));
    centres[0] = 6;
    for (int i = count - 1, c = last; i >= 1; --i, c -= step) centres[static_cast<std::size_t>(i)] = c;
    return centres;
}

std::vector<bool> ReferenceFunctionModules(int version) {
    const int side = 17 + 4 * version;
    std::vector<bool> f(static_cast<std::size_t>(side * side), false);
    auto mark = [&](int r, int c) {
        if (r >= 0 && r < side && c >= 0 && c < side) f[static_cast<std::size_t>(r * side + c)] = true;
    };
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            mark(r, c);
            mark(r, side - 1 - c);
            mark(side - 1 - r, c);
        }
    for (int i = 0; i < side; ++i) {
        mark(6, i);
        mark(i, 6);
    }
    const std::vector<int> centres = ReferenceAlignmentCentres(version);
    for (int a : centres)
        for (int b : centres) {
            const bool onFinder = (a == 6 && b == 6) || (a == 6 && b == side - 7) || (a == side - 7 && b == 6);
            if (onFinder) continue;
            for (int r = -2; r <= 2; ++r)
                for (int c = -2; c <= 2; ++c) mark(a + r, b + c);
        }
    for (int k = 0; k < 15; ++k)
        for (int copy = 0; copy < 2; ++copy) {
            const Pos p = FormatPos(k, copy, side);
            mark(p.row, p.column);
        }
    mark(side - 8, 8);
    if (version >= 7)
        for (int r = 0; r < 6; ++r)
            for (int c = side - 11; c < side - 8; ++c) {
                mark(r, c);
                mark(c, r);
            }
    return f;
}

ReferenceBlocks ReferenceBlockStructure(int version, int level) {
    const std::vector<bool> f = ReferenceFunctionModules(version);
    int raw = 0;
    for (bool b : f) raw += b ? 0 : 1;
    const int total = raw / 8;
    const int blocks = kBlocks[level][version - 1];
    ReferenceBlocks result;
    result.ecPerBlock = kEcPerBlock[level][version - 1];
    const int longBlocks = total % blocks;
    for (int b = 0; b < blocks; ++b)
        result.dataPerBlock.push_back(total / blocks + (b >= blocks - longBlocks ? 1 : 0) - result.ecPerBlock);
    return result;
}

ReferenceSymbol ReadSymbol(const uint8_t* modules, int n) {
    ReferenceSymbol s;
    const int side = n - 8;
    s.version = (side - 17) / 4;
    if (side < 21 || (side - 17) % 4 != 0) return Failed(s, "bad size");
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const bool quiet = r < 4 || r >= n - 4 || c < 4 || c >= n - 4;
            if (quiet && modules[r * n + c] != 0) return Failed(s, "quiet zone not light");
            if (modules[r * n + c] > 1) return Failed(s, "module byte other than 0 or 1");
        }
    auto dark = [&](int r, int c) { return modules[(r + 4) * n + c + 4] != 0; };
    if (!dark(side - 8, 8)) return Failed(s, "dark module light");
    int words[2] = {0, 0};
    for (int copy = 0; copy < 2; ++copy)
        for (int k = 0; k < 15; ++k) {
            const Pos p = FormatPos(k, copy, side);
            if (dark(p.row, p.column)) words[copy] |= 1 << k;
        }
    if (words[0] != words[1]) return Failed(s, "format copies differ");
    const int format = words[0] ^ 0x5412;
    if (Bch(static_cast<uint32_t>(format >> 10), 5, 0x537, 10) != (format & 0x3FF))
        return Failed(s, "format BCH wrong");
    static const int kLevelOfBits[4] = {1, 0, 3, 2};  // 00 M, 01 L, 10 H, 11 Q
    s.level = kLevelOfBits[format >> 13];
    s.mask = (format >> 10) & 7;
    if (s.version >= 7) {
        int blocks[2] = {0, 0};
        for (int k = 0; k < 18; ++k) {
            if (dark(k / 3, side - 11 + k % 3)) blocks[0] |= 1 << k;
            if (dark(side - 11 + k % 3, k / 3)) blocks[1] |= 1 << k;
        }
        if (blocks[0] != blocks[1] || blocks[0] >> 12 != s.version ||
            Bch(static_cast<uint32_t>(s.version), 6, 0x1F25, 12) != (blocks[0] & 0xFFF))
            return Failed(s, "version information wrong");
    }
    // Timing patterns and finders.
    for (int i = 8; i < side - 8; ++i)
        if (dark(6, i) != (i % 2 == 0) || dark(i, 6) != (i % 2 == 0))
            return Failed(s, "timing pattern wrong");
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c) {
            const int ring = std::max(std::abs(r - 3), std::abs(c - 3));
            const bool want = ring != 2;
            if (dark(r, c) != want || dark(r, side - 7 + c) != want || dark(side - 7 + r, c) != want)
                return Failed(s, "finder pattern wrong");
        }
    // Codewords in zigzag order, unmasked.
    const std::vector<bool> f = ReferenceFunctionModules(s.version);
    std::vector<uint8_t> codewords;
    int bits = 0;
    uint8_t current = 0;
    for (int right = side - 1; right >= 1; right -= 2) {
        if (right == 6) right = 5;
        // Strip number counted from the right edge; the skipped timing column
        // does not count. Even strips go up.
        const int strip = right > 6 ? (side - 1 - right) / 2 : (side - 1 - 7) / 2 + 1 + (5 - right) / 2;
        const bool up = strip % 2 == 0;
        for (int v = 0; v < side; ++v) {
            const int row = up ? side - 1 - v : v;
            for (int j = 0; j < 2; ++j) {
                const int column = right - j;
                if (f[static_cast<std::size_t>(row * side + column)]) continue;
                const bool bit = dark(row, column) != MaskAt(s.mask, row, column);
                current = static_cast<uint8_t>(current << 1 | (bit ? 1 : 0));
                if (++bits % 8 == 0) {
                    codewords.push_back(current);
                    current = 0;
                }
            }
        }
    }
    const ReferenceBlocks blocks = ReferenceBlockStructure(s.version, s.level);
    const int blockCount = static_cast<int>(blocks.dataPerBlock.size());
    std::vector<std::vector<uint8_t>> block(static_cast<std::size_t>(blockCount));
    std::size_t k = 0;
    const int longest = blocks.dataPerBlock.back();
    for (int column = 0; column < longest; ++column)
        for (int b = 0; b < blockCount; ++b)
            if (column < blocks.dataPerBlock[static_cast<std::size_t>(b)]) block[static_cast<std::size_t>(b)].push_back(codewords.at(k++));
    for (int column = 0; column < blocks.ecPerBlock; ++column)
        for (int b = 0; b < blockCount; ++b) block[static_cast<std::size_t>(b)].push_back(codewords.at(k++));
    if (k != codewords.size()) return Failed(s, "codeword count does not match the block structure");
    for (int b = 0; b < blockCount; ++b) {
        const auto& cw = block[static_cast<std::size_t>(b)];
        for (int i = 0; i < blocks.ecPerBlock; ++i) {
            // Syndrome: the block polynomial at alpha^i must vanish.
            uint8_t value = 0;
            const uint8_t x = GfPower(i);
            for (uint8_t c : cw) value = static_cast<uint8_t>(GfMultiply(value, x) ^ c);
            if (value != 0) return Failed(s, "Reed-Solomon syndrome not zero in block " + std::to_string(b));
        }
        s.dataCodewords.insert(s.dataCodewords.end(), cw.begin(), cw.begin() + blocks.dataPerBlock[static_cast<std::size_t>(b)]);
    }
    // Segments.
    BitReader in(s.dataCodewords);
    static const char kAlnum[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    const int range = s.version <= 9 ? 0 : s.version <= 26 ? 1 : 2;
    static const int kCount[9][3] = {{0, 0, 0}, {10, 12, 14}, {9, 11, 13}, {0, 0, 0}, {8, 16, 16},
                                     {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {8, 10, 12}};
    while (in.Left() >= 4) {
        const int mode = static_cast<int>(in.Read(4));
        if (mode == 0) break;
        if (mode != 1 && mode != 2 && mode != 4 && mode != 8)
            return Failed(s, "unknown mode " + std::to_string(mode));
        s.modeSequence.push_back(static_cast<uint8_t>(mode));
        const int count = static_cast<int>(in.Read(kCount[mode][range]));
        if (mode == 1) {
            for (int i = 0; i < count; i += 3) {
                const int digits = count - i >= 3 ? 3 : count - i;
                const unsigned v = in.Read(digits == 3 ? 10 : digits == 2 ? 7 : 4);
                std::string t = std::to_string(v);
                s.message += std::string(static_cast<std::size_t>(digits) - t.size(), '0') + t;
            }
        } else if (mode == 2) {
            for (int i = 0; i < count; i += 2) {
                if (count - i >= 2) {
                    const unsigned v = in.Read(11);
                    s.message += kAlnum[v / 45];
                    s.message += kAlnum[v % 45];
                } else {
                    s.message += kAlnum[in.Read(6)];
                }
            }
        } else if (mode == 4) {
            for (int i = 0; i < count; ++i) s.message += static_cast<char>(in.Read(8));
        } else {
            for (int i = 0; i < count; ++i) {
                const unsigned v = in.Read(13);
                unsigned code = (v / 0xC0) << 8 | (v % 0xC0);
                code += code < 0x1F00 ? 0x8140 : 0xC140;
                s.message += static_cast<char>(code >> 8);
                s.message += static_cast<char>(code & 0xFF);
            }
        }
        s.dataBits = in.Position();
    }
    return s;
}

int ReferencePenalty(const std::vector<bool>& dark, int side) {
    auto at = [&](int r, int c) { return dark[static_cast<std::size_t>(r * side + c)]; };
    int score = 0;
    for (int line = 0; line < side; ++line)
        for (int vertical = 0; vertical < 2; ++vertical) {
            auto get = [&](int k) { return vertical ? at(k, line) : at(line, k); };
            // Runs: find each maximal run.
            int start = 0;
            while (start < side) {
                int end = start;
                while (end < side && get(end) == get(start)) ++end;
                if (end - start >= 5) score += end - start - 2;
                start = end;
            }
            for (int k = 0; k + 7 <= side; ++k) {
                const bool pattern = get(k) && !get(k + 1) && get(k + 2) && get(k + 3) && get(k + 4) && !get(k + 5) && get(k + 6);
                const bool before = k == 0 || !get(k - 1);
                const bool after = k + 7 == side || !get(k + 7);
                if (pattern && before && after) score += 40;
            }
        }
    for (int r = 0; r + 1 < side; ++r)
        for (int c = 0; c + 1 < side; ++c)
            if (at(r, c) == at(r, c + 1) && at(r, c) == at(r + 1, c) && at(r, c) == at(r + 1, c + 1)) score += 3;
    int darkCount = 0;
    for (bool d : dark) darkCount += d ? 1 : 0;
    const int p = darkCount * 100 / (side * side) - 50;
    return (std::abs(p) / 5) * 10 + score;
}

}  // namespace sgry::test
