#pragma once
// The QR code stamp of one job (one output file): the message is encoded
// once, the symbol is written as a form XObject of filled 10 x 10 unit
// squares, and every selected page paints that form at one of the nine
// positions.
//
// Lifecycle: created with the job, Prepare() once before the pages are
// stamped, Place() per page, destroyed with the job. The module matrix
// exists only during Prepare(). Holds a QrEncoder (about 50 KB): keep the
// stamp on the heap.
#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/ObjectWriter.h"
#include "pdf/PageEntry.h"
#include "qr/QrEncoder.h"
#include "render/StampGeometry.h"

namespace sgry {

struct StampSettings;

// How the symbol's version and level are chosen: automatically (smallest
// version, highest level that holds the message) or as given (version 1-40,
// level 0 L, 1 M, 2 Q, 3 H).
struct QrSymbolChoice {
    bool automatic = true;
    int version = 10;
    int level = QrEncoder::kLevelH;

    // QRIsVersionAuto, QRVersion and QRECLevel of the settings.
    static QrSymbolChoice FromSettings(const StampSettings& settings);
};

struct QrFormRef {
    int32_t number = 0;
    int32_t generation = 0;
};

class QrStamp {
public:
    // Error codes: the encoder's (QrEncoder.h: 1 does not fit, 2 bad Kanji
    // trail byte, 3 lone Kanji lead byte, 4 out of memory), and
    static constexpr int kFormNotWritten = 5;  // appending the form to the output failed

    // Points per module of the placement box (N x this is the box side).
    static constexpr float kBoxPointsPerModule = 0.79387f;
    // Scale from form units (10 per module) to points, printed "%.4f" as 0.0794.
    static constexpr double kFormScale = 0.07937007878006883;

    QrStamp() = default;
    QrStamp(const QrStamp&) = delete;
    QrStamp& operator=(const QrStamp&) = delete;

    // Encodes the message (CP932 bytes) and writes the form through the
    // writer (object kind QrForm, generation 0). Returns 1 on success, 0 on
    // failure with ErrorCode() set; after a failure nothing is placed.
    int Prepare(std::string_view message, const QrSymbolChoice& choice, ObjectWriter& writer);

    // (number, generation) of the form, for the page resources.
    QrFormRef ObjectRef() const { return {objectNumber_, generation_}; }

    // The page's content fragment that paints the form (formName, e.g.
    // "/UK3") at position 0-8 (anything else is centred); margins in
    // millimetres count only when followMargins is true (QRMarginValid).
    std::string Place(int position, const PageEntry& page, std::string_view formName, const MarginsMm& margins,
                      bool followMargins) const;

    int ErrorCode() const { return errorCode_; }
    int Version() const { return version_; }
    int Level() const { return level_; }
    int ModulesPerSide() const { return modulesPerSide_; }  // N = symbol side + 8
    bool Prepared() const { return prepared_; }

    // The message a run shows once when Prepare() failed (UTF-8, CR LF line
    // breaks): what went wrong for the file at path, that the file is
    // written without the QR code, and the code.
    std::string FailureMessage(std::string_view path) const;

    // The form's content stream (before compression) for a matrix of n x n
    // module bytes (1 dark): white square under the whole symbol, then one
    // black square per dark module, bottom row first.
    static std::string FormContent(const uint8_t* modules, int n);

private:
    bool WriteForm(const QrMatrix& matrix, ObjectWriter& writer);

    int errorCode_ = 0;
    QrEncoder encoder_;
    int level_ = 0;
    int version_ = 0;
    int modulesPerSide_ = 0;
    int32_t objectNumber_ = 0;
    int32_t generation_ = 0;
    std::string message_;
    bool prepared_ = false;
};

}  // namespace sgry
