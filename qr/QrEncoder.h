#pragma once
// QR code symbol encoder (model 2, versions 1-40, error-correction levels L,
// M, Q, H). Turns a message of CP932 bytes into a square matrix of module
// bytes with a four-module light quiet zone. It segments the message into
// numeric, alphanumeric, byte and Kanji segments itself, chooses the mask by
// penalty score and can choose version and level automatically.
//
// All working storage lives inside the object (about 50 KB: create it on the
// heap or embed it in a heap object); the output matrix is the only
// allocation of an encoding. One encoder serves one thread.
//
// Error codes (ErrorCode(), 0 after a success):
//   1 the message does not fit the version and level (also: more than 7089
//     bytes, or a version or level out of range)
//   2 a Kanji lead byte (0x81-0x9F, 0xE0-0xEB) is followed by a byte outside
//     0x40-0x7E and 0x80-0xFC, or by one Kanji mode cannot carry (0xEB with
//     0xC0 or above)
//   3 the message ends with a lone Kanji lead byte
//   4 the output matrix could not be allocated
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "qr/QrTables.h"

namespace sgry {

// The symbol handed to the caller: (side + 8)^2 bytes row-major from the top
// row, 1 dark, 0 light, four light modules on every side. Owned by the caller.
struct QrMatrix {
    std::unique_ptr<uint8_t[]> modules;
    std::size_t byteCount = 0;
};

class QrEncoder {
public:
    static constexpr int kMaxMessageBytes = 7089;
    static constexpr int kLevelL = 0;
    static constexpr int kLevelM = 1;
    static constexpr int kLevelQ = 2;
    static constexpr int kLevelH = 3;
    static constexpr int kAutomaticMask = -1;

    enum ErrorCode : int {
        kNoError = 0,
        kDoesNotFit = 1,
        kBadKanjiTrailByte = 2,
        kLoneKanjiLeadByte = 3,
        kOutOfMemory = 4,
    };

    // Module byte flags of the working matrix.
    static constexpr uint8_t kDataBit = 1;   // data bit before masking
    static constexpr uint8_t kDark = 2;      // final colour
    static constexpr uint8_t kFunction = 4;  // function module: never masked, carries no data

    QrEncoder() = default;
    QrEncoder(const QrEncoder&) = delete;
    QrEncoder& operator=(const QrEncoder&) = delete;
    virtual ~QrEncoder() = default;

    // Encodes at exactly this version (1-40) and level (0 L, 1 M, 2 Q, 3 H).
    // On failure `out` is emptied and ErrorCode() says why.
    bool EncodeFixed(std::string_view message, int version, int level, QrMatrix& out);

    // Smallest version that holds the message, at the highest level that fits
    // in it (H, Q, M, L). On failure out, version and level are 0 and the
    // error code is 1, 4, or 2/3 for a message whose Kanji bytes are broken
    // (those fail at every version).
    bool EncodeAuto(std::string_view message, QrMatrix& out, int& version, int& level);

    // True when the message can be encoded at exactly this version and level;
    // version -1 means 40, level -1 means L. The matrix is built and freed.
    bool CheckFits(std::string_view message, int version, int level);

    // Modules per side with the quiet zone (side + 8), and the matrix size.
    static int SideWithQuietZone(int version);
    static std::size_t MatrixBytes(int version);

    int ErrorCode() const { return errorCode_; }

    // Mask: kAutomaticMask (the default, every caller's choice) or 0-7 to
    // force one (tests). Kept across encodings.
    void SetMask(int mask) { requestedMask_ = mask; }

    // State of the last encoding (meaningful after a success), for tests and diagnostics.
    int Version() const { return version_; }
    int Level() const { return level_; }
    int ChosenMask() const { return mask_; }
    int DataBitCount() const { return bitsWritten_; }  // before terminator and padding
    const uint8_t* DataCodewords() const { return dataCodewords_; }
    const uint8_t* FinalCodewords() const { return finalCodewords_; }
    // Working module byte (flags above) at row, column of the symbol.
    uint8_t ModuleAt(int row, int column) const { return matrix_[row * qr::kMaxSide + column]; }

protected:
    // Allocation of the output matrix; nullptr means out of memory.
    virtual std::unique_ptr<uint8_t[]> AllocateMatrix(std::size_t bytes);

private:
    bool Fail(int code);
    bool StoreMessage(std::string_view message);
    bool EncodeSegments();
    void AppendBits(uint32_t value, int count);
    void EncodeSegmentData(qr::Mode mode, int start, int length);
    void AppendTerminatorAndPadding();
    void ComputeErrorCorrection();
    void Interleave();
    void DrawFunctionPatterns();
    void DrawFinderPattern(int top, int left);
    void DrawAlignmentPattern(int centreRow, int centreColumn);
    void SetFunctionModule(int row, int column, bool dark);
    void ReserveFormatAndVersionAreas();
    void PlaceCodewords();
    bool NextDataModule();
    void ApplyMask(int mask);
    int ChooseMask();
    void WriteFormatInformation();
    void WriteVersionInformation();
    bool CopyOut(QrMatrix& out);

    int errorCode_ = 0;
    int version_ = 0;
    int level_ = 0;
    int requestedMask_ = kAutomaticMask;
    int mask_ = 0;

    uint8_t message_[kMaxMessageBytes] = {};
    int messageLength_ = 0;
    uint8_t classes_[kMaxMessageBytes] = {};  // qr::CharClass of every byte

    uint8_t dataCodewords_[qr::kMaxDataCodewords] = {};
    int byteIndex_ = 0;
    int bitIndex_ = 7;  // next bit of dataCodewords_[byteIndex_], 7 = most significant
    int bitsWritten_ = 0;

    uint8_t ecCodewords_[qr::kMaxCodewords] = {};
    uint8_t finalCodewords_[qr::kMaxCodewords] = {};

    uint8_t matrix_[qr::kMaxSide * qr::kMaxSide] = {};
    int side_ = 0;

    // Data placement cursor.
    int cursorRow_ = 0;
    int cursorColumn_ = 0;
    int cursorStep_ = 0;       // -1: to the left module of the strip, +1: back to the right
    int cursorDirection_ = 0;  // -1 up, +1 down
};

}  // namespace sgry
