#pragma once
// sigilry-cli --keys: every key that --set accepts, one a line, with five
// columns separated by tabs:
//   section  key  value in effect  allowed values and their meaning  default
// Values are shown in UTF-8; a line break or tab inside a text value is
// shown as \n, \r or \t so that each key stays on one line.
#include <string>

#include "settings/StampSettings.h"

namespace sgry::cli {

std::string KeysText(const StampSettings& stamp, const AppSettings& app);

}  // namespace sgry::cli
