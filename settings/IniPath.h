#pragma once
// Where the settings file lives: "sgry.ini" in the executable's folder, so a
// program unpacked anywhere keeps its settings beside itself. When that
// folder cannot be written (a program installed for all users), the settings
// would be lost at every exit without a word; then the file lives in the
// user's configuration folder instead: $XDG_CONFIG_HOME/sigilry/sgry.ini, or
// ~/.config/sigilry/sgry.ini when XDG_CONFIG_HOME is unset or not absolute.
#include <functional>
#include <string>

namespace sgry {

inline constexpr const char* kIniFileName = "sgry.ini";
inline constexpr const char* kUserIniFolderName = "sigilry";

// Settings file for an executable in `exeFolder` (which ends with '/', or is
// empty when the executable's path is unknown: then the bare name, relative
// to the current directory).
std::string IniPathFor(const std::string& exeFolder);

// What the choice of the location looks at; the system's by default.
struct IniEnvironment {
    // True when the settings file at this path can be written: an existing
    // file is writable, or a missing one can be created in its folder.
    std::function<bool(const std::string& iniPath)> canWrite;
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME, "" when unset
    std::string home;           // $HOME, "" when unset

    static IniEnvironment System();
};

// The user's settings file: <config>/sigilry/sgry.ini; "" when neither
// XDG_CONFIG_HOME nor HOME gives an absolute folder.
std::string UserIniPath(const IniEnvironment& environment);

// The one place that decides the location: beside the executable when that
// file can be written, otherwise the user's settings file (read from there
// and saved there); beside the executable again when the user has no
// configuration folder at all.
std::string IniPathFor(const std::string& exeFolder, const IniEnvironment& environment);

// Settings file of the running program: IniPathFor(ExeFolder(), System()).
std::string IniPath();

// Creates the folder that holds `iniPath` when it is missing (the user's
// configuration folder on first use). False when it cannot be created.
bool PrepareIniFolder(const std::string& iniPath);

}  // namespace sgry
