#pragma once
// Where the settings file lives: "sgry.ini" in the executable's folder.
#include <string>

namespace sgry {

inline constexpr const char* kIniFileName = "sgry.ini";

// Settings file for an executable in `exeFolder` (which ends with '/', or is
// empty when the executable's path is unknown: then the bare name, relative
// to the current directory). The one place that decides the location.
std::string IniPathFor(const std::string& exeFolder);

// Settings file of the running program: IniPathFor(ExeFolder()).
std::string IniPath();

}  // namespace sgry
