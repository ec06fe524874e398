#include "render/QrStamp.h"

#include "pdf/FlateBuffer.h"
#include "platform/Format.h"
#include "platform/Translation.h"
#include "settings/StampSettings.h"

namespace sgry {

namespace {

// Why the QR code could not be made, by error code.
std::string FailureReason(int code) {
    switch (code) {
        case QrEncoder::kDoesNotFit:
            return Translate(
                "The message is too long for a QR code of the chosen version and error correction level");
        case QrEncoder::kBadKanjiTrailByte:
            return Translate("The message contains an invalid full-width character");
        case QrEncoder::kLoneKanjiLeadByte:
            return Translate("The last full-width character of the message is incomplete");
        case QrEncoder::kOutOfMemory:
            return Translate("There is not enough memory");
        case QrStamp::kFormNotWritten:
            return Translate("Could not write the QR code to the file");
        default:
            return Format(Translate("Unknown error (%d)"), code);
    }
}

}  // namespace

QrSymbolChoice QrSymbolChoice::FromSettings(const StampSettings& settings) {
    return {settings.QRIsVersionAuto, settings.QRVersion, static_cast<int>(settings.QRECLevel)};
}

int QrStamp::Prepare(std::string_view message, const QrSymbolChoice& choice, ObjectWriter& writer) {
    errorCode_ = 0;
    prepared_ = false;
    message_.assign(message);
    QrMatrix matrix;
    bool encoded;
    if (choice.automatic) {
        encoded = encoder_.EncodeAuto(message_, matrix, version_, level_);
    } else {
        version_ = choice.version;
        level_ = choice.level;
        encoded = encoder_.EncodeFixed(message_, version_, level_, matrix);
    }
    if (!encoded) {
        errorCode_ = encoder_.ErrorCode();
        return 0;
    }
    modulesPerSide_ = QrEncoder::SideWithQuietZone(version_);
    if (!WriteForm(matrix, writer)) {
        errorCode_ = kFormNotWritten;
        return 0;
    }
    prepared_ = true;
    return 1;  // the matrix is freed here
}

std::string QrStamp::FormContent(const uint8_t* modules, int n) {
    const float extent = static_cast<float>(n * 10);
    std::string out = "0 G\r\n1 J 0 j 0.1 w 10 M []0 d\r\n1 i\r\n";
    out += Format("1 1 1 rg\r\n1 1 1 RG\r\n0 0 %.2f %.2f re\r\nB\r\n0 0 0 rg\r\n0 0 0 RG\r\n", extent, extent);
    // Bottom row first; the top row of the matrix lies at the top of the form.
    for (int r = n - 1; r >= 0; --r) {
        const float y = static_cast<float>((n - 1 - r) * 10);
        for (int c = 0; c < n; ++c) {
            if (modules[r * n + c] != 1) continue;
            out += Format("%.2f %.2f %.2f %.2f re\r\nB\r\n", static_cast<float>(c * 10), y, 10.0f, 10.0f);
        }
    }
    return out;
}

bool QrStamp::WriteForm(const QrMatrix& matrix, ObjectWriter& writer) {
    objectNumber_ = writer.NewObject(ObjectKind::QrForm);
    generation_ = 0;
    const std::string content = FormContent(matrix.modules.get(), modulesPerSide_);
    FlateBuffer flate;
    const bool compressed = flate.Compress(content);
    const std::string_view stream = compressed ? std::string_view(flate.Data()) : std::string_view(content);
    const float extent = static_cast<float>(modulesPerSide_ * 10);
    std::string header = Format("%ld %d obj\r\n<</Type/XObject/Subtype/Form/FormType 1", objectNumber_, generation_);
    header += compressed ? Format("/Length %ld/Filter/FlateDecode", stream.size()) : Format("/Length %ld", stream.size());
    header += Format("/BBox[0 0 %.2f %.2f]", extent, extent);
    // The content sets no graphics state (no gs), so the form names none.
    header += "/Resources<</ProcSet[/PDF]>>";
    header += ">>\r\nstream\r\n";
    const int64_t offset = writer.AppendAtEnd(header);
    if (offset < 0) return false;
    writer.RecordOffset(objectNumber_, generation_, offset);
    const bool streamWritten = writer.AppendBytes(stream.data(), stream.size());
    const bool tailWritten = writer.AppendAtEnd("\nendstream\r\nendobj\r\n") >= 0;
    return streamWritten && tailWritten;
}

std::string QrStamp::Place(int position, const PageEntry& page, std::string_view formName, const MarginsMm& margins,
                           bool followMargins) const {
    const float box = static_cast<float>(modulesPerSide_) * kBoxPointsPerModule;
    const PlacementMatrix m = PlaceBox(position, page, box, box, followMargins, margins);
    std::string out = "q\r\n";
    out += Format("1 0 0 1 %.4f %.4f cm\r\n", m.e, m.f);
    out += Format("%.2f %.2f %.2f %.2f 0 0 cm\r\n", m.a, m.b, m.c, m.d);
    out += Format("%.4f 0 0 %.4f 0 0 cm\r\n", kFormScale, kFormScale);
    out += Format("%s Do\r\nQ\r\n", formName);
    return out;
}

std::string QrStamp::FailureMessage(std::string_view path) const {
    return Format(Translate("An error occurred while creating the QR code\r\n%s\r\n\r\n%s\r\n"
                            "The file is written without the QR code\r\n\r\n Error code=%d"),
                  path, FailureReason(errorCode_), errorCode_);
}

}  // namespace sgry
