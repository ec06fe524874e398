#include "settings/IniPath.h"

#include "platform/ExePath.h"

namespace sgry {

std::string IniPathFor(const std::string& exeFolder) { return exeFolder + kIniFileName; }

std::string IniPath() { return IniPathFor(ExeFolder()); }

}  // namespace sgry
