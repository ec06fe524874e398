#include "app/QrPageCheck.h"

#include <memory>

#include "qr/QrEncoder.h"

namespace sgry {

std::optional<std::string> QrFitRefusal(const QrPageValues& values) {
    // The encoder keeps about 50 KB of working storage: not for the stack.
    auto encoder = std::make_unique<QrEncoder>();
    if (values.versionAuto) {
        const int32_t bound = values.phone ? kPhoneVersionLimit : 40;
        if (encoder->CheckFits(values.message, bound, -1)) return std::nullopt;
        return std::string(qr_page_message::kTooLongAuto);
    }
    if (encoder->CheckFits(values.message, values.version, values.level)) return std::nullopt;
    return std::string(qr_page_message::kTooLongManual);
}

std::optional<std::string> QrValidationRefusal(const QrPageValues& values) {
    if (values.isValid && values.message.empty()) return std::string(qr_page_message::kEmptyWhileOn);
    return QrFitRefusal(values);
}

std::optional<std::string> QrPreviewRefusal(const QrPageValues& values) {
    if (values.message.empty()) return std::string(qr_page_message::kEmptyForPreview);
    return QrFitRefusal(values);
}

}  // namespace sgry
