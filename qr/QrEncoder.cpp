#include "qr/QrEncoder.h"

#include <cassert>
#include <cstring>
#include <new>

#include "qr/QrSymbolRules.h"

namespace sgry {

using qr::CharClass;
using qr::kMaxSide;

namespace {

constexpr uint8_t kFinderPattern[7][7] = {
    {1, 1, 1, 1, 1, 1, 1}, {1, 0, 0, 0, 0, 0, 1}, {1, 0, 1, 1, 1, 0, 1}, {1, 0, 1, 1, 1, 0, 1},
    {1, 0, 1, 1, 1, 0, 1}, {1, 0, 0, 0, 0, 0, 1}, {1, 1, 1, 1, 1, 1, 1},
};

constexpr uint8_t kAlignmentPattern[5][5] = {
    {1, 1, 1, 1, 1}, {1, 0, 0, 0, 1}, {1, 0, 1, 0, 1}, {1, 0, 0, 0, 1}, {1, 1, 1, 1, 1},
};

constexpr uint8_t kPadCodewords[2] = {236, 17};

bool IsValidVersion(int version) { return version >= qr::kMinVersion && version <= qr::kMaxVersion; }

bool IsValidLevel(int level) { return level >= 0 && level < qr::kLevelCount; }

}  // namespace

int QrEncoder::SideWithQuietZone(int version) { return qr::SymbolSide(version) + 2 * qr::kQuietZone; }

std::size_t QrEncoder::MatrixBytes(int version) {
    const auto n = static_cast<std::size_t>(SideWithQuietZone(version));
    return n * n;
}

std::unique_ptr<uint8_t[]> QrEncoder::AllocateMatrix(std::size_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]);
}

bool QrEncoder::Fail(int code) {
    errorCode_ = code;
    return false;
}

bool QrEncoder::EncodeFixed(std::string_view message, int version, int level, QrMatrix& out) {
    out = QrMatrix{};
    errorCode_ = kNoError;
    if (!IsValidVersion(version) || !IsValidLevel(level)) return Fail(kDoesNotFit);
    version_ = version;
    level_ = level;
    side_ = qr::SymbolSide(version);
    if (!StoreMessage(message)) return false;
    if (!EncodeSegments()) return false;
    AppendTerminatorAndPadding();
    ComputeErrorCorrection();
    Interleave();
    DrawFunctionPatterns();
    PlaceCodewords();
    mask_ = requestedMask_ == kAutomaticMask ? ChooseMask() : requestedMask_;
    ApplyMask(mask_);
    WriteFormatInformation();
    WriteVersionInformation();
    return CopyOut(out);
}

bool QrEncoder::EncodeAuto(std::string_view message, QrMatrix& out, int& version, int& level) {
    version = 0;
    level = 0;
    for (int v = qr::kMinVersion; v <= qr::kMaxVersion; ++v) {
        for (int l = kLevelH; l >= kLevelL; --l) {
            if (EncodeFixed(message, v, l, out)) {
                version = v;
                level = l;
                return true;
            }
            // Only a message that is too long for this size can fit a larger one.
            if (errorCode_ != kDoesNotFit) return false;
        }
    }
    return false;
}

bool QrEncoder::CheckFits(std::string_view message, int version, int level) {
    QrMatrix scratch;
    return EncodeFixed(message, version == -1 ? qr::kMaxVersion : version, level == -1 ? kLevelL : level,
                       scratch);
}

bool QrEncoder::StoreMessage(std::string_view message) {
    if (message.size() > static_cast<std::size_t>(kMaxMessageBytes)) return Fail(kDoesNotFit);
    messageLength_ = static_cast<int>(message.size());
    if (messageLength_ > 0) std::memcpy(message_, message.data(), message.size());
    const int code = qr::ClassifyMessage(message_, messageLength_, classes_);
    return code == 0 || Fail(code);
}

void QrEncoder::AppendBits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        if (value >> i & 1) dataCodewords_[byteIndex_] |= static_cast<uint8_t>(1u << bitIndex_);
        if (--bitIndex_ < 0) {
            bitIndex_ = 7;
            ++byteIndex_;
        }
    }
    bitsWritten_ += count;
}

bool QrEncoder::EncodeSegments() {
    std::memset(dataCodewords_, 0, sizeof dataCodewords_);
    byteIndex_ = 0;
    bitIndex_ = 7;
    bitsWritten_ = 0;
    const int capacityBits = qr::LevelAt(version_, level_).dataCodewords * 8;
    for (int pos = 0; pos < messageLength_;) {
        const qr::Segment segment = qr::NextSegment(classes_, pos, messageLength_, version_);
        if (qr::SegmentCost(segment.mode, segment.length, version_) > capacityBits - bitsWritten_)
            return Fail(kDoesNotFit);
        EncodeSegmentData(qr::ModeOfClass(segment.mode), segment.start, segment.length);
        pos += segment.length;
    }
    return true;
}

void QrEncoder::EncodeSegmentData(qr::Mode mode, int start, int length) {
    const uint8_t* bytes = message_ + start;
    const int characters = mode == qr::Mode::Kanji ? length / 2 : length;
    assert(characters < (1 << qr::CountIndicatorBits(mode, version_)));
    AppendBits(static_cast<uint32_t>(mode), 4);
    AppendBits(static_cast<uint32_t>(characters), qr::CountIndicatorBits(mode, version_));
    switch (mode) {
        case qr::Mode::Numeric: {
            int i = 0;
            for (; i + 3 <= length; i += 3)
                AppendBits(static_cast<uint32_t>((bytes[i] - '0') * 100 + (bytes[i + 1] - '0') * 10 + bytes[i + 2] - '0'),
                           10);
            if (length - i == 1) AppendBits(static_cast<uint32_t>(bytes[i] - '0'), 4);
            if (length - i == 2) AppendBits(static_cast<uint32_t>((bytes[i] - '0') * 10 + bytes[i + 1] - '0'), 7);
            break;
        }
        case qr::Mode::Alphanumeric: {
            int i = 0;
            for (; i + 2 <= length; i += 2)
                AppendBits(static_cast<uint32_t>(45 * qr::AlphanumericValue(bytes[i]) + qr::AlphanumericValue(bytes[i + 1])),
                           11);
            if (i < length) AppendBits(static_cast<uint32_t>(qr::AlphanumericValue(bytes[i])), 6);
            break;
        }
        case qr::Mode::Byte:
            for (int i = 0; i < length; ++i) AppendBits(bytes[i], 8);
            break;
        case qr::Mode::Kanji:
            for (int i = 0; i + 1 < length; i += 2) {
                const unsigned code = static_cast<unsigned>(bytes[i]) << 8 | bytes[i + 1];
                const unsigned offset = code - (bytes[i] <= 0x9F ? 0x8140u : 0xC140u);
                AppendBits((offset >> 8) * 0xC0 + (offset & 0xFF), 13);
            }
            break;
    }
}

void QrEncoder::AppendTerminatorAndPadding() {
    const int dataCodewords = qr::LevelAt(version_, level_).dataCodewords;
    const int bitsBeforePadding = bitsWritten_;
    const int freeBits = dataCodewords * 8 - bitsWritten_;
    AppendBits(0, freeBits < 4 ? freeBits : 4);
    if (freeBits > 3) AppendBits(0, (freeBits - 4) % 8);
    for (int k = 0; byteIndex_ < dataCodewords; ++k) AppendBits(kPadCodewords[k % 2], 8);
    bitsWritten_ = bitsBeforePadding;
}

void QrEncoder::ComputeErrorCorrection() {
    const qr::LevelTable& table = qr::LevelAt(version_, level_);
    const uint8_t* data = dataCodewords_;
    uint8_t* ec = ecCodewords_;
    for (const qr::BlockGroup& group : table.groups) {
        if (group.blocks == 0) continue;
        const int ecPerBlock = group.codewords - group.dataCodewords;
        const qr::GeneratorPolynomial* generator = qr::GeneratorOfDegree(ecPerBlock);
        assert(generator != nullptr);
        for (int b = 0; b < group.blocks; ++b) {
            qr::ReedSolomonRemainder(data, group.dataCodewords, *generator, ec);
            data += group.dataCodewords;
            ec += ecPerBlock;
        }
    }
}

void QrEncoder::Interleave() {
    const qr::LevelTable& table = qr::LevelAt(version_, level_);
    // Start of every block's data in the data codewords, in group and block order.
    int dataStart[qr::kMaxBlocks + 1];
    int dataLength[qr::kMaxBlocks];
    int blocks = 0;
    int offset = 0;
    for (const qr::BlockGroup& group : table.groups) {
        for (int b = 0; b < group.blocks; ++b) {
            dataStart[blocks] = offset;
            dataLength[blocks] = group.dataCodewords;
            offset += group.dataCodewords;
            ++blocks;
        }
    }
    const int longest = dataLength[blocks - 1];
    const int ecPerBlock = table.groups[0].codewords - table.groups[0].dataCodewords;
    int n = 0;
    for (int column = 0; column < longest; ++column)
        for (int b = 0; b < blocks; ++b)
            if (column < dataLength[b]) finalCodewords_[n++] = dataCodewords_[dataStart[b] + column];
    for (int column = 0; column < ecPerBlock; ++column)
        for (int b = 0; b < blocks; ++b) finalCodewords_[n++] = ecCodewords_[b * ecPerBlock + column];
    assert(n == qr::VersionAt(version_).totalCodewords);
}

void QrEncoder::SetFunctionModule(int row, int column, bool dark) {
    matrix_[row * kMaxSide + column] = static_cast<uint8_t>(kFunction | (dark ? kDark : 0));
}

void QrEncoder::DrawFinderPattern(int top, int left) {
    // The 7 x 7 pattern with its one-module light separator, clipped to the symbol.
    for (int r = -1; r <= 7; ++r) {
        for (int c = -1; c <= 7; ++c) {
            const int row = top + r;
            const int column = left + c;
            if (row < 0 || row >= side_ || column < 0 || column >= side_) continue;
            const bool inside = r >= 0 && r < 7 && c >= 0 && c < 7;
            SetFunctionModule(row, column, inside && kFinderPattern[r][c] != 0);
        }
    }
}

void QrEncoder::DrawAlignmentPattern(int centreRow, int centreColumn) {
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            SetFunctionModule(centreRow - 2 + r, centreColumn - 2 + c, kAlignmentPattern[r][c] != 0);
}

void QrEncoder::DrawFunctionPatterns() {
    std::memset(matrix_, 0, sizeof matrix_);
    DrawFinderPattern(0, 0);
    DrawFinderPattern(0, side_ - 7);
    DrawFinderPattern(side_ - 7, 0);
    const qr::AlignmentCentres& centres = qr::kAlignmentCentres[version_ - 1];
    for (int i = 0; i < centres.count; ++i) {
        for (int j = 0; j < centres.count; ++j) {
            const int row = centres.coordinates[i];
            const int column = centres.coordinates[j];
            if ((ModuleAt(row, column) & kFunction) == 0) DrawAlignmentPattern(row, column);
        }
    }
    for (int i = 8; i < side_ - 8; ++i) {
        if ((ModuleAt(6, i) & kFunction) == 0) SetFunctionModule(6, i, i % 2 == 0);
        if ((ModuleAt(i, 6) & kFunction) == 0) SetFunctionModule(i, 6, i % 2 == 0);
    }
    ReserveFormatAndVersionAreas();
}

void QrEncoder::ReserveFormatAndVersionAreas() {
    for (int bit = 0; bit < 15; ++bit) {
        for (int copy = 0; copy < 2; ++copy) {
            const qr::ModulePosition p = qr::FormatBitPosition(bit, copy, side_);
            SetFunctionModule(p.row, p.column, false);
        }
    }
    SetFunctionModule(side_ - 8, 8, false);  // the dark module, set after masking
    if (version_ < qr::kFirstVersionWithInformation) return;
    for (int bit = 0; bit < 18; ++bit) {
        for (int block = 0; block < 2; ++block) {
            const qr::ModulePosition p = qr::VersionBitPosition(bit, block, side_);
            SetFunctionModule(p.row, p.column, false);
        }
    }
}

bool QrEncoder::NextDataModule() {
    // Zigzag through two-column strips from the right edge: right module,
    // left module, then one row on; reverse at the top and bottom edges.
    if (cursorStep_ == -1) {
        --cursorColumn_;
        cursorStep_ = +1;
        return true;
    }
    ++cursorColumn_;
    cursorStep_ = -1;
    cursorRow_ += cursorDirection_;
    if (cursorRow_ >= 0 && cursorRow_ < side_) return true;
    cursorDirection_ = -cursorDirection_;
    cursorRow_ += cursorDirection_;
    cursorColumn_ -= 2;
    if (cursorColumn_ == 6) cursorColumn_ = 5;  // the vertical timing pattern has no strip
    return cursorColumn_ >= 1;
}

void QrEncoder::PlaceCodewords() {
    const int totalBits = qr::VersionAt(version_).totalCodewords * 8;
    cursorRow_ = side_ - 1;
    cursorColumn_ = side_ - 1;
    cursorStep_ = -1;
    cursorDirection_ = -1;
    int bit = 0;
    do {
        uint8_t& module = matrix_[cursorRow_ * kMaxSide + cursorColumn_];
        if ((module & kFunction) != 0) continue;
        // Remainder modules after the last codeword stay light.
        if (bit < totalBits && (finalCodewords_[bit / 8] >> (7 - bit % 8) & 1)) module = kDataBit;
        ++bit;
    } while (NextDataModule());
    assert(bit == totalBits + qr::VersionAt(version_).remainderBits);
}

void QrEncoder::ApplyMask(int mask) {
    for (int r = 0; r < side_; ++r) {
        uint8_t* row = matrix_ + r * kMaxSide;
        for (int c = 0; c < side_; ++c) {
            if ((row[c] & kFunction) != 0) continue;
            const bool dark = ((row[c] & kDataBit) != 0) != qr::MaskCondition(mask, r, c);
            row[c] = static_cast<uint8_t>((row[c] & kDataBit) | (dark ? kDark : 0));
        }
    }
}

int QrEncoder::ChooseMask() {
    int best = 0;
    int bestScore = 0;
    for (int mask = 0; mask < 8; ++mask) {
        ApplyMask(mask);
        const int score = qr::PenaltyScore(matrix_, side_, kMaxSide);
        if (mask == 0 || score < bestScore) {
            best = mask;
            bestScore = score;
        }
    }
    return best;
}

void QrEncoder::WriteFormatInformation() {
    const uint32_t word = qr::FormatInformation(level_, mask_);
    for (int bit = 0; bit < 15; ++bit) {
        for (int copy = 0; copy < 2; ++copy) {
            const qr::ModulePosition p = qr::FormatBitPosition(bit, copy, side_);
            SetFunctionModule(p.row, p.column, (word >> bit & 1) != 0);
        }
    }
    SetFunctionModule(side_ - 8, 8, true);
}

void QrEncoder::WriteVersionInformation() {
    if (version_ < qr::kFirstVersionWithInformation) return;
    const uint32_t word = qr::kVersionInformation[version_ - qr::kFirstVersionWithInformation];
    for (int bit = 0; bit < 18; ++bit) {
        for (int block = 0; block < 2; ++block) {
            const qr::ModulePosition p = qr::VersionBitPosition(bit, block, side_);
            SetFunctionModule(p.row, p.column, (word >> bit & 1) != 0);
        }
    }
}

bool QrEncoder::CopyOut(QrMatrix& out) {
    const std::size_t bytes = MatrixBytes(version_);
    std::unique_ptr<uint8_t[]> modules = AllocateMatrix(bytes);
    if (!modules) return Fail(kOutOfMemory);
    std::memset(modules.get(), 0, bytes);
    const int n = SideWithQuietZone(version_);
    for (int r = 0; r < side_; ++r) {
        uint8_t* target = modules.get() + static_cast<std::size_t>(r + qr::kQuietZone) * static_cast<std::size_t>(n) +
                          qr::kQuietZone;
        for (int c = 0; c < side_; ++c) target[c] = (ModuleAt(r, c) & kDark) != 0 ? 1 : 0;
    }
    out.modules = std::move(modules);
    out.byteCount = bytes;
    return true;
}

}  // namespace sgry
