#pragma once
#include "platform/Translation.h"
// The checks of the QR settings page, without a user interface: whether the
// message fits the chosen symbol, and what the page says when it does not.
// Messages are UTF-8 with CR LF line breaks.
#include <cstdint>
#include <optional>
#include <string>

namespace sgry {

namespace qr_page_message {
inline constexpr Translatable kTooLongAuto =
    N_("The message for the QR code is too long\r\nPlease shorten the message");
inline constexpr Translatable kTooLongManual =
    N_("The message for the QR code is too long. Please try one of these:\r\n- choose a higher version\r\n"
       "- choose a lower error correction level\r\n- shorten the message\r\n");
inline constexpr Translatable kEmptyWhileOn =
    N_("No message is set for the QR code\r\nPlease enter a message or turn the QR code watermark off");
inline constexpr Translatable kEmptyForPreview = N_("Please enter the message for the QR code");
}  // namespace qr_page_message

// The automatic mode is limited to this version while the phone check is on.
inline constexpr int32_t kPhoneVersionLimit = 10;

// What the QR page's controls show.
struct QrPageValues {
    bool isValid = false;      // check "add a QR-code watermark"
    std::string message;       // CP932 bytes
    bool versionAuto = true;   // the automatic radio is selected
    bool phone = true;         // limit to versions phones can read (automatic mode)
    int32_t version = 10;      // 1-40 (manual mode)
    int32_t level = 3;         // 0 L .. 3 H (manual mode)
};

// The fit check: automatic mode asks whether the message fits version 10
// (phone check on) or 40 at the lowest level; manual mode asks at exactly the
// chosen version and level. Returns the refusal message, or nothing when the
// message fits.
std::optional<std::string> QrFitRefusal(const QrPageValues& values);

// The page's validation on OK or Apply: an empty message while the QR
// watermark is on is refused, then the fit check runs whether or not the
// watermark is on.
std::optional<std::string> QrValidationRefusal(const QrPageValues& values);

// The preview button: an empty message is refused, then the fit check.
std::optional<std::string> QrPreviewRefusal(const QrPageValues& values);

}  // namespace sgry
