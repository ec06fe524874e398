#include "cli/KeysText.h"

#include "app/RunSettings.h"
#include "platform/SjisText.h"
#include "settings/ValueEscape.h"

namespace sgry::cli {

namespace {

// A stored value (CP932, possibly escaped) as one line of UTF-8.
std::string ShownValue(const std::string& stored) {
    std::string shown;
    for (const char c : sjis::ToUtf8(UnescapeValue(stored))) {
        if (c == '\n') shown += "\\n";
        else if (c == '\r') shown += "\\r";
        else if (c == '\t') shown += "\\t";
        else shown += c;
    }
    return shown;
}

}  // namespace

std::string KeysText(const StampSettings& stamp, const AppSettings& app) {
    std::string text;
    for (const SettingKey& key : ListRunSettingKeys(stamp, app)) {
        text += key.section + '\t' + key.name + '\t' + ShownValue(key.value) + '\t' + key.AllowedText() + '\t' +
                ShownValue(key.defaultValue) + '\n';
    }
    return text;
}

}  // namespace sgry::cli
